#include "geometry/modifiers.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <initializer_list>
#include <numbers>

#include "geometry/mesh_state.h"
#include "materials/materials.h"
#include "render/render_settings.h"
#include "scene/scene_store.h"

namespace vandrel::geometry {
namespace {

using scene::Modifier;

constexpr double kEps = 1e-12;

class ModifiersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scene::resetSceneStore();
    scene::applyStartupDefaults();
    materials::resetMaterials();
    render::resetRenderSettings();
    resetMeshState();
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
  expectMoves({{0, 0, 0, 0, 64, 8}}, {0, 0, 0}, {0, 0, 0}, 0);
  // The lights' helper: a limiter with rad 0 collapses onto its centre.
  setList(0, {{64, 128, -64, 0, 0, 1}});
  double X = 5, Y = -7, Z = 9;
  applyModifiersToPoint(X, Y, Z);
  EXPECT_EQ((std::array{X, Y, Z}), (std::array{1.0, 2.0, -1.0}));
}

TEST_F(ModifiersTest, BreatheMovesInsidePointsToTarget) {
  setList(0, {{0, 0, 0, 64, 32, 0}});  // R = 2, f = 0.5
  run(0.3, 0.4, 0);
  const double g = 2 / 0.55;
  expectPoint(0.3 * g, 0.4 * g, 0);
  expectMoves({{0, 0, 0, 64, 0, 0}}, {0.3, 0.4, 0}, {0.3, 0.4, 0}, 0);
  // R = -2: pulled towards the centre by (0.5 / 2)^3.
  expectMoves({{0, 0, 0, -64, 32, 0}}, {0.3, 0.4, 0}, {0.3 / 64, 0.4 / 64, 0});
}

TEST_F(ModifiersTest, SelectionRestrictsFollowingModifiers) {
  // Clear, select a sphere of radius 1 around (1, 0, 0), rotate 90 degrees about x.
  setList(0, {{0, 0, 0, 0, 0, 60}, {64, 0, 0, 32, 0, 57}, {64, 0, 0, 64, 64, 8}});
  run(1, 0.5, 0, 1, 1);
  expectPoint(1, 0, -0.5);
  EXPECT_EQ(flag(1, 1), 1);
  run(1, 1.5, 0, 2, 2);  // inside the rotation sphere, outside the selection
  expectPoint(1, 1.5, 0, 0);
  EXPECT_EQ(flag(2, 2), 0);

  setList(0, {{0, 0, 0, 0, 0, 62}});
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
  const Modifier anim{32, 0, 0, 64, 10, 32};
  const Modifier zoomX{0, 0, 0, 0, 32, 19};
  setList(0, {anim, zoomX});
  run(1.5, 0, 0);
  EXPECT_NEAR(meshState.X, 3, kEps);
  animationTime = 1;  // phi = 100
  run(1.5, 0, 0);
  EXPECT_NEAR(meshState.X, 1.5 * (32 * std::sin(100 * std::numbers::pi / 180) + 32) / 32, kEps);
  setList(0, {zoomX, anim});
  run(1.5, 0, 0);
  EXPECT_EQ(meshState.X, 1.5);
  // An unselected point takes no parameters from kind 32 even if selected later.
  animationTime = 0;
  setList(0, {{0, 0, 0, 0, 0, 60}, anim, {0, 0, 0, 0, 0, 59}, zoomX});
  run(1.5, 0, 0);
  EXPECT_EQ(meshState.X, 1.5);
}

TEST_F(ModifiersTest, SourcesLendListsWithoutLooping) {
  setList(0, {{0, 0, 0, 0, 0, 51},
              {0, 0, 0, 0, 300, 51},
              {0, 0, 0, 0, -1, 52},
              {0, 0, 0, 0, 1, 51},
              {0, 0, 0, 0, 0, 16}});
  setList(1, {{0, 0, 0, 0, 2, 51}});
  setList(2, {{0, 0, 0, 0, 0, 14}, {0, 0, 0, 0, 1, 51}, {0, 0, 0, 0, 0, 15}});
  for (int p = 0; p < 3; ++p) {  // every grid point gets the lent lists again
    run(1, 2, 3, p, p);
    expectPoint(-1, -2, 3, 0);
  }
  EXPECT_EQ(scene::sceneStore.scenes[0].currentObject, 0);

  // The home-offset source places the point at the home position: the lender's
  // limiter around the scene origin collapses it there.
  scene::objectRecord(0, 0).posX = 640;
  setList(0, {{0, 0, 0, 0, 1, 52}});
  setList(1, {{0, 0, 0, 0, 0, 1}});
  run(1, 2, 3);
  expectPoint(-10, 0, 0, 0);
}

TEST_F(ModifiersTest, GlobalKinds) {
  expectMoves({{0, 0, 0, 0, 64, 13}}, {1, 2, 3}, {-2, 1, 3});
  expectMoves({{0, 0, 0, 0, 64, 11}}, {1, 2, 3}, {1, 3, -2});
  expectMoves({{0, 0, 0, 0, 0, 15}, {0, 0, 0, 0, 16, 31}, {0, 0, 0, 0, 96, 19}}, {1, 2, 3},
              {1.5, -1, 1.5}, 0);
  // Trapezoid and skew divide by scale + 1; a scale of -1 leaves the point.
  scene::SceneObject& object = scene::objectRecord(0, 0);
  object.scaleX = object.scaleY = 63;
  expectMoves({{0, 0, 0, 16, 32, 24}, {0, 0, 0, 0, 32, 28}}, {1, 2, 3}, {2, 3, 4.5}, 0);
  object.scaleY = -1;
  expectMoves({{0, 0, 0, 16, 32, 24}}, {1, 2, 3}, {1, 2, 3}, 0);
}

TEST_F(ModifiersTest, TextureKinds) {
  // Waves use j * 16 / N' as real division: 16 / 3 * 12 * 1.40625 = 90 degrees.
  meshState.N = 3;
  meshState.M = 4;
  meshState.tu0 = meshState.tv0 = 0.5;
  setList(0, {{0, 0, 0, 12, 64, 42}});
  run(0, 0, 0, 0, 1);
  EXPECT_NEAR(meshState.tu0, 0.75, kEps);
  EXPECT_NEAR(meshState.tv0, 0.5, kEps);
  // Kind 30 rotates on cubes-like primitives only on the matching face.
  setList(0, {{0, 0, 0, 2, 64, 30}});
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
  const Modifier anim{0, 0, 0, -64, 0, 32};
  const Modifier spinX{0, 0, 0, 0, 0, 37};
  expectMoves({anim, spinX}, {0, 1, 0}, {0, -0.6018150231520483, 0.7986355100472928});  // 233 deg
  // phi = 360: low bits 104, 146 degrees.
  expectMoves({{0, 0, 0, 256, 0, 32}, spinX}, {0, 1, 0},
              {0, -0.8290375725550416, -0.5591929034707469});
  meshState.tu0 = 0;
  setList(0, {anim, {0, 0, 0, 0, 0, 40}, {64, 0, 0, 0, 0, 33}, {0, 0, 0, 0, 0, 64}});
  run(0, 0, 0);
  EXPECT_DOUBLE_EQ(meshState.tu0, 166.0 / 256);
  expectPoint(24, 0, 0);
  // Wobble at phi = 90, R = 1, str = 32, at the centre (e = 0).
  expectMoves({{0, 0, 0, 64, 0, 32}, {0, 0, 0, 32, 32, 22}}, {0, 0, 0}, {0, -2, 1.9153891866002126},
              1e-9);
}

}  // namespace
}  // namespace vandrel::geometry
