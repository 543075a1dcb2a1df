#include "render/frame.h"

#include <gtest/gtest.h>

#include <vector>

#include "geometry/mesh_state.h"
#include "materials/materials.h"
#include "pack/document.h"
#include "platform/gfx/pixel_stage.h"
#include "render/device_setup.h"
#include "render/picking.h"
#include "scene/catalogues.h"
#include "scene/modifier_kinds.h"
#include "scene/scene_store.h"
#include "texgen/editor_hooks.h"

namespace vandrel::render {
namespace {

using namespace vandrel::gfx;
using scene::SceneObject;

constexpr int kMidX = 320, kMidY = 240;

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(createDevice()); }
  void TearDown() override { releaseDevice(); }
  pack::Document document;
  static Device& device() { return *deviceSetup.device; }
  static int red(int x, int y) { return (device().backBuffer()[y * 640 + x] >> 16) & 0xFF; }
  static scene::Scene& sceneRecord() { return scene::currentSceneRecord(); }
  static int current() { return sceneRecord().currentObject; }
  // A sphere straight ahead, white-textured; a larger posZ is nearer the eye.
  static SceneObject& addSphere(int index, int posZ, int material) {
    SceneObject& o = scene::objectRecord(0, index) = scene::newSceneObject();
    o.posZ = static_cast<std::int16_t>(posZ);
    o.material = static_cast<std::uint8_t>(material);
    o.texture = kWhiteTexture;
    if (sceneRecord().objectCount <= index) sceneRecord().objectCount = static_cast<std::uint8_t>(index + 1);
    return o;
  }
  // Unlit grey: ambient times the white global ambient.
  static void greyMaterial(int m, float level) {
    materials::materialStore.materials[m] = {};
    materials::materialStore.materials[m].Ambient = {level, level, level, 0};
  }
};

TEST_F(FrameTest, DefaultSceneIsPresentedAndCopiedIntoEntry0) {
  std::vector<std::uint32_t> shown;
  device().setPresentHandler([&](const std::uint32_t* p, int w, int h) { shown.assign(p, p + w * h); });
  EXPECT_EQ(renderFrame(), 0);
  ASSERT_EQ(shown.size(), 640u * 480u);
  EXPECT_EQ(shown[kMidY * 640 + kMidX], 0u);  // material 0 is all zero: a black sphere
  EXPECT_EQ(shown[0], kBackgroundColour);
  EXPECT_EQ(shown[479 * 640 + 639], kBackgroundColour);
  // Entry 0 (32 x 32) is the nearest sample at each of its pixel centres.
  const std::uint32_t* entry0 = deviceSetup.textures[0]->pixels();
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) ASSERT_EQ(entry0[y * 32 + x], shown[(y * 15 + 7) * 640 + x * 20 + 10]);
  EXPECT_EQ(device().getRenderState(D3DRS_FOGSTART), floatBits(80.0f));  // 240 / 3
  EXPECT_EQ(device().getRenderState(D3DRS_FOGEND), floatBits(85.0f));
  EXPECT_EQ(device().getRenderState(D3DRS_FOGCOLOR), 0x00FFFFFFu);
}

TEST_F(FrameTest, AnimationTimeFollowsTheClockUnlessFrozen) {
  EXPECT_EQ(animationTimeFor(1024), static_cast<float>(1024 * 0.0030679618939757347));
  EXPECT_EQ(animationTimeFor(65535 + 7), animationTimeFor(7));
  frameState.clockValue = 1000;
  renderFrame();
  EXPECT_EQ(geometry::animationTime, animationTimeFor(1000));
  frameState.clock = [] { return std::uint32_t{2048}; };
  renderFrame();
  EXPECT_EQ(geometry::animationTime, animationTimeFor(2048));
  frameState.view.animationFrozen = 1;
  renderFrame();
  EXPECT_EQ(geometry::animationTime, 0.0f);
}

