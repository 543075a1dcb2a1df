#include "geometry/mesh_build.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "geometry/mesh_state.h"
#include "geometry/primitives.h"
#include "materials/materials.h"
#include "pack/document.h"
#include "render/device_setup.h"
#include "render/frame.h"
#include "render/render_settings.h"
#include "scene/catalogues.h"
#include "scene/scene_store.h"
#include "texgen/texture_store.h"

namespace vandrel::geometry {
namespace {

using namespace vandrel::scene;

class MeshBuildTest : public ::testing::Test {
 protected:
  pack::Document document;
  void SetUp() override {
    viewMode = 0;  // the document starts with identity view coefficients, eye at the origin
    ASSERT_TRUE(render::createDevice());
  }
  void TearDown() override { render::releaseDevice(); }

  static SceneObject& object() { return currentObjectRecord(); }
  static void setKind(std::uint8_t primitive, std::uint8_t n = 32, std::uint8_t m = 32) {
    object().primitive = primitive, object().gridN = n, object().gridM = m;
  }
  static const GridPoint& at(int i, int j) { return meshState.grid[i * (meshState.N + 1) + j]; }
  static std::uint32_t* texels() { return render::deviceSetup.textures[1]->pixels(); }  // edge 32
  static void expect3(double a, double b, double c, double x, double y, double z) {
    EXPECT_EQ(a, x);
    EXPECT_EQ(b, y);
    EXPECT_EQ(c, z);
  }
  static void expectPoint(ObjectPoint p, double X, double Y, double Z) {
    expect3(p.X, p.Y, p.Z, X, Y, Z);
  }
  static ObjectPoint eval(int j, int i, int n, int m, int face = 0) {
    return evaluatePrimitive(object(), heightMapOf(object(), render::meshInputs()), j, i, n, m, 360.0 * j / n,
                             360.0 * i / m, face);
  }
};

TEST_F(MeshBuildTest, SpherePolesSeamAndCounts) {
  buildCurrentObjectMesh(render::meshInputs());
  expect3(meshState.N, meshState.vertexCount, meshState.triangleCount, 32, 6144, 2048);
  // Stored as (X, Z, Y): the poles lie on the vertical y axis.
  expect3(at(0, 5).x, at(0, 5).y, at(32, 5).y, 0, 1, -1);
  for (int i = 0; i <= 32; ++i)
    EXPECT_NEAR(std::hypot(at(i, 32).x - at(i, 0).x, at(i, 32).z - at(i, 0).z), 0.0, 1e-14);
}

TEST_F(MeshBuildTest, TubesSunLampAndTorusRings) {
  setKind(kCylinder);
  expectPoint(eval(8, 0, 32, 32), 0, 0, -64);
  expectPoint(eval(8, 32, 32, 32), 0, 0, 64);
  setKind(kBarrel);
  expectPoint(eval(0, 0, 32, 32), 0, 64, -64);  // open first ring
  expectPoint(eval(8, 32, 32, 32), 0, 0, 64);  // closed last ring
  object().scaleX = 100, object().scaleY = 7, object().scaleZ = -3;
  for (int kind : {kSun, kLamp}) {
    setKind(kind);
    expectPoint(eval(0, 0, 32, 32), 0, 0, 32);
    EXPECT_EQ(eval(0, 16, 32, 32).X, 32.0);
  }
  object().scaleX = object().scaleY = object().scaleZ = 64;
  EXPECT_EQ(torusRingDivisor(31), 30);
  EXPECT_EQ(torusRingDivisor(1), 2);
  setKind(kTorus, 32, 31);
  const double phi = 372 * render::kDegreesToRadians;  // row 31 of 30 rings; r = 2
  expectPoint(eval(0, 31, 32, 31), 0, 128 * std::cos(phi), -128 * std::sin(phi));
}

TEST_F(MeshBuildTest, LandscapeHeightsRepeatFirstColumnAndRowAndRaiseTheSurfaces) {
  setKind(kLandscape);
  materials::materialStore.bumpiness[0] = 64;
  EXPECT_EQ(eval(5, 7, 32, 32).Y, 0.0);  // texels 0: flat
  texels()[0] = 0x000000FF;            // texel (0, 0): B = 255
  texels()[3 * 32] = 0x00000064;       // texel (0, 3): B = 100
  texels()[1] = 0xFFFFFF00;            // texel (1, 0): blue 0, the rest set
  texels()[31] = 0x00000007;           // texel (31, 0)
  for (int corner : {0, 1, 2, 3})
    EXPECT_EQ(eval(corner % 2 * 32, corner / 2 * 32, 32, 32).Y, -63.75) << corner;
  EXPECT_EQ(eval(32, 3, 32, 32).Y, -25.0);
  EXPECT_EQ(eval(1, 0, 32, 32).Y, 0.0);
  EXPECT_EQ(eval(40, 0, 64, 64).Y, -1.75);  // beyond the texture: clamped to column 31
  expectPoint(eval(32, 8, 32, 32), 64, 0, -32);  // spans X and Z
  for (int number : {0, 256}) {  // no texture: height 0
    materials::materialStore.mapNumber[0] = number;
    EXPECT_EQ(eval(0, 0, 32, 32).Y, 0.0) << number;
  }
  materials::materialStore.mapNumber[0] = 1;
  for (int n = 0; n < 32 * 32; ++n) texels()[n] = 0xFF;  // e = 4080 (sphere, tube), 63.75 (torus)
  const int kinds[6] = {kLandscapeOnSphere, kLandscapeOnTube, kLandscapeOnCube,
                       kLandscapeOnCubeMinus, kLandscapeOnTorus, kLandscapeOnTorus};
  const int column[6] = {0, 8, 16, 16, 8, 0};
  // Sphere pole Z, tube X at 90 degrees, cube face 0 centre Z at D = 180 +- 64 x 255 / 4,
  // torus X at 90 degrees and Y at 0 degrees.
  const double expected[6] = {4144, 4144, 64 * 4260.0 / 180, 64 * -3900.0 / 180, 127.75,
                              64 * (1 + 127.75 / 64)};
  for (int k = 0; k < 6; ++k) {
    setKind(kinds[k]);
    const ObjectPoint p = eval(column[k], k < 2 ? 0 : k < 4 ? 16 : 0, 32, 32);
    const double value[6] = {p.Z, p.X, p.Z, p.Z, p.X, p.Y};
    EXPECT_EQ(value[k], expected[k]) << k;
  }
}

TEST_F(MeshBuildTest, CubeBuildsSixFacesInOrderWhateverTheQuality) {
  setKind(kCube, 8, 8);
  render::renderSettings.quality = 64;
  buildCurrentObjectMesh(render::meshInputs());
  expect3(meshState.vertexCount, meshState.triangleCount, meshState.cubeFace, 2304, 768, 0);
  // Faces at Z' = 180, X' = -180, Z' = -180, X' = 180, Y' = 180, Y' = -180 (stored x, Z, Y).
  const float gfx::Vertex::*axis[6] = {&gfx::Vertex::y, &gfx::Vertex::x, &gfx::Vertex::y,
                                        &gfx::Vertex::x, &gfx::Vertex::z, &gfx::Vertex::z};
  const float side[6] = {1, -1, -1, 1, 1, -1};
  for (int k = 0; k < 6; ++k)
    for (int v = 384 * k; v < 384 * (k + 1); ++v)
      ASSERT_NEAR(meshState.vertices[v].*axis[k], side[k], 1e-6) << k << " " << v;
}

TEST_F(MeshBuildTest, QualityScalesAllButCubesTorusAndCleaner) {
  render::renderSettings.quality = 64;
  buildCurrentObjectMesh(render::meshInputs());
  expect3(meshState.N, meshState.M, meshState.vertexCount, 16, 16, 16 * 16 * 6);
  setKind(kTorus);
  EXPECT_EQ(effectiveGrid(render::renderSettings.quality).N, 32);
  setKind(kLandscapeOnTorus, 33, 32);
  EXPECT_EQ(effectiveGrid(render::renderSettings.quality).N, 16);  // trunc(16.5)
  render::renderSettings.quality = 255;
  setKind(kSphere, 255, 255);
  buildCurrentObjectMesh(render::meshInputs());
  EXPECT_EQ(meshState.triangleCount, 508 * 508 * 2);
  render::renderSettings.quality = 0;
  buildCurrentObjectMesh(render::meshInputs());
  expect3(meshState.N, meshState.vertexCount, meshState.triangleCount, 0, 0, 0);
  setKind(kZbufCleaner);
  buildCurrentObjectMesh(render::meshInputs());
  EXPECT_EQ(meshState.vertexCount, 0);
}

TEST_F(MeshBuildTest, NormalModesSeamAndLastRow) {
  setKind(kSphere, 8, 8);
  auto normals = [](int mode) {
    object().normalMode = static_cast<std::uint8_t>(mode);
    buildCurrentObjectMesh(render::meshInputs());
    std::vector<double> n;
    for (int p = 0; p < 81; ++p)
      n.insert(n.end(), {meshState.grid[p].nx, meshState.grid[p].ny, meshState.grid[p].nz});
    return n;
  };
  const std::vector<double> n0 = normals(0);
  for (int i = 1; i < 8; ++i) {
    EXPECT_NEAR(std::hypot(at(i, 3).nx, at(i, 3).ny, at(i, 3).nz), 1.0, 1e-12);
    EXPECT_EQ(std::memcmp(&n0[3 * (i * 9 + 8)], &n0[3 * i * 9], 3 * sizeof(double)), 0);  // seam
  }
  EXPECT_EQ(normals(3), n0);
  for (int mode : {2, 4}) {
    const std::vector<double> n = normals(mode);
    for (std::size_t k = 0; k < n.size(); ++k) ASSERT_EQ(n[k], -n0[k]) << mode << " " << k;
  }
  for (double v : normals(1)) ASSERT_EQ(v, 0.0);
  // The plane faces -y everywhere, its last row included.
  setKind(kPlane, 4, 4);
  object().normalMode = 0;
  buildCurrentObjectMesh(render::meshInputs());
  for (int j = 0; j <= 4; ++j) expect3(at(4, j).nx, at(4, j).ny, at(4, j).nz, 0, -1, 0);
}

TEST_F(MeshBuildTest, PlacementViewModeZoomAndTriangleOrder) {
  object().scaleX = object().scaleY = object().scaleZ = 0;  // every point at the origin
  object().posX = 64, object().posY = 128, object().posZ = 192;
  render::renderSettings.currentCamera.zoom = 2;
  const double expected[3][3] = {{2, 6, 4}, {2, 4, -6}, {2, -4, 6}};  // stored x, y = Z, z = Y
  for (int w = 0; w < 3; ++w) {
    viewMode = w;
    buildCurrentObjectMesh(render::meshInputs());
    expect3(at(3, 3).x, at(3, 3).y, at(3, 3).z, expected[w][0], expected[w][1], expected[w][2]);
  }
  // Two triangles per cell: A B C, B D C; texture repeats scale tu0, tv0.
  setKind(kPlane, 4, 2);
  object().cU = 2, object().cV = 3;
  buildCurrentObjectMesh(render::meshInputs());
  const gfx::Vertex* v = meshState.vertices.data();
  const float tu[6] = {0, 0.5f, 0, 0.5f, 0.5f, 0}, tv[6] = {0, 0, 1.5f, 0, 1.5f, 1.5f};
  for (int k = 0; k < 6; ++k) expect3(v[k].tu, v[k].tv, 0, tu[k], tv[k], 0);
  expect3(v[46].tu, v[46].tv, v[46].diffuse, 2, 3, 0xFFFFFFFFu);  // D of the last cell
}

TEST_F(MeshBuildTest, CameraMovesEverythingButThePostprocessor) {
  render::Camera& cam = render::renderSettings.currentCamera;
  cam = render::Camera{0, 10, 0, 0, 0, 0, 0.5, 1};
  updateViewRotation(render::renderSettings.currentCamera);  // A1 = 0, A2 = 90 degrees, A3 = 0.5
  expect3(meshState.c3, meshState.s2, meshState.c1, 1, 1, std::cos(0.5));

  auto build = [] {
    buildCurrentObjectMesh(render::meshInputs());
    return std::vector<gfx::Vertex>(meshState.vertices.begin(), meshState.vertices.begin() + 6144);
  };
  object().posX = 32, object().posY = 64;
  const std::vector<gfx::Vertex> sphere = build();
  setKind(kPostprocessor);
  const std::vector<gfx::Vertex> post = build();
  expect3(post[0].x, post[0].y, post[0].z, -0.5, 0, 0);  // X = -1 + 32 / 64, Y = -1 + 64 / 64
  cam = render::Camera{5, -20, 7, 1, 2, 3, 0.25, 3};
  updateViewRotation(render::renderSettings.currentCamera);
  EXPECT_EQ(std::memcmp(build().data(), post.data(), 6144 * sizeof(gfx::Vertex)), 0);
  setKind(kSphere);
  const std::vector<gfx::Vertex> moved = build();
  for (int k = 0; k < 6144; ++k)  // every position moves
    ASSERT_NE(std::memcmp(&moved[k], &sphere[k], 3 * sizeof(float)), 0) << k;
}

}  // namespace
}  // namespace vandrel::geometry
