#include "pack/complex_pack.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "materials/materials.h"
#include "pack/document.h"
#include "platform/os/parallel.h"
#include "render/device_setup.h"
#include "render/render_settings.h"
#include "scene/modifier_kinds.h"
#include "scene/scene_store.h"
#include "scene/undo.h"
#include "texgen/catalogue.h"
#include "texgen/dispatcher.h"
#include "texgen/editor_hooks.h"
#include "texgen/parameter_rows.h"
#include "texgen/texture_log_file.h"
#include "texgen/texture_store.h"

namespace vandrel::pack {
namespace {

class ComplexPack : public ::testing::Test {
 protected:
  void TearDown() override { render::releaseDevice(); }
  Document document;

  // A log for slot n at an edge, through the log reader.
  static void giveSlotALog(int slot, const std::string& log) {
    texgen::selectSlot(slot);
    texgen::textureStore.entryCount = 1;
    texgen::readLog(log);
    texgen::replayCurrentSlot();
  }

  // Some of everything a pack holds.
  static void buildDocument() {
    scene::insertObject(false);
    scene::currentObjectRecord().posX = -300;
    scene::currentModifierList().count = 1;
    scene::currentModifierList().modifiers[0] = scene::Modifier{1, -2, 3, 40, 5, scene::kSource};
    scene::currentCloneRule() = scene::CloneRule{3, 2, -150};
    scene::newScene();
    materials::materialStore.materials[3].Diffuse = {0.5f, 0.25f, 1.0f, 0};
    materials::materialStore.mapNumber[3] = 9;
    render::renderSettings.cameraList[4].eyeX = 12;
    giveSlotALog(7, "tsize=32;\nNoise(90);\nend\n");
    giveSlotALog(1, "tsize=64;\nPlasm(255,0,255,0);\nInvert();\nend\n");
  }