TEST_F(FrameTest, OnlyTheFirstEightSunsAndLampsLight) {
  SceneObject& sun = addSphere(1, 0, 0);
  sun.primitive = scene::kSun;
  sun.posX = 64;
  for (int k = 0; k < 9; ++k) {
    SceneObject& lamp = addSphere(2 + k, 128, 0);
    lamp.primitive = scene::kLamp;
    lamp.scaleX = static_cast<std::int16_t>(64 * (k + 1));
  }
  materials::materialStore.materials[0].Diffuse = {0.5f, 0.25f, 1, 1};
  renderFrameAt(0);
  const DeviceState& s = device().state();
  for (int j = 0; j < 8; ++j) EXPECT_TRUE(s.lightEnabled[j]) << j;
  // The sun shines along -(pos / 64) turned by the view (this camera flips x and z).
  EXPECT_EQ(s.lights[0].Type, D3DLIGHT_DIRECTIONAL);
  EXPECT_NEAR(s.lights[0].Direction.x, 1, 1e-6);
  EXPECT_EQ(s.lights[0].Diffuse.g, 0.25f);
  EXPECT_EQ(s.lights[0].Diffuse.a, 0.0f);
  // Lamps at (pos - eye) / 64 turned, range scaleX / 64; the last two are left out.
  EXPECT_EQ(s.lights[1].Type, D3DLIGHT_POINT);
  EXPECT_NEAR(s.lights[1].Position.y, -2, 1e-6);
  EXPECT_EQ(s.lights[7].Range, 7.0f);
  EXPECT_EQ(current(), 0);
}

TEST_F(FrameTest, AlphaModesBlendOverTheBackground) {
  struct Case {
    int alphaMode, normalMode;
    float level;
    int red;  // over the background's 120
  } cases[] = {
      {1, 0, 0.25f, 184},  // 120 + 63.75
      {2, 0, 0.25f, 56},   // 120 - 63.75
      {3, 0, 0.75f, 71},   // 191.25 - 120
      {4, 0, 0.25f, 64},   {5, 0, 0.25f, 120},
      {7, 0, 0.75f, 120},  {0, 6, 0.75f, 120},  // no such modes: not drawn
  };
  for (const Case& c : cases) {
    greyMaterial(1, c.level);
    SceneObject& o = addSphere(0, 0, 1);
    o.alphaMode = static_cast<std::uint8_t>(c.alphaMode);
    o.normalMode = static_cast<std::uint8_t>(c.normalMode);
    renderFrameAt(0);
    EXPECT_NEAR(red(kMidX, kMidY), c.red, 1) << c.alphaMode << "/" << c.normalMode;
  }
}

TEST_F(FrameTest, FogStartEqualToEndGivesEveryObjectTheFogColour) {
  scene::Scene& sc = sceneRecord();
  sc.fogRed = 10, sc.fogGreen = 200, sc.fogBlue = 30;
  sc.fogStart = sc.fogEnd = 9;  // 3 units from the eye
  greyMaterial(1, 0.75f);
  // Side by side: wholly in front of the fog start, across it, and behind it.
  addSphere(0, 160, 1).posX = -160;
  addSphere(1, 0, 1);
  addSphere(2, -320, 1).posX = 160;
  renderFrameAt(0);
  int fogged = 0;
  for (int i = 0; i < 640 * 480; ++i) {
    const std::uint32_t rgb = device().backBuffer()[i] & 0x00FFFFFFu;
    if (rgb == (kBackgroundColour & 0x00FFFFFFu)) continue;
    ASSERT_EQ(rgb, 0x000AC81Eu) << i % 640 << ", " << i / 640;
    ++fogged;
  }
  EXPECT_GT(fogged, 30000);
}

TEST_F(FrameTest, ZbufCleanerLetsLaterObjectsDrawOverEarlierOnes) {
  greyMaterial(1, 0.25f);
  greyMaterial(2, 0.75f);
  addSphere(0, 0, 1);
  addSphere(1, 0, 0).primitive = scene::kZbufCleaner;
  addSphere(2, -64, 2);  // one unit further away
  renderFrameAt(0);
  EXPECT_NEAR(red(kMidX, kMidY), 191, 1);
  scene::objectRecord(0, 1).primitive = scene::kSphere;
  scene::objectRecord(0, 1).posX = 3000;  // out of sight: depth decides again
  renderFrameAt(0);
  EXPECT_NEAR(red(kMidX, kMidY), 64, 1);
}

TEST_F(FrameTest, CleanViewHidesSunsLampsAndInvisibleObjectsButKeepsTheirLight) {
  materials::materialStore.materials[1] = {};
  materials::materialStore.materials[1].Diffuse = {1, 1, 1, 1};
  greyMaterial(2, 0.25f);
  addSphere(0, 0, 1);
  addSphere(1, 128, 1).primitive = scene::kSun;  // in front, shining at the sphere
  addSphere(2, 160, 2).normalMode = 5;
  addSphere(3, 100, 2).primitive = scene::kLamp;
  scene::objectRecord(0, 3).scaleX = 0;  // range 0: lights nothing
  frameState.view.cleanView = 1;
  renderFrameAt(0);
  // Off the pole (its normal is zero) the sphere is lit by the hidden sun.
  EXPECT_GT(red(kMidX + 40, kMidY), 150);
  frameState.view.cleanView = 0;
  renderFrameAt(0);
  EXPECT_NEAR(red(kMidX + 40, kMidY), 64, 1);  // the invisible object, now drawn
}

