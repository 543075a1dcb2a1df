#include "pack/document.h"
#include "render/device_setup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "texgen/catalogue.h"
#include "texgen/dispatcher.h"
#include "texgen/editor_hooks.h"
#include "texgen/texture_store.h"

namespace vandrel::render {
namespace {

using namespace vandrel::gfx;

class DeviceSetupTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(createDevice()); }
  void TearDown() override { releaseDevice(); }
  pack::Document document;
  static Texture& entry(int n) { return *deviceSetup.textures[n]; }
};

TEST_F(DeviceSetupTest, CreatesTheTextureTable) {
  EXPECT_EQ(entry(0).edge(), 32);
  EXPECT_EQ(entry(0).usage(), D3DUSAGE_RENDERTARGET);
  EXPECT_EQ(entry(0).format(), D3DFMT_A8R8G8B8);
  for (int n = 1; n < kTextureTableSize; ++n) {
    ASSERT_EQ(entry(n).edge(), 32) << n;
    ASSERT_EQ(entry(n).usage(), D3DUSAGE_DYNAMIC) << n;
    ASSERT_EQ(entry(n).levelCount(), 6) << n;  // the full chain 32..1
  }
  const std::uint32_t* white = entry(kWhiteTexture).pixels();
  EXPECT_TRUE(std::all_of(white, white + 32 * 32, [](std::uint32_t p) { return p == 0xFFFFFFFFu; }));
  EXPECT_EQ(entry(1).pixels()[0], 0u);
  EXPECT_EQ(deviceSetup.device->getRenderState(D3DRS_CULLMODE), D3DCULL_NONE);
}

TEST_F(DeviceSetupTest, ViewAndProjectionAreTheFixedMatrices) {
  const D3DMATRIX& p = deviceSetup.device->getTransform(D3DTS_PROJECTION);
  EXPECT_EQ(floatBits(p.m[0][0]), 0x3F800000u);
  EXPECT_EQ(floatBits(p.m[1][1]), 0x3FAAAAABu);
  EXPECT_EQ(floatBits(p.m[2][2]), 0x3F802903u);
  EXPECT_EQ(floatBits(p.m[2][3]), 0x3F800000u);
  EXPECT_EQ(floatBits(p.m[3][2]), 0xBF00147Eu);
  EXPECT_EQ(p.m[3][3], 0.0f);
  // A point (x, y, z) lands at (x, -z, y + 4) in view space.
  const D3DMATRIX& v = deviceSetup.device->getTransform(D3DTS_VIEW);
  const float x = 2, y = 3, z = 5;
  float out[3];
  for (int c = 0; c < 3; ++c) out[c] = x * v.m[0][c] + y * v.m[1][c] + z * v.m[2][c] + v.m[3][c];
  EXPECT_EQ(out[0], 2.0f);
  EXPECT_EQ(out[1], -5.0f);
  EXPECT_EQ(out[2], 7.0f);
}

TEST_F(DeviceSetupTest, RenderTargetIsRecreatedOnlyForANewSize) {
  Texture* before = deviceSetup.textures[0].get();
  recreateRenderTargetTexture(32);
  EXPECT_EQ(deviceSetup.textures[0].get(), before);
  recreateRenderTargetTexture(256);
  EXPECT_NE(deviceSetup.textures[0].get(), before);
  EXPECT_EQ(entry(0).edge(), 256);
  EXPECT_EQ(entry(0).format(), D3DFMT_X8R8G8B8);
  EXPECT_EQ(entry(0).usage(), D3DUSAGE_RENDERTARGET);
}

TEST_F(DeviceSetupTest, SlotChangesRecreateTheSlotTextureAndTheUploadFillsIt) {
  using namespace vandrel::texgen;
  TextureOp& op = currentEntry();
  op = TextureOp{};
  op.words[0] = kChessfield;
  ++textureStore.entryCount;
  ASSERT_TRUE(changeEdgeSize(128));
  EXPECT_EQ(entry(1).edge(), 128);
  EXPECT_EQ(entry(2).edge(), 32);
  uploadCurrentTexture();
  EXPECT_EQ(std::memcmp(entry(1).pixels(), layer(textureStore.entryCount), 128 * 128 * 4), 0);

  selectSlot(7);
  EXPECT_EQ(entry(7).edge(), 32);
  releaseDevice();
  selectSlot(1);  // no device: the generator still works
  EXPECT_EQ(textureStore.edgeSize, 128);
}

}  // namespace
}  // namespace vandrel::render

namespace vandrel::render {
namespace {

// A quad facing the camera through the fixed view and projection, covering the
// middle of the screen at depth 4.
std::vector<gfx::Vertex> quad(std::uint32_t colour) {
  auto v = [&](float x, float z, float u, float w) { return gfx::Vertex{x, 0, z, 0, -1, 0, colour, u, w}; };
  return {v(-1, 1, 0, 0), v(1, 1, 1, 0), v(-1, -1, 0, 1), v(1, 1, 1, 0), v(1, -1, 1, 1), v(-1, -1, 0, 1)};
}

TEST_F(DeviceSetupTest, TheWhiteTextureSamplesAsOpaqueWhiteThroughTheFixedCamera) {
  gfx::Device& device = *deviceSetup.device;
  device.setRenderState(gfx::D3DRS_LIGHTING, 0);
  device.setFVF(gfx::kFvfVertex);
  device.setTexture(0, deviceSetup.textures[kWhiteTexture]);
  device.clear(gfx::D3DCLEAR_TARGET | gfx::D3DCLEAR_ZBUFFER, 0x00787878, 1.0f);
  const auto vertices = quad(0x80402010);
  device.drawPrimitiveUP(gfx::D3DPT_TRIANGLELIST, 2, vertices.data(), sizeof(gfx::Vertex));
  // x = +-1 at depth 4 lands at 320 +- 80; z = +-1 at 240 -+ 80.
  EXPECT_EQ(device.backBuffer()[240 * 640 + 320], 0xFF402010u);  // white x colour, texture alpha
  EXPECT_EQ(device.backBuffer()[170 * 640 + 250], 0xFF402010u);
  EXPECT_EQ(device.backBuffer()[150 * 640 + 320], 0x00787878u);  // outside the quad
  EXPECT_EQ(device.backBuffer()[240 * 640 + 405], 0x00787878u);
}

}  // namespace
}  // namespace vandrel::render