  static std::string readFromExactBuffer(const std::string& text, TextureRebuild rebuild) {
    std::unique_ptr<char[]> exact(new char[text.size() + 1]);
    std::memcpy(exact.get(), text.data(), text.size());
    readPack(std::string_view(exact.get(), text.size()), rebuild);
    return writePack();
  }
};

TEST_F(ComplexPack, WritesFourSectionsAndReadsThemBack) {
  buildDocument();
  // Writing walks materials, slots and scenes by number: what is current stays so.
  materials::materialStore.currentMaterial = 3;
  texgen::selectSlot(7);
  scene::sceneStore.currentScene = 1;
  const std::string text = writePack();
  EXPECT_EQ(materials::materialStore.currentMaterial, 3);
  EXPECT_EQ(texgen::textureStore.currentSlot, 7);
  EXPECT_EQ(texgen::textureStore.entryCount, 2);
  EXPECT_EQ(scene::sceneStore.currentScene, 1);
  EXPECT_EQ(text.rfind("section:geometry_\n2,\n", 0), 0u);
  const std::size_t materials = text.find("section:materials_\n");
  const std::size_t settings = text.find("section:rendersettings_\n");
  const std::size_t textures = text.find("section:texturedata_\n");
  ASSERT_LT(materials, settings);
  ASSERT_LT(settings, textures);
  const std::string materialLines = text.substr(materials + 19, settings - materials - 19);
  EXPECT_EQ(std::count(materialLines.begin(), materialLines.end(), '\n'), 255);
  EXPECT_EQ(text.substr(textures + 21, 35), "3,texture generation log\ntsize=64;\n");
  EXPECT_NE(text.find("2,texture generation log\ntsize=32;\nNoise(90);\nend\n"), std::string::npos);
  // Slots 1..253, each ending with "end".
  std::size_t ends = 0;
  for (std::size_t p = text.find("\nend\n", textures); p != std::string::npos; p = text.find("\nend\n", p + 1))
    ++ends;
  EXPECT_EQ(ends, 253u);

  resetDocument();
  EXPECT_EQ(readFromExactBuffer(text, TextureRebuild::Skip), text);
  EXPECT_EQ(scene::sceneStore.sceneCount, 2);
  EXPECT_EQ(scene::objectRecord(0, 1).posX, -300);
  EXPECT_EQ(materials::materialStore.mapNumber[3], 9);
  EXPECT_EQ(texgen::textureStore.slots[7].entryCount, 2);
}

TEST_F(ComplexPack, CleanUpClearsTheSlotsClonesAreGeneratedInto) {
  auto fill = [](int scene, int object) {
    scene::objectRecord(scene, object).scaleX = 99;
    scene::modifierList(scene, object).count = 2;
    scene::modifierList(scene, object).modifiers[1].kind = scene::kCBendZ;
  };
  scene::newScene();
  for (int o = 0; o < 7; ++o) fill(1, o), fill(0, o);
  scene::sceneStore.scenes[1].objectCount = 7;
  scene::cloneRule(1, 2) = scene::CloneRule{0, 3, 10};
  scene::cloneRule(1, 0) = scene::CloneRule{6, 1, 10};
  cleanUpCloneSlots();
  EXPECT_EQ(scene::objectRecord(1, 1).scaleX, 99);  // a group keeps the records
  EXPECT_EQ(scene::modifierList(1, 1).count, 0);
  for (int o = 3; o <= 5; ++o) {
    EXPECT_EQ(scene::objectRecord(1, o).scaleX, 0);
    EXPECT_EQ(scene::modifierList(1, o).count, 0);
    EXPECT_EQ(scene::modifierList(1, o).modifiers[1].kind, 0);
  }
  EXPECT_EQ(scene::objectRecord(1, 6).scaleX, 99);
  EXPECT_EQ(scene::modifierList(0, 4).count, 2);  // other scenes are not touched

  // A rule that runs past the scene's 256 slots stops at the last one.
  scene::sceneStore.scenes[1].objectCount = 251;
  scene::cloneRule(1, 250) = scene::CloneRule{0, 254, 10};
  fill(1, 255);
  cleanUpCloneSlots();
  EXPECT_EQ(scene::objectRecord(1, 255).scaleX, 0);
  EXPECT_EQ(scene::modifierList(1, 255).count, 0);
}

TEST_F(ComplexPack, ASlotStoredEmptyKeepsItsLogAndAMissingSectionKeepsItsData) {
  buildDocument();
  std::string text = writePack();
  giveSlotALog(9, "tsize=128;\nInvert();\nend\n");
  materials::materialStore.mapNumber[3] = 44;
  // Drop the materials marker: the materials keep their values.
  text.replace(text.find("section:materials_"), 18, "section:xxxxxxxxx_");
  readPack(text, TextureRebuild::Skip);
  EXPECT_EQ(texgen::textureStore.slots[9].entryCount, 2);
  EXPECT_EQ(texgen::textureStore.slots[9].edgeSize, 128);
  EXPECT_EQ(materials::materialStore.mapNumber[3], 44);
  EXPECT_EQ(render::renderSettings.cameraList[4].eyeX, 12);
}

// Each damage is found before anything is read: the load names the file and the
// first bad line and leaves the work as it was. A pack cut short at its end still
// loads as far as it goes.
TEST_F(ComplexPack, ARefusedPackNamesItsFirstBadLineAndChangesNothing) {
  buildDocument();
  const std::string good = writePack();
  const std::string folder = ::testing::TempDir() + "/refused_pack_test";
  std::filesystem::create_directories(folder);
  setenv("TMPDIR", folder.c_str(), 1);
  auto damaged = [&good](const std::string& from, const std::string& to) {
    std::string text = good;
    text.replace(text.find(from), from.size(), to);
    return text;
  };
  const std::string firstMaterial = "section:materials_\n";
  const std::size_t materialLine = good.find(firstMaterial) + firstMaterial.size();
  const std::string material0 = good.substr(materialLine, good.find('\n', materialLine) - materialLine + 1);
  struct Damage {
    std::string text;
    std::string expected;  // in the message
  };
  const Damage damages[] = {
      {std::string("\x01\x02") + good, "Строка 1: двоичные"},
      {"hello\n" + good, "Строка 1: ожидалась строка «section:geometry_»"},
      {damaged("section:geometry_\n2,", "section:geometry_\n2x,"), "Строка 2: ожидалось число"},
      {damaged("section:geometry_\n2,", "section:geometry_\n200,"), "Строка 2: значение вне"},
      {good.substr(0, good.find("\n\n\n") + 3) + good.substr(good.find(firstMaterial)), "раздел оборван"},
      {damaged(firstMaterial + material0, firstMaterial + "-5," + material0.substr(2)), "(от 0)"},
      {damaged("camera_\n64,", "camera_\n0,"), "(от 1)"},
      {damaged("tsize=64;", "tsize=100;"), "(32, 64, 128, 256 или 512)"},
      {damaged("2,texture generation log", "2x,texture generation log"), "ожидалось число"},
      {damaged("Noise(90);", "Noise(900);"), "(0..255): «Noise(900);»"},
  };
  materials::materialStore.currentMaterial = 5;
  const std::string before = writePack();
  for (const Damage& d : damages) {
    const std::string path = folder + "/damaged.vsc";
    std::filesystem::remove(path);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(d.text.data(), 1, d.text.size(), f);
    std::fclose(f);
    std::string error;
    EXPECT_FALSE(loadPack(path, &error, TextureRebuild::Skip)) << d.expected;
    EXPECT_NE(error.find("«" + path + "»"), std::string::npos) << error;
    EXPECT_NE(error.find(d.expected), std::string::npos) << error;
    EXPECT_EQ(writePack(), before) << d.expected;
    EXPECT_EQ(materials::materialStore.currentMaterial, 5);
  }
  EXPECT_FALSE(checkPack(good));
  EXPECT_FALSE(checkPack(good.substr(0, good.size() * 2 / 3)));
  std::filesystem::remove_all(folder);
}

TEST_F(ComplexPack, LoadingRebuildsTexturesAndStartsAFreshUndoHistory) {
  const std::string folder = ::testing::TempDir() + "/pack_test";
  std::filesystem::create_directories(folder);
  setenv("TMPDIR", folder.c_str(), 1);
  buildDocument();
  std::string error;
  const std::string path = folder + "/work.vsc";
  ASSERT_TRUE(savePack(path, &error)) << error;

  resetDocument();
  ASSERT_TRUE(render::createDevice());
  int frames = 0;
  static int* frameCounter = &frames;
  packHooks.renderFrame = [] { ++*frameCounter; };
  ASSERT_TRUE(loadPack(path, &error)) << error;
  EXPECT_EQ(frames, 2);  // slot 7, then slot 1
  EXPECT_EQ(texgen::textureStore.currentSlot, 1);
  EXPECT_EQ(texgen::textureStore.edgeSize, 64);
  const gfx::Texture& slot1 = *render::deviceSetup.textures[1];
  ASSERT_EQ(slot1.edge(), 64);
  EXPECT_EQ(std::memcmp(slot1.pixels(), texgen::layer(3), 64 * 64 * 4), 0);
  const gfx::Texture& slot7 = *render::deviceSetup.textures[7];
  EXPECT_EQ(slot7.edge(), 32);
  EXPECT_NE(slot7.pixels()[5], 0u);  // noise
  EXPECT_EQ(scene::undoCounter, 1);
  EXPECT_FALSE(scene::undo());

  EXPECT_FALSE(loadPack(folder + "/missing.vsc", &error));
  EXPECT_NE(error.find("missing.vsc"), std::string::npos);
  std::filesystem::remove_all(folder);
}

// Everything a load shows, in order, and what it leaves: the hook calls (each frame
// with the image on the current slot's texture), the parameter rows' calls, then the
// slot table, every texture and the current slot's layers. Preview redraws are left
// out: a slot rebuilt off the store is drawn once, with its final image.
std::vector<std::string>* trace = nullptr;

std::uint64_t digest(const void* data, std::size_t bytes) {
  std::uint64_t h = 14695981039346656037ull;
  for (std::size_t i = 0; i < bytes; ++i) h = (h ^ static_cast<const unsigned char*>(data)[i]) * 1099511628211ull;
  return h;
}

void note(const std::string& what) { trace->push_back(what); }

std::string textureDigest(int slot) {
  const gfx::Texture& t = *render::deviceSetup.textures[slot];
  return std::to_string(t.edge()) + ":" +
         std::to_string(digest(t.pixels(), static_cast<std::size_t>(t.edge()) * t.edge() * 4));
}

class TracedRows final : public texgen::ParameterRows {
 public:
  int position(int row) const override { return positions_[row - 1]; }
  void setPosition(int row, int value) override {
    positions_[row - 1] = texgen::clampToTrackbar(value);
    note("set " + std::to_string(row) + " " + std::to_string(value));
  }
  void showNumber(int row, const std::string& text) override { note("show " + std::to_string(row) + " " + text); }

