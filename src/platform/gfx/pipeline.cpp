#include "platform/gfx/pipeline.h"

#include <cstring>

namespace vandrel::gfx {

DWORD floatBits(float f) {
  DWORD bits;
  std::memcpy(&bits, &f, sizeof bits);
  return bits;
}

float bitsToFloat(DWORD bits) {
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

void resetToDefaults(DeviceState& s) {
  std::memset(s.renderStates, 0, sizeof s.renderStates);
  s.renderStates[D3DRS_ZENABLE] = D3DZB_TRUE;
  s.renderStates[D3DRS_FILLMODE] = D3DFILL_SOLID;
  s.renderStates[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
  s.renderStates[D3DRS_ZWRITEENABLE] = 1;
  s.renderStates[D3DRS_ALPHATESTENABLE] = 0;
  s.renderStates[D3DRS_SRCBLEND] = D3DBLEND_ONE;
  s.renderStates[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
  s.renderStates[D3DRS_CULLMODE] = D3DCULL_CCW;
  s.renderStates[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
  s.renderStates[D3DRS_ALPHAREF] = 0;
  s.renderStates[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
  s.renderStates[D3DRS_ALPHABLENDENABLE] = 0;
  s.renderStates[D3DRS_FOGENABLE] = 0;
  s.renderStates[D3DRS_SPECULARENABLE] = 0;
  s.renderStates[D3DRS_FOGCOLOR] = 0;
  s.renderStates[D3DRS_FOGTABLEMODE] = D3DFOG_NONE;
  s.renderStates[D3DRS_FOGSTART] = floatBits(0.0f);
  s.renderStates[D3DRS_FOGEND] = floatBits(1.0f);
  s.renderStates[D3DRS_FOGDENSITY] = floatBits(1.0f);
  s.renderStates[D3DRS_RANGEFOGENABLE] = 0;
  s.renderStates[D3DRS_LIGHTING] = 1;
  s.renderStates[D3DRS_AMBIENT] = 0;
  s.renderStates[D3DRS_FOGVERTEXMODE] = D3DFOG_NONE;
  s.renderStates[D3DRS_COLORVERTEX] = 1;
  s.renderStates[D3DRS_LOCALVIEWER] = 1;
  s.renderStates[D3DRS_NORMALIZENORMALS] = 0;
  s.renderStates[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
  s.renderStates[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
  s.renderStates[D3DRS_AMBIENTMATERIALSOURCE] = D3DMCS_MATERIAL;
  s.renderStates[D3DRS_EMISSIVEMATERIALSOURCE] = D3DMCS_MATERIAL;
  s.renderStates[D3DRS_BLENDOP] = D3DBLENDOP_ADD;

  std::memset(s.stageStates, 0, sizeof s.stageStates);
  for (int stage = 0; stage < kTextureStageCount; ++stage) {
    DWORD* t = s.stageStates[stage];
    t[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    t[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    t[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    t[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    t[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    t[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    t[D3DTSS_TEXCOORDINDEX] = static_cast<DWORD>(stage);
    t[D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_DISABLE;
  }

  std::memset(s.samplerStates, 0, sizeof s.samplerStates);
  for (int sampler = 0; sampler < kTextureStageCount; ++sampler) {
    DWORD* t = s.samplerStates[sampler];
    t[D3DSAMP_ADDRESSU] = D3DTADDRESS_WRAP;
    t[D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
    t[D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
    t[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
    t[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
  }

  s.world = s.view = s.projection = identityMatrix();
  // A light enabled without being set is a white directional light along +z.
  for (D3DLIGHT9& light : s.lights) {
    light = D3DLIGHT9{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1, 1, 1, 0};
    light.Direction = {0, 0, 1};
  }
  for (bool& e : s.lightEnabled) e = false;
  s.material = D3DMATERIAL9{};
  for (auto& t : s.textures) t.reset();
  s.fvf = 0;
}

}  // namespace vandrel::gfx