TEST_F(FrameTest, TexturesComeFromTheObjectTheMaterialAndTheAnimation) {
  SceneObject& o = scene::currentObjectRecord();
  o.material = o.texture = 255;
  materials::MaterialStore& ms = materials::materialStore;
  ms.stageType[255] = 1;
  ms.stageTexture[255] = 255;
  renderFrameAt(0);
  const DeviceState& s = device().state();
  EXPECT_EQ(s.textures[0], deviceSetup.textures[255]);
  EXPECT_EQ(s.textures[1], deviceSetup.textures[255]);
  EXPECT_EQ(s.tss(1, D3DTSS_COLOROP), D3DTOP_ADD);
  EXPECT_EQ(s.tss(1, D3DTSS_TEXCOORDINDEX), D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR);
  ms.stageType[255] = 255;  // not a stage type: no second layer
  renderFrameAt(0);
  EXPECT_EQ(s.tss(1, D3DTSS_COLOROP), D3DTOP_DISABLE);
  // A running morph shows entry 254 on its reference slot and leaves stage 1 alone.
  ms.stageType[255] = 3;
  frameState.animation = {2, 255, 255};
  renderFrameAt(0);
  EXPECT_EQ(s.textures[0], deviceSetup.textures[kAnimationTexture]);
  EXPECT_EQ(s.tss(1, D3DTSS_COLOROP), D3DTOP_DISABLE);
  frameState.animation = {1, 7, 255};
  renderFrameAt(0);
  EXPECT_EQ(s.textures[0], deviceSetup.textures[255]);
}

TEST_F(FrameTest, ModifierMarkerTakesTheReservedSlot) {
  scene::ModifierList& list = scene::currentModifierList();
  list.count = 1;
  list.modifiers[0] = scene::Modifier{10, 20, 30, -40, 0, scene::kBreathe};
  scene::sceneStore.currentModifier = 0;
  scene::currentObjectRecord().posX = 5;
  renderFrameAt(0);
  const SceneObject& marker = scene::objectRecord(0, scene::kMarkerObject);
  EXPECT_EQ(marker.posX, 15);
  EXPECT_EQ(marker.posZ, 30);
  EXPECT_EQ(marker.scaleY, 80);
  EXPECT_EQ(marker.gridN, 16);
  EXPECT_EQ(current(), 0);
  EXPECT_EQ(device().getRenderState(D3DRS_FILLMODE), D3DFILL_SOLID);
  scene::objectRecord(0, scene::kMarkerObject) = {};
  frameState.view.cleanView = 1;
  renderFrameAt(0);
  EXPECT_EQ(marker.gridN, 0);
}

TEST_F(FrameTest, PickingFindsTheNearestObjectAndSkipsPostprocessors) {
  addSphere(0, 0, 0);
  addSphere(1, -192, 0);  // three units behind
  sceneRecord().currentObject = 1;
  pickObject(kMidX, kMidY);
  EXPECT_EQ(current(), 0);  // the nearer one, and object 0 can be picked
  pickObject(5, 5);
  EXPECT_EQ(current(), 0);  // the background keeps it
  sceneRecord().currentObject = 1;
  pickObject(-1, 0);
  pickObject(640, 0);
  EXPECT_EQ(current(), 1);
  scene::objectRecord(0, 0).primitive = scene::kPostprocessor;  // covers the middle
  pickObject(kMidX, kMidY);
  EXPECT_EQ(current(), 1);
}

TEST_F(FrameTest, PickIndexReadsBackExactly) {
  for (int i = 0; i < kPickableObjects; ++i) ASSERT_EQ(raster::toByte(pickLevel(i)), std::uint32_t(i));
  // Through the whole pass, with only object k non-empty.
  for (int i = 0; i < kPickableObjects; ++i) addSphere(i, 0, 0).gridN = 0;
  for (int k = 0; k < kPickableObjects; ++k) {
    scene::objectRecord(0, k).gridN = 8;
    sceneRecord().currentObject = k == 0 ? 1 : 0;
    pickObject(kMidX, kMidY);
    ASSERT_EQ(current(), k);
    scene::objectRecord(0, k).gridN = 0;
  }
}

}  // namespace
}  // namespace vandrel::render
