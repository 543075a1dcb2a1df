#include "geometry/modifiers.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <initializer_list>
#include <numbers>

#include "geometry/mesh_state.h"
#include "materials/materials.h"
#include "pack/document.h"
#include "render/render_settings.h"
#include "scene/modifier_kinds.h"
#include "scene/scene_store.h"

namespace vandrel::geometry {
namespace {

using scene::Modifier;
using enum scene::ModifierKind;

constexpr double kEps = 1e-12;

class ModifiersTest : public ::testing::Test {
 protected:
  pack::Document document;
  void SetUp() override {
    scene::sceneStore.scenes[0].objectCount = 4;
  }
  // Replaces an object's list: {x, y, z, rad, str, kind} per modifier.
  static void setList(int object, std::initializer_list<Modifier> mods) {
    scene::ModifierList& list = scene::modifierList(0, object);
    list.count = 0;
    for (const Modifier& m : mods) list.modifiers[list.count++] = m;
  }
  static void run(double X, double Y, double Z, int i = 0, int j = 0) {
    meshState.X = X, meshState.Y = Y, meshState.Z = Z;
    meshState.i = i, meshState.j = j;
    applyModifiers();
  }
  static void expectPoint(double X, double Y, double Z, double eps = kEps) {
    EXPECT_NEAR(meshState.X, X, eps) << "X";
    EXPECT_NEAR(meshState.Y, Y, eps) << "Y";
    EXPECT_NEAR(meshState.Z, Z, eps) << "Z";
  }
  // Sets the home object's list, runs it on `in` and checks the point.
  static void expectMoves(std::initializer_list<Modifier> mods, std::array<double, 3> in,
                          std::array<double, 3> out, double eps = kEps) {
    setList(0, mods);
    run(in[0], in[1], in[2]);
    expectPoint(out[0], out[1], out[2], eps);
  }
  static std::uint8_t flag(int i, int j) { return meshState.selection[i * kGridStride + j]; }
};

TEST_F(ModifiersTest, EmptyListZeroRadiusAndLimiter) {
  expectMoves({}, {0.3, -0.2, 0.7}, {0.3, -0.2, 0.7}, 0);
  // Rotation of 90 degrees with rad 0: even the centre itself is not inside.
  expectMoves({{0, 0, 0, 0, 64, kTurnX}}, {0, 0, 0}, {0, 0, 0}, 0);
  // The lights' helper: a limiter with rad 0 collapses onto its centre.
  setList(0, {{64, 128, -64, 0, 0, kLimiter}});
  double X = 5, Y = -7, Z = 9;
  applyModifiersToPoint(X, Y, Z);
  EXPECT_EQ((std::array{X, Y, Z}), (std::array{1.0, 2.0, -1.0}));
}

TEST_F(ModifiersTest, BreatheMovesInsidePointsToTarget) {
  setList(0, {{0, 0, 0, 64, 32, kBreathe}});  // R = 2, f = 0.5
  run(0.3, 0.4, 0);
  const double g = 2 / 0.55;
  expectPoint(0.3 * g, 0.4 * g, 0);
  expectMoves({{0, 0, 0, 64, 0, kBreathe}}, {0.3, 0.4, 0}, {0.3, 0.4, 0}, 0);
  // R = -2: pulled towards the centre by (0.5 / 2)^3.
  expectMoves({{0, 0, 0, -64, 32, kBreathe}}, {0.3, 0.4, 0}, {0.3 / 64, 0.4 / 64, 0});
}

TEST_F(ModifiersTest, SelectionRestrictsFollowingModifiers) {
  // Clear, select a sphere of radius 1 around (1, 0, 0), rotate 90 degrees about x.
  setList(0, {{0, 0, 0, 0, 0, kClearSelection},
              {64, 0, 0, 32, 0, kSelectionPlus},
              {64, 0, 0, 64, 64, kTurnX}});
  run(1, 0.5, 0, 1, 1);
  expectPoint(1, 0, -0.5);
  EXPECT_EQ(flag(1, 1), 1);
  run(1, 1.5, 0, 2, 2);  // inside the rotation sphere, outside the selection
  expectPoint(1, 1.5, 0, 0);
  EXPECT_EQ(flag(2, 2), 0);

  setList(0, {{0, 0, 0, 0, 0, kNoiseSelection}});
  selectAllPoints();
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      run(0, 0, 0, i, j);
      EXPECT_EQ(flag(i, j), i % 2 && j % 2) << i << j;
    }
  run(0, 0, 0, -3, 100000);  // out-of-range grid positions stay inside the table
}

TEST_F(ModifiersTest, AnimationParametersFollowListOrderAndSelection) {
  // S = 10, P = 64 (phi = 90 at tau = 0), As = 32: G = 32 * sin(phi) + 32.
  const Modifier anim{32, 0, 0, 64, 10, kAnimationSpeedPhase};
  const Modifier zoomX{0, 0, 0, 0, 32, kGlobalZoomX};
  setList(0, {anim, zoomX});
  run(1.5, 0, 0);
  EXPECT_NEAR(meshState.X, 3, kEps);
  animationTime = 1;  // phi = 100
  run(1.5, 0, 0);
  EXPECT_NEAR(meshState.X, 1.5 * (32 * std::sin(100 * std::numbers::pi / 180) + 32) / 32, kEps);
  setList(0, {zoomX, anim});
  run(1.5, 0, 0);
  EXPECT_EQ(meshState.X, 1.5);
  // An unselected point takes no animation parameters even if selected later.
  animationTime = 0;
  setList(0, {{0, 0, 0, 0, 0, kClearSelection}, anim, {0, 0, 0, 0, 0, kSelectAll}, zoomX});
  run(1.5, 0, 0);
  EXPECT_EQ(meshState.X, 1.5);
}

TEST_F(ModifiersTest, SourcesLendListsWithoutLooping) {
  setList(0, {{0, 0, 0, 0, 0, kSource},
              {0, 0, 0, 0, 300, kSource},
              {0, 0, 0, 0, -1, kGlobalSource},
              {0, 0, 0, 0, 1, kSource},
              {0, 0, 0, 0, 0, kGlobalMirrorZ}});
  setList(1, {{0, 0, 0, 0, 2, kSource}});
  setList(2, {{0, 0, 0, 0, 0, kGlobalMirrorX}, {0, 0, 0, 0, 1, kSource},
              {0, 0, 0, 0, 0, kGlobalMirrorY}});
  for (int p = 0; p < 3; ++p) {  // every grid point gets the lent lists again
    run(1, 2, 3, p, p);
    expectPoint(-1, -2, 3, 0);
  }
  EXPECT_EQ(scene::sceneStore.scenes[0].currentObject, 0);

  // The home-offset source places the point at the home position: the lender's
  // limiter around the scene origin collapses it there.
  scene::objectRecord(0, 0).posX = 640;
  setList(0, {{0, 0, 0, 0, 1, kGlobalSource}});
  setList(1, {{0, 0, 0, 0, 0, kLimiter}});
  run(1, 2, 3);
  expectPoint(-10, 0, 0, 0);
}

TEST_F(ModifiersTest, GlobalKinds) {
  expectMoves({{0, 0, 0, 0, 64, kGlobalTurnZ}}, {1, 2, 3}, {-2, 1, 3});
  expectMoves({{0, 0, 0, 0, 64, kGlobalTurnX}}, {1, 2, 3}, {1, 3, -2});
  expectMoves({{0, 0, 0, 0, 0, kGlobalMirrorY},
               {0, 0, 0, 0, 16, kGlobalZoomXyz},
               {0, 0, 0, 0, 96, kGlobalZoomX}},
              {1, 2, 3},
              {1.5, -1, 1.5}, 0);
  // Trapezoid and skew divide by scale + 1; a scale of -1 leaves the point.
  scene::SceneObject& object = scene::objectRecord(0, 0);
  object.scaleX = object.scaleY = 63;
  expectMoves({{0, 0, 0, 16, 32, kGlobalTrapezoidY}, {0, 0, 0, 0, 32, kGlobalSkewY}}, {1, 2, 3},
              {2, 3, 4.5}, 0);
  object.scaleY = -1;
  expectMoves({{0, 0, 0, 16, 32, kGlobalTrapezoidY}}, {1, 2, 3}, {1, 2, 3}, 0);
}

TEST_F(ModifiersTest, TextureKinds) {
  // Waves use j * 16 / N' as real division: 16 / 3 * 12 * 1.40625 = 90 degrees.
  meshState.N = 3;
  meshState.M = 4;
  meshState.tu0 = meshState.tv0 = 0.5;
  setList(0, {{0, 0, 0, 12, 64, kTextureWaves}});
  run(0, 0, 0, 0, 1);
  EXPECT_NEAR(meshState.tu0, 0.75, kEps);
  EXPECT_NEAR(meshState.tv0, 0.5, kEps);
  // The texture turn acts on cube-like primitives only on the matching face.
  setList(0, {{0, 0, 0, 2, 64, kTextureTurn}});
  for (int primitive : {0, 11})
    for (int face : {2, 3}) {
      scene::objectRecord(0, 0).primitive = static_cast<std::uint8_t>(primitive);
      meshState.cubeFace = face;
      meshState.tu0 = 1, meshState.tv0 = 0;
      run(0, 0, 0);
      const bool rotated = primitive == 0 || face == 2;
      EXPECT_NEAR(meshState.tu0, !rotated, kEps);
      EXPECT_NEAR(meshState.tv0, rotated, kEps);
    }
}

TEST_F(ModifiersTest, AnimatedKindsUseLowEightBitsOfPhase) {
  // P = -64: phi = -90, trunc(phi) low 8 bits = 166, 4 * phi gives 152.
  const Modifier anim{0, 0, 0, -64, 0, kAnimationSpeedPhase};
  const Modifier spinX{0, 0, 0, 0, 0, kAnimatedTurnX};
  expectMoves({anim, spinX}, {0, 1, 0}, {0, -0.6018150231520483, 0.7986355100472928});  // 233 deg
  // phi = 360: low bits 104, 146 degrees.
  expectMoves({{0, 0, 0, 256, 0, kAnimationSpeedPhase}, spinX}, {0, 1, 0},
              {0, -0.8290375725550416, -0.5591929034707469});
  meshState.tu0 = 0;
  setList(0, {anim,
              {0, 0, 0, 0, 0, kAnimatedTextureScrollU},
              {64, 0, 0, 0, 0, kAnimationAmplitude},
              {0, 0, 0, 0, 0, kAnimatedPerpetualMotion}});
  run(0, 0, 0);
  EXPECT_DOUBLE_EQ(meshState.tu0, 166.0 / 256);
  expectPoint(24, 0, 0);
  // Wobble at phi = 90, R = 1, str = 32, at the centre (e = 0).
  expectMoves({{0, 0, 0, 64, 0, kAnimationSpeedPhase}, {0, 0, 0, 32, 32, kAnimatedGlobalWobble}}, {0, 0, 0},
              {0, -2, 1.9153891866002126},
              1e-9);
}

}  // namespace
}  // namespace vandrel::geometry
