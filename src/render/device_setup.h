#pragma once
// The renderer's one device and the texture table every other piece addresses by
// number: entry 0 the copy of the last frame, 1..255 the texture slots, 253 also
// plain white, 254 the texture animation's scratch texture.

#include <memory>

#include "platform/gfx/device.h"

namespace vandrel::render {

inline constexpr int kTextureTableSize = 256;
inline constexpr int kRenderTargetTexture = 0;
inline constexpr int kWhiteTexture = 253;
inline constexpr int kAnimationTexture = 254;
inline constexpr int kStartRenderTargetEdge = 32;

struct DeviceSetup {
  std::unique_ptr<gfx::Device> device;  // null before creation
  std::shared_ptr<gfx::Texture> textures[kTextureTableSize];
};

extern DeviceSetup deviceSetup;

// The fixed view: a vertex (x, y, z) lands at (x, -z, y + 4), the stored y being depth.
gfx::D3DMATRIX viewMatrix();
// Left-handed perspective, 90 degrees across, 4:3, near 0.5, far about 400.
gfx::D3DMATRIX projectionMatrix();

// Creates the device and the texture table at the current texture size, and
// connects the texture generator so that slot changes re-create slot textures.
bool createDevice();
void releaseDevice();

// Entry 0 at a new edge (nothing when the edge is unchanged).
void recreateRenderTargetTexture(int edge);
// Entry n (1..255) at a new edge.
void recreateSlotTexture(int number, int edge);

// Copies the current slot's current layer into level 0 of its texture.
void uploadCurrentTexture();

}  // namespace vandrel::render