 private:
  int positions_[texgen::kParamCount] = {};
};

std::vector<std::string> tracedLoad(const std::string& text, int threads) {
  std::vector<std::string> calls;
  trace = &calls;
  resetDocument();
  render::createDevice();
  texgen::selectSlot(40);  // the load starts from a slot other than 1
  TracedRows rows;
  texgen::TextureHooks& h = texgen::textureHooks;
  h.rows = &rows;
  h.clearHistory = [] { note("clear history"); };
  h.insertHistoryAtTop = [](const char* label) { note(std::string("history ") + label); };
  h.selectFunction = [](int code) { note("function " + std::to_string(code)); };
  h.showRows = [](int code) { note("rows " + std::to_string(code)); };
  h.selectSizeItem = [](int index) { note("size " + std::to_string(index)); };
  h.beforeSlotChange = [] { note("before change"); };
  h.showSlotNumber = [](int slot) { note("slot " + std::to_string(slot)); };
  h.recreateSlotTexture = [](int slot, int edge) {
    note("texture " + std::to_string(slot) + " " + std::to_string(edge));
    render::recreateSlotTexture(slot, edge);
  };
  packHooks.showSlotNumber = [](int slot) { note("progress " + std::to_string(slot)); };
  packHooks.renderFrame = [] {
    const texgen::TextureStore& t = texgen::textureStore;
    note("frame " + std::to_string(t.currentSlot) + " " + std::to_string(t.entryCount) + " " +
         textureDigest(t.currentSlot));
  };
  os::setThreadCount(threads);
  readPack(text);
  os::setThreadCount(0);

  const texgen::TextureStore& t = texgen::textureStore;
  for (int slot = 1; slot <= texgen::kSlotCount; ++slot) {
    const texgen::TextureSlot& record = t.slots[slot];
    note("slot " + std::to_string(slot) + " " + std::to_string(record.entryCount) + " " +
         std::to_string(record.edgeSize) + " " + std::to_string(record.renderSize) + " " +
         std::to_string(digest(record.log, sizeof record.log)) + " " + textureDigest(slot));
  }
  note("current " + std::to_string(t.currentSlot) + " " + std::to_string(t.entryCount) + " " +
       std::to_string(t.edgeSize) + " " +
       std::to_string(digest(texgen::layer(0), sizeof(texgen::Pixel) * texgen::layerPixels() * (t.entryCount + 1))));
  texgen::resetTextureHooks();
  resetPackHooks();
  trace = nullptr;
  return calls;
}

TEST_F(ComplexPack, LoadsWithSeveralThreadsShowAndLeaveWhatOneThreadDoes) {
  // Every size, generators, distortions, filters and mixes, headings, logs of one
  // entry, empty slots between, more slots than a wave takes, and the last stored slot.
  const char* kLogs[] = {
      "Cells(90,240,90,255);\nNoise(60);\nmixer(1,2,128,128,3);\n",
      "Plasm(200,10,120,40);\n--Фильтры--();\ntwirl(128,128,128,170,100);\nemboss();\n",
      "MandelBrot(164,22,164,13);\nAdjustColor(128,120,180);\nInvert();\nclear_alfa();\n",
      "Julia(183,231);\nSindistort(20,40,10,60);\nblur(3);\nScaleColor(200,150,100);\n",
      "Noise(255);\n",
      "Chessfield(20,40);\nsolidfill(126,126,255,0,0,40);\nmosaic(9);\ncopy_b_to_alfa();\n",
      "Stars(255,255);\nradial blur(3,40);\ntiling(10,20,60,0);\nmixer(9,1,200,90,5);\n",
  };
  const int kSizes[] = {32, 64, 128, 256, 32, 64};
  int k = 0;
  for (int slot : {2, 3, 5, 6, 7, 9, 10, 11, 12, 13, 17, 18, 19, 20, 21, 30, 40, 41, 60, 253}) {
    giveSlotALog(slot, "tsize=" + std::to_string(kSizes[k % 6]) + ";\n" + kLogs[k % 7] + "end\n");
    ++k;
  }
  giveSlotALog(1, "tsize=64;\nCells(90,240,90,255);\nInvert();\nend\n");
  const std::string text = writePack();

  const std::vector<std::string> one = tracedLoad(text, 1);
  ASSERT_EQ(std::count(one.begin(), one.end(), "clear history"), 21);
  for (int threads : {2, 3, 8}) {
    const std::vector<std::string> several = tracedLoad(text, threads);
    ASSERT_EQ(several.size(), one.size()) << threads << " threads";
    for (std::size_t i = 0; i < one.size(); ++i) ASSERT_EQ(several[i], one[i]) << threads << " threads, call " << i;
  }
}

TEST_F(ComplexPack, TruncatedPacksNeverReadPastTheirEnd) {
  buildDocument();
  const std::string text = writePack();
  for (std::size_t cut = 0; cut < text.size(); cut += text.size() / 97 + 1) {
    resetDocument();
    readFromExactBuffer(text.substr(0, cut), TextureRebuild::Skip);
    EXPECT_GE(scene::sceneStore.sceneCount, 1);
  }
  resetDocument();
  readFromExactBuffer("section:geometry_\n\xff\xfe,,,section:texturedata_\n5,tsize=", TextureRebuild::Rebuild);
}

}  // namespace
}  // namespace vandrel::pack
