#include "pack/complex_pack.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>

#include "materials/materials.h"
#include "pack/document.h"
#include "render/device_setup.h"
#include "render/render_settings.h"
#include "scene/scene_store.h"
#include "scene/undo.h"
#include "texgen/catalogue.h"
#include "texgen/dispatcher.h"
#include "texgen/editor_hooks.h"
#include "texgen/texture_log_file.h"
#include "texgen/texture_store.h"

namespace vandrel::pack {
namespace {

class ComplexPack : public ::testing::Test {
 protected:
  void SetUp() override {
    texgen::resetTextureHooks();
    resetPackHooks();
    resetDocument();
  }
  void TearDown() override {
    render::releaseDevice();
    texgen::resetTextureHooks();
  }

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
    scene::currentModifierList().modifiers[0] = scene::Modifier{1, -2, 3, 40, 5, 51};
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
  const std::string text = writePack();
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
    scene::modifierList(scene, object).modifiers[1].kind = 7;
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
