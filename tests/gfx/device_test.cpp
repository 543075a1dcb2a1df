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
