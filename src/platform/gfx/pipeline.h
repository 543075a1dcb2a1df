#pragma once
// The device's state as the pipeline stages read it, and what the vertex stage
// hands to the rasteriser.

#include <cstdint>
#include <memory>

#include "platform/gfx/d3d9_types.h"
#include "platform/gfx/texture.h"

namespace vandrel::gfx {

inline constexpr int kLightCount = 8;
inline constexpr int kBackBufferWidth = 640;
inline constexpr int kBackBufferHeight = 480;

struct DeviceState {
  DWORD renderStates[kRenderStateCount];
  DWORD stageStates[kTextureStageCount][kTextureStageStateCount];
  DWORD samplerStates[kTextureStageCount][kSamplerStateCount];
  D3DMATRIX world, view, projection;
  D3DLIGHT9 lights[kLightCount];
  bool lightEnabled[kLightCount];
  D3DMATERIAL9 material;
  std::shared_ptr<Texture> textures[kTextureStageCount];
  DWORD fvf;

  DWORD rs(D3DRENDERSTATETYPE s) const { return renderStates[s]; }
  DWORD tss(int stage, D3DTEXTURESTAGESTATETYPE s) const { return stageStates[stage][s]; }
  DWORD samp(int sampler, D3DSAMPLERSTATETYPE s) const { return samplerStates[sampler][s]; }
};

// The defaults Direct3D 9 gives a new device with a depth buffer.
void resetToDefaults(DeviceState& state);

// One vertex after transform, lighting, fog and texture coordinate generation.
struct ShadedVertex {
  float x, y, z, w;    // clip space
  float diffuse[4];    // r, g, b, a in 0..1
  float specular[3];   // r, g, b in 0..1; 0 when specular is off
  float fog;           // fog factor in 0..1, 1 = no fog
  float tex[2][2];     // (u, v) for stages 0 and 1
};

// Where the rasteriser draws: the back buffer and its 16-bit depth buffer.
struct RenderTarget {
  std::uint32_t* colour;  // 0xAARRGGBB
  int pitch;              // pixels from one row to the next
  std::uint16_t* depth;   // width x height, row-major
  int width, height;
};

}  // namespace vandrel::gfx
