#include "platform/gfx/device.h"

#include <gtest/gtest.h>

namespace vandrel::gfx {
namespace {

TEST(Device, StartsWithTheDirect3DDefaults) {
  Device device;
  EXPECT_EQ(device.getRenderState(D3DRS_CULLMODE), D3DCULL_CCW);
  EXPECT_EQ(device.getRenderState(D3DRS_ZFUNC), D3DCMP_LESSEQUAL);
  EXPECT_EQ(device.state().tss(0, D3DTSS_COLOROP), D3DTOP_MODULATE);
  EXPECT_EQ(device.state().tss(1, D3DTSS_COLOROP), D3DTOP_DISABLE);
  EXPECT_EQ(device.state().tss(1, D3DTSS_TEXCOORDINDEX), 1u);
  EXPECT_EQ(device.state().samp(0, D3DSAMP_MAGFILTER), D3DTEXF_POINT);
  EXPECT_EQ(bitsToFloat(device.getRenderState(D3DRS_FOGEND)), 1.0f);
}

}  // namespace
}  // namespace vandrel::gfx

namespace vandrel::gfx {
namespace {

// Paints each back-buffer pixel with a colour that names its position.
void paintPositions(Device& device) {
  D3DLOCKED_RECT locked = device.lockBackBuffer();
  for (int y = 0; y < kBackBufferHeight; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(static_cast<char*>(locked.pBits) + y * locked.Pitch);
    for (int x = 0; x < kBackBufferWidth; ++x) row[x] = 0xFF000000u | std::uint32_t(y) << 10 | x;
  }
  device.unlockBackBuffer();
}

TEST(Device, StretchRectScalesTheBackBufferByNearestSample) {
  Device device;
  paintPositions(device);
  auto small = device.createTexture(32, 0, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8);
  device.stretchRect(*small);
  // 640 / 32 = 20 and 480 / 32 = 15 pixels per texel; the centre of texel (x, y)
  // lies over back-buffer pixel (20x + 10, 15y + 7).
  for (int y : {0, 5, 31})
    for (int x : {0, 17, 31})
      EXPECT_EQ(small->pixels()[y * 32 + x], 0xFF000000u | std::uint32_t(15 * y + 7) << 10 | (20 * x + 10));

  auto large = device.createTexture(512, 0, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8);
  device.stretchRect(*large);
  // Magnified: 1.25 texels per pixel across, 1.0666 down; every texel reads a pixel.
  EXPECT_EQ(large->pixels()[0], 0xFF000000u);
  EXPECT_EQ(large->pixels()[511], 0xFF000000u | 639);
  EXPECT_EQ(large->pixels()[511 * 512 + 511], 0xFF000000u | 479u << 10 | 639);
  EXPECT_EQ(large->pixels()[100 * 512 + 100], 0xFF000000u | 94u << 10 | 125);
}

TEST(Device, ClearWritesTargetAndSixteenBitDepthSeparately) {
  Device device;
  device.clear(D3DCLEAR_ZBUFFER, 0x12345678, 1.0f);
  device.clear(D3DCLEAR_TARGET, 0x00787878, 0.25f);
  EXPECT_EQ(device.backBuffer()[0], 0x00787878u);  // alpha 0 stays 0
  EXPECT_EQ(device.depthBuffer()[0], 65535);
  device.clear(D3DCLEAR_ZBUFFER, 0, 0.5f);
  EXPECT_EQ(device.depthBuffer()[640 * 480 - 1], 32768);
  EXPECT_EQ(device.backBuffer()[640 * 480 - 1], 0x00787878u);

  int presented = 0;
  device.setPresentHandler([&](const std::uint32_t* pixels, int w, int h) {
    presented += w == 640 && h == 480 && pixels[0] == 0x00787878u;
  });
  device.present();
  EXPECT_EQ(presented, 1);
}

}  // namespace
}  // namespace vandrel::gfx
