#include "render/device_setup.h"

#include <cstring>

#include "texgen/editor_hooks.h"
#include "texgen/texture_store.h"

namespace vandrel::render {

using namespace vandrel::gfx;

DeviceSetup deviceSetup;

namespace {

std::shared_ptr<Texture> createSlotTexture(int edge) {
  return deviceSetup.device->createTexture(edge, 0, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8);
}

void fillWhite(Texture& texture) {
  D3DLOCKED_RECT locked = texture.lockRect(D3DLOCK_DISCARD);
  auto* bytes = static_cast<unsigned char*>(locked.pBits);
  for (int row = 0; row < texture.edge(); ++row)
    std::memset(bytes + static_cast<std::size_t>(row) * locked.Pitch, 0xFF,
                static_cast<std::size_t>(texture.edge()) * 4);
  texture.unlockRect();
}

}  // namespace

D3DMATRIX viewMatrix() {
  return D3DMATRIX{{{1, 0, 0, 0}, {0, 0, 1, 0}, {0, -1, 0, 0}, {0, 0, 4, 1}}};
}

D3DMATRIX projectionMatrix() {
  // Given by their bits so that no conversion can change them.
  return D3DMATRIX{{{bitsToFloat(0x3F800000), 0, 0, 0},
                    {0, bitsToFloat(0x3FAAAAAB), 0, 0},
                    {0, 0, bitsToFloat(0x3F802903), bitsToFloat(0x3F800000)},
                    {0, 0, bitsToFloat(0xBF00147E), 0}}};
}

bool createDevice() {
  DeviceSetup& s = deviceSetup;
  s.device = std::make_unique<Device>();
  s.textures[kRenderTargetTexture] = s.device->createTexture(
      kStartRenderTargetEdge, 0, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8);
  const int edge = texgen::textureStore.edgeSize;
  for (int n = 1; n < kTextureTableSize; ++n) s.textures[n] = createSlotTexture(edge);
  fillWhite(*s.textures[kWhiteTexture]);
  s.device->setRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  s.device->setTransform(D3DTS_VIEW, viewMatrix());
  s.device->setTransform(D3DTS_PROJECTION, projectionMatrix());
  texgen::textureHooks.recreateSlotTexture.set(&deviceSetup, recreateSlotTexture);
  return true;
}

void releaseDevice() {
  texgen::textureHooks.recreateSlotTexture.clear(&deviceSetup);
  for (auto& texture : deviceSetup.textures) texture.reset();
  deviceSetup.device.reset();
}

void recreateRenderTargetTexture(int edge) {
  DeviceSetup& s = deviceSetup;
  if (!s.device || edge <= 0) return;
  if (s.textures[kRenderTargetTexture] && s.textures[kRenderTargetTexture]->edge() == edge) return;
  s.textures[kRenderTargetTexture] =
      s.device->createTexture(edge, 0, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8);
}

void recreateSlotTexture(int number, int edge) {
  if (!deviceSetup.device || number < 1 || number >= kTextureTableSize || edge <= 0) return;
  deviceSetup.textures[number] = createSlotTexture(edge);
}

void uploadCurrentTexture() {
  if (!deviceSetup.device) return;
  Texture* texture = deviceSetup.textures[texgen::textureStore.currentSlot].get();
  // The texture is re-created with the slot's size, so the two always agree; a
  // mismatch would mean writing past the surface.
  if (!texture || texture->edge() != texgen::textureStore.edgeSize) return;
  D3DLOCKED_RECT locked = texture->lockRect(D3DLOCK_DISCARD);
  texgen::copyCurrentLayerTo(locked.pBits, locked.Pitch);
  texture->unlockRect();
}

}  // namespace vandrel::render
