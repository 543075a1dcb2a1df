#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/gfx/device.h"

// Whole draws through the device, checked on the pixels they leave. World and view
// are the identity; the projection keeps camera-space z >= 1 with w = z, so a point
// (x, y, z) lands on pixel ((x / z + 1) * 320, (1 - y / z) * 240).

namespace vandrel::gfx {
namespace {

class Draw : public ::testing::Test {
 protected:
  Device device;

  Draw() {
    device.setFVF(kFvfVertex);
    device.setRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device.setTransform(D3DTS_PROJECTION,
                        D3DMATRIX{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 1}, {0, 0, -1, 0}}});
  }

  std::uint32_t pixel(int x, int y) const { return device.backBuffer()[y * kBackBufferWidth + x]; }
  void draw(const std::vector<Vertex>& v) {
    device.drawPrimitiveUP(D3DPT_TRIANGLELIST, static_cast<int>(v.size() / 3), v.data(),
                           sizeof(Vertex));
  }
  // Every pixel drawn so far, over the back buffer the device starts with (all 0).
  std::vector<std::uint32_t> drawnColours() const {
    std::vector<std::uint32_t> out;
    for (int i = 0; i < kBackBufferWidth * kBackBufferHeight; ++i)
      if (device.backBuffer()[i] != 0) out.push_back(device.backBuffer()[i]);
    return out;
  }
  // A flat-shaded triangle whose colours come from its first vertex v alone (its
  // other corners lie half a unit along +x and +y); returns the pixel at (x, y).
  std::uint32_t flatAt(Vertex v, int x, int y) {
    device.setRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
    Vertex b = v, c = v;
    b.x += 0.5f, c.y += 0.5f;
    draw({v, b, c});
    return pixel(x, y);
  }
  void linearFog(float start, float end) {
    device.setRenderState(D3DRS_LIGHTING, 0);
    device.setRenderState(D3DRS_FOGENABLE, 1);
    device.setRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
    device.setRenderState(D3DRS_FOGCOLOR, 0x00C80000);
    device.setRenderState(D3DRS_FOGSTART, floatBits(start));
    device.setRenderState(D3DRS_FOGEND, floatBits(end));
  }
};

constexpr D3DCOLOR kBlueish = 0xFF0066CC;

// An unlit vertex of a given colour; a lit one with a given normal.
Vertex coloured(float x, float y, float z, D3DCOLOR c) { return {x, y, z, 0, 0, -1, c, 0, 0}; }
Vertex lit(float x, float y, float z, float nx, float ny, float nz) {
  return {x, y, z, nx, ny, nz, 0, 0, 0};
}

TEST_F(Draw, FogStartEqualToEndFogsEverythingWhateverItsDistance) {
  linearFog(10, 10);
  // One quad well in front of the start (z = 2), one from z = 5 to beyond the end.
  const auto quad = [](Vertex a, Vertex b, Vertex c, Vertex d) {
    return std::vector<Vertex>{a, b, c, a, c, d};
  };
  draw(quad(coloured(-1.6f, -1, 2, kBlueish), coloured(-0.4f, -1, 2, kBlueish),
            coloured(-0.4f, 1, 2, kBlueish), coloured(-1.6f, 1, 2, kBlueish)));
  draw(quad(coloured(1, -1, 5, kBlueish), coloured(6, -1, 15, kBlueish),
            coloured(6, 1, 15, kBlueish), coloured(1, 1, 5, kBlueish)));
  EXPECT_EQ(pixel(160, 240), 0xFFC80000u);  // fog colour, the vertex alpha
  EXPECT_EQ(pixel(416, 240), 0xFFC80000u);
  const std::vector<std::uint32_t> drawn = drawnColours();
  EXPECT_GT(drawn.size(), 40000u);
  for (std::uint32_t c : drawn) ASSERT_EQ(c, 0xFFC80000u);
}

TEST_F(Draw, RangeFogUsesTheDistanceToTheEye) {
  linearFog(0, 20);
  // Every corner is 10 from the eye, at depths 10, 8 and 8.
  const std::vector<Vertex> triangle = {coloured(0, 0, 10, kBlueish), coloured(6, 0, 8, kBlueish),
                                        coloured(0, 6, 8, kBlueish)};
  draw(triangle);
  // By depth (the default): pixel (540, 230) sees the triangle's plane x + y + 3z = 30
  // at z = 8.045, so f = 0.598.
  EXPECT_EQ(pixel(540, 230), 0xFF503D7Au);
  device.setRenderState(D3DRS_RANGEFOGENABLE, 1);
  draw(triangle);
  // f = (20 - 10) / 20 everywhere: half of (0, 102, 204), half of the fog's (200, 0, 0).
  const std::vector<std::uint32_t> drawn = drawnColours();
  EXPECT_GT(drawn.size(), 20000u);
  for (std::uint32_t c : drawn) ASSERT_EQ(c, 0xFF643366u);
}

