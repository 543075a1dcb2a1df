#pragma once
// Our stand-in for a Direct3D 9 fixed-function device: the calls the renderer
// makes, drawn by a deterministic software pipeline into a 640 x 480 back buffer
// with a 16-bit depth buffer. The same calls give the same pixels everywhere.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/gfx/pipeline.h"
#include "platform/gfx/texture.h"

namespace vandrel::gfx {

class Device {
 public:
  Device();

  std::shared_ptr<Texture> createTexture(int edge, int levels, DWORD usage, D3DFORMAT format);

  void setRenderState(D3DRENDERSTATETYPE state, DWORD value);
  DWORD getRenderState(D3DRENDERSTATETYPE state) const;
  void setTextureStageState(int stage, D3DTEXTURESTAGESTATETYPE type, DWORD value);
  void setSamplerState(int sampler, D3DSAMPLERSTATETYPE type, DWORD value);
  void setTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX& matrix);
  const D3DMATRIX& getTransform(D3DTRANSFORMSTATETYPE type) const;
  void setLight(int index, const D3DLIGHT9& light);
  void lightEnable(int index, bool enable);
  void setMaterial(const D3DMATERIAL9& material);
  void setTexture(int stage, std::shared_ptr<Texture> texture);
  void setFVF(DWORD fvf);

  // flags: D3DCLEAR_TARGET and/or D3DCLEAR_ZBUFFER; z in 0..1.
  void clear(DWORD flags, D3DCOLOR colour, float z);
  void beginScene();
  void endScene();
  // Hands the finished back buffer to whoever shows it.
  void present();
  void drawPrimitiveUP(D3DPRIMITIVETYPE type, int primitiveCount, const void* vertices, int stride);

  // Copies the whole back buffer into level 0 of the texture, scaled by nearest sample.
  void stretchRect(Texture& destination);

  D3DLOCKED_RECT lockBackBuffer();
  void unlockBackBuffer() {}
  const std::uint32_t* backBuffer() const { return backBuffer_.data(); }
  const std::uint16_t* depthBuffer() const { return depthBuffer_.data(); }

  using PresentHandler = std::function<void(const std::uint32_t* pixels, int width, int height)>;
  void setPresentHandler(PresentHandler handler) { presentHandler_ = std::move(handler); }
  const PresentHandler& presentHandler() const { return presentHandler_; }

  const DeviceState& state() const { return state_; }
  // Puts back every state captured earlier with state(), as a state block does.
  void setState(const DeviceState& state) { state_ = state; }

 private:
  DeviceState state_;
  std::vector<std::uint32_t> backBuffer_;
  std::vector<std::uint16_t> depthBuffer_;
  std::vector<ShadedVertex> shaded_;  // grows to the largest draw, then reused
  PresentHandler presentHandler_;
};

}  // namespace vandrel::gfx
