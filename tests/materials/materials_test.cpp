#include "materials/materials.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "pack/document.h"
#include "platform/os/files.h"

namespace vandrel::materials {
namespace {

int refreshes = 0;
int redraws = 0;

class Materials : public ::testing::Test {
 protected:
  void SetUp() override {
    refreshes = redraws = 0;
    materialHooks.refreshEditor = [] { ++refreshes; };
    materialHooks.redrawSwatches = [] { ++redraws; };
  }
  pack::Document document;

  // A heap copy of exactly the text's size: a read past its end trips the sanitizer.
  static std::size_t read(const std::string& text, std::uint8_t material = 0) {
    std::unique_ptr<char[]> exact(new char[text.size() ? text.size() : 1]);
    std::memcpy(exact.get(), text.data(), text.size());
    return readMaterialLine(std::string_view(exact.get(), text.size()), material);
  }
  static MaterialStore& s() { return materialStore; }
};

TEST_F(Materials, StartStateAndTheEditorsSteppers) {
  for (int m = 0; m < 255; ++m) ASSERT_EQ(s().mapNumber[m], 1) << m;
  EXPECT_EQ(s().mapNumber[255], 0);
  EXPECT_EQ(writeMaterialLine(7), "0,0,0,0,0,0,0,0,0,0,1,0,0,0,\n");
  previousMaterial();
  EXPECT_EQ(s().currentMaterial, 0);
  EXPECT_EQ(refreshes + redraws, 2);
  for (int i = 0; i < 300; ++i) nextMaterial();
  EXPECT_EQ(s().currentMaterial, 255);
  EXPECT_EQ(s().mapNumber[255], 1);  // raised on being shown

  // Map number stays in 1..254, stage texture in 0..254; a value from a file beyond
  // the range only steps back toward it.
  previousMapNumber(), previousStageTexture();
  EXPECT_EQ(writeMaterialLine(255), "0,0,0,0,0,0,0,0,0,0,1,0,0,0,\n");
  for (int i = 0; i < 300; ++i) nextMapNumber(), nextStageTexture();
  EXPECT_EQ(writeMaterialLine(255), "0,0,0,0,0,0,0,0,0,0,254,0,0,254,\n");
  s().mapNumber[255] = 300;
  s().stageTexture[255] = 255;
  nextMapNumber(), nextStageTexture();
  previousMapNumber(), previousStageTexture();
  selectStageType(kStageMod);
  EXPECT_EQ(writeMaterialLine(255), "0,0,0,0,0,0,0,0,0,0,299,0,3,254,\n");
}

TEST_F(Materials, TypedNumbersAreTakenOnlyWhereTheSteppersReach) {
  for (std::optional<int> refused : {std::optional<int>(), std::optional(0), std::optional(255)})
    typeMapNumber(refused);
  for (std::optional<int> refused : {std::optional<int>(), std::optional(-1), std::optional(255)})
    typeStageTexture(refused);
  typeMaterialNumber(256);
  typeMaterialNumber(-1);
  EXPECT_EQ(writeMaterialLine(0), "0,0,0,0,0,0,0,0,0,0,1,0,0,0,\n");
  EXPECT_EQ(s().currentMaterial, 0);
  EXPECT_EQ(refreshes, 8);  // a refused number is shown again

  typeMapNumber(254);
  typeStageTexture(254);
  EXPECT_EQ(writeMaterialLine(0), "0,0,0,0,0,0,0,0,0,0,254,0,0,254,\n");
  typeMaterialNumber(255);
  EXPECT_EQ(s().currentMaterial, 255);
  EXPECT_EQ(s().mapNumber[255], 1);  // as the stepper shows it
  typeMaterialNumber(0);
  EXPECT_EQ(s().currentMaterial, 0);
}

TEST_F(Materials, EraseTrackbarsAndChooser) {
  Material& m = currentMaterialRecord();
  m.Diffuse.a = 0.25f;
  m.Emissive.g = 0.5f;
  s().bumpiness[0] = 9;
  s().mapNumber[0] = 20;
  eraseCurrentMaterial();
  EXPECT_EQ(writeMaterialLine(0), "4096,4096,4096,4096,4096,4096,4096,4096,4096,64,1,0,0,0,\n");
  EXPECT_EQ(m.Diffuse.a + m.Emissive.g, 0.75f);  // left as they were
  EXPECT_EQ(swatchPixel(m.Specular), 0xFFFFFFu);

  const MaterialTrackbars t{{255, 1, 0}, {64, 32, 2}, {3, 4, 5}, 200, 17};
  storeTrackbars(t);
  EXPECT_EQ(m.Diffuse.r, 3.984375f);
  EXPECT_EQ(m.Power, 200.0f);
  EXPECT_EQ(swatchPixel(m.Ambient), 0xFF8008u);
  const MaterialTrackbars back = trackbarsOf(0);
  EXPECT_EQ(std::memcmp(&back, &t, sizeof t), 0);

  setColourFromChooser(MaterialColour::specular, 255, 128, 0);
  EXPECT_EQ(m.Specular.r, 0.99609375f);
  EXPECT_EQ(trackbarsOf(0).specular[0], 63);  // never the 64 of 1.0
  EXPECT_EQ(swatchPixel(m.Specular), 0xFF8000u);
  m.Specular.r = -1.0f;
  EXPECT_EQ(swatchComponent(m.Specular.r), 0);
}

TEST_F(Materials, LineWriteThenRead) {
  Material& m = currentMaterialRecord();
  m.Diffuse = {0.5f, 0.5f, 0.5f, 0.75f};
  m.Specular = {1.25f, -0.5f, 3.984375f, 0};
  m.Ambient = {0.1f, 0, 2, 0};  // 6.4 truncates to 6
  m.Emissive = {1, 2, 3, 4};
  m.Power = 12.9f;
  s().mapNumber[0] = 33;
  s().bumpiness[0] = -4;
  s().stageType[0] = 3;
  s().stageTexture[0] = 254;
  const std::string line = writeMaterialLine(0);
  EXPECT_EQ(line, "32,32,32,80,-32,255,6,0,128,12,33,-4,3,254,\n");
  EXPECT_EQ(read(line, 9), line.size() - 1);
  const Material& r = s().materials[9];
  EXPECT_EQ(r.Diffuse.r, 0.5f);
  EXPECT_EQ(r.Diffuse.a + r.Emissive.b, 0.0f);  // alpha and emissive are not in the line
  EXPECT_EQ(writeMaterialLine(9), line);

  // Stage values outside the editor's ranges are kept as bytes, for the renderer to check.
  read("0,0,0,0,0,0,0,0,0,0,1,0,200,255,\n", 10);
  EXPECT_EQ(s().stageType[10], 200);
  EXPECT_EQ(s().stageTexture[10], 255);
  read("0,0,0,0,0,0,0,0,0,0,1,0,259,-1,\n", 10);
  EXPECT_EQ(s().stageType[10], 3);
}

TEST_F(Materials, ReaderStaysInsideItsLine) {
  eraseCurrentMaterial();
  EXPECT_EQ(read(""), 0u);
  EXPECT_EQ(read("\n"), 0u);
  // Numbers present are taken, the rest keep their values; the next line is not read.
  EXPECT_EQ(read("32, 16,\t8,1\n1,2,3,4,5,6,7,8,9,10,11,12,13,14,\n"), 11u);
  EXPECT_EQ(writeMaterialLine(0), "32,16,8,1,4096,4096,4096,4096,4096,64,1,0,0,0,\n");
  read("64,x,,99999999999,-99999999999,64\r\n");
  EXPECT_EQ(writeMaterialLine(0), "64,0,0,2147483647,-2147483648,64,4096,4096,4096,64,1,0,0,0,\n");
  read("1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,\r\n");
  EXPECT_EQ(writeMaterialLine(0), "1,2,3,4,5,6,7,8,9,10,11,12,13,14,\n");
  read("-5");
  EXPECT_EQ(s().materials[0].Diffuse.r, -5 / 64.0f);
}

TEST_F(Materials, FilesByPath) {
  const std::string base = (std::filesystem::temp_directory_path() / "vandrel_vmt_test").string();
  std::string error, text;
  s().materials[4].Diffuse = {0.5f, 0.25f, 1.0f, 0};
  s().currentMaterial = 4;
  ASSERT_TRUE(saveMaterialFile(base, &error)) << error;  // ".vmt" appended
  ASSERT_TRUE(os::readFile(base + ".vmt", &text, &error));
  EXPECT_EQ(text, "32,16,64,0,0,0,0,0,0,0,1,0,0,0,\n");
  s().currentMaterial = 5;
  ASSERT_TRUE(loadMaterialFile(base + ".vmt", &error));
  EXPECT_EQ(refreshes + redraws, 2);
  EXPECT_FALSE(loadMaterialFile(base + ".missing", &error) || error.empty());
  EXPECT_EQ(writeMaterialLine(5), text);
  std::filesystem::remove(base + ".vmt");
}

}  // namespace
}  // namespace vandrel::materials