TEST_F(Draw, UnboundTextureStagePassesTheDiffuseColourAndAlpha) {
  device.setRenderState(D3DRS_LIGHTING, 0);
  const std::vector<Vertex> cover = {coloured(-1, -1, 2, 0x80336699u),
                                     coloured(3, -1, 2, 0x80336699u),
                                     coloured(-1, 3, 2, 0x80336699u)};
  draw(cover);  // stage 0 as it starts: MODULATE colour, alpha SELECTARG1, both of TEXTURE
  EXPECT_EQ(pixel(320, 240), 0x80336699u);
  device.setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  draw(cover);
  EXPECT_EQ(pixel(320, 240), 0x80336699u);
  auto green = device.createTexture(1, 1, 0, D3DFMT_A8R8G8B8);
  green->pixels()[0] = 0xFF00FF00u;
  device.setTexture(0, green);
  draw(cover);
  EXPECT_EQ(pixel(320, 240), 0xFF00FF00u);
}

TEST_F(Draw, SpotLightScalesAmbientDiffuseAndSpecularByItsCone) {
  device.setRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
  device.setRenderState(D3DRS_SPECULARENABLE, 1);
  device.setMaterial({{1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}, {}, 10});
  D3DLIGHT9 spot{};
  spot.Type = D3DLIGHT_SPOT;
  spot.Position = {0, 0, 0};
  spot.Direction = {0.6f, 0, 0.8f};
  spot.Ambient = {0.4f, 0, 0, 0}, spot.Diffuse = {0, 0.8f, 0, 0}, spot.Specular = {0, 0, 0.6f, 0};
  spot.Range = 100, spot.Attenuation0 = 1;
  spot.Theta = 2 * std::acos(0.9f), spot.Phi = 2 * std::acos(0.5f), spot.Falloff = 2;
  device.setLight(0, spot);
  device.lightEnable(0, true);
  // Each vertex 10 from the light, its normal facing it: N.L = N.H = 1, so the
  // colour is (0.4, 0.8, 0.6) times the spot factor.
  // rho = 1, inside the inner cone: factor 1.
  EXPECT_EQ(flatAt(lit(6, 0, 8, -0.6f, 0, -0.8f), 564, 237), 0xFF66CC99u);
  // rho = 0.8, between: ((0.8 - 0.5) / (0.9 - 0.5))^2 = 0.5625.
  EXPECT_EQ(flatAt(lit(0, 0, 10, 0, 0, -1), 324, 237), 0xFF397356u);
  // rho = 0.28, outside the outer cone: not even the light's ambient.
  EXPECT_EQ(flatAt(lit(-6, 0, 8, 0.6f, 0, -0.8f), 84, 237), 0xFF000000u);
}

TEST_F(Draw, ProjectiveWorldTransformsNormalsByTheWholeInverseTranspose) {
  device.setRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
  device.setRenderState(D3DRS_NORMALIZENORMALS, 1);
  device.setMaterial({{1, 1, 1, 1}, {1, 1, 1, 1}, {}, {0, 0, 0.2f, 0}, 0});
  D3DLIGHT9 sun{};
  sun.Type = D3DLIGHT_DIRECTIONAL;
  sun.Direction = {0, 0, 1};  // L = (0, 0, -1)
  sun.Ambient = {0.4f, 0, 0, 0}, sun.Diffuse = {0, 0.8f, 0, 0};
  device.setLight(0, sun);
  device.lightEnable(0, true);
  // (0, 0, 1) in the first world and (-1, 0, 0) in the second land on (320, 240).
  // (x, y, z) -> (x, y, z + 1, z): the inverse's upper 3x3 is diag(1, 1, 0), so the
  // facing normal becomes zero and only ambient and emissive are left.
  device.setTransform(D3DTS_WORLD,
                      D3DMATRIX{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 1}, {0, 0, 1, 0}}});
  EXPECT_EQ(flatAt(lit(0, 0, 1, 0, 0, -1), 324, 237), 0xFF660033u);
  // (x, y, z) -> (x + 1, y, z + 2, z + 1): normal (1, 0, 0) becomes (1, 0, -1), which
  // the upper 3x3 alone would leave unlit; N.L = 1 / sqrt 2 gives green 0.8 / sqrt 2.
  device.setTransform(D3DTS_WORLD,
                      D3DMATRIX{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 1}, {1, 0, 2, 1}}});
  EXPECT_EQ(flatAt(lit(-1, 0, 0, 1, 0, 0), 324, 237), 0xFF669033u);
}

}  // namespace
}  // namespace vandrel::gfx
