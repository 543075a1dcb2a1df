#include "platform/gfx/device.h"

#include <algorithm>
#include <cmath>

#include "platform/gfx/rasterizer.h"
#include "platform/gfx/vertex_stage.h"
#include "platform/os/parallel.h"

namespace vandrel::gfx {

namespace {

// Bytes one vertex of a format takes; 0 for a format this device does not read.
int vertexSize(DWORD fvf) {
  if (!(fvf & D3DFVF_XYZ)) return 0;
  int size = 12;
  if (fvf & D3DFVF_NORMAL) size += 12;
  if (fvf & D3DFVF_DIFFUSE) size += 4;
  if (fvf & D3DFVF_TEX1) size += 8;
  return size;
}

}  // namespace

Device::Device()
    : backBuffer_(static_cast<std::size_t>(kBackBufferWidth) * kBackBufferHeight, 0),
      depthBuffer_(static_cast<std::size_t>(kBackBufferWidth) * kBackBufferHeight, 0xFFFF) {
  resetToDefaults(state_);
}

std::shared_ptr<Texture> Device::createTexture(int edge, int levels, DWORD usage, D3DFORMAT format) {
  return std::make_shared<Texture>(edge, levels, usage, format);
}

void Device::setRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  if (state < kRenderStateCount) state_.renderStates[state] = value;
}

DWORD Device::getRenderState(D3DRENDERSTATETYPE state) const {
  return state < kRenderStateCount ? state_.renderStates[state] : 0;
}

void Device::setTextureStageState(int stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  if (stage >= 0 && stage < kTextureStageCount && type < kTextureStageStateCount)
    state_.stageStates[stage][type] = value;
}

void Device::setSamplerState(int sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
  if (sampler >= 0 && sampler < kTextureStageCount && type < kSamplerStateCount)
    state_.samplerStates[sampler][type] = value;
}

void Device::setTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX& matrix) {
  switch (type) {
    case D3DTS_WORLD: state_.world = matrix; break;
    case D3DTS_VIEW: state_.view = matrix; break;
    case D3DTS_PROJECTION: state_.projection = matrix; break;
  }
}

const D3DMATRIX& Device::getTransform(D3DTRANSFORMSTATETYPE type) const {
  switch (type) {
    case D3DTS_WORLD: return state_.world;
    case D3DTS_VIEW: return state_.view;
    default: return state_.projection;
  }
}

void Device::setLight(int index, const D3DLIGHT9& light) {
  if (index >= 0 && index < kLightCount) state_.lights[index] = light;
}

void Device::lightEnable(int index, bool enable) {
  if (index >= 0 && index < kLightCount) state_.lightEnabled[index] = enable;
}

void Device::setMaterial(const D3DMATERIAL9& material) { state_.material = material; }

void Device::setTexture(int stage, std::shared_ptr<Texture> texture) {
  if (stage >= 0 && stage < kTextureStageCount) state_.textures[stage] = std::move(texture);
}

void Device::setFVF(DWORD fvf) { state_.fvf = fvf; }

void Device::clear(DWORD flags, D3DCOLOR colour, float z) {
  if (flags & D3DCLEAR_TARGET) std::fill(backBuffer_.begin(), backBuffer_.end(), colour);
  if (flags & D3DCLEAR_ZBUFFER) {
    const float clamped = std::clamp(z, 0.0f, 1.0f);
    const auto depth = static_cast<std::uint16_t>(std::lround(clamped * 65535.0f));
    std::fill(depthBuffer_.begin(), depthBuffer_.end(), depth);
  }
}

void Device::beginScene() {}

void Device::endScene() {}

void Device::present() {
  if (presentHandler_) presentHandler_(backBuffer_.data(), kBackBufferWidth, kBackBufferHeight);
}

void Device::drawPrimitiveUP(D3DPRIMITIVETYPE type, int primitiveCount, const void* vertices,
                             int stride) {
  const int size = vertexSize(state_.fvf);
  if (!vertices || primitiveCount <= 0 || size == 0 || stride < size) return;
  int perPrimitive = 0;
  if (type == D3DPT_TRIANGLELIST) perPrimitive = 3;
  if (type == D3DPT_LINELIST) perPrimitive = 2;
  if (perPrimitive == 0) return;
  const int count = primitiveCount * perPrimitive;
  if (shaded_.size() < static_cast<std::size_t>(count)) shaded_.resize(count);
  // A shaded vertex depends only on its own bytes, so parts of a large draw are
  // shaded on every core; parts are whole quads of a triangle list.
  const auto* bytes = static_cast<const unsigned char*>(vertices);
  os::parallelChunks(static_cast<std::size_t>(count), 384, [&](std::size_t begin, std::size_t end) {
    processVertices(state_, bytes + begin * static_cast<std::size_t>(stride), state_.fvf, stride,
                    static_cast<int>(end - begin), shaded_.data() + begin);
  });
  RenderTarget target{backBuffer_.data(), kBackBufferWidth, depthBuffer_.data(), kBackBufferWidth,
                      kBackBufferHeight};
  if (perPrimitive == 3)
    drawTriangles(state_, shaded_.data(), primitiveCount, target);
  else
    drawLines(state_, shaded_.data(), primitiveCount, target);
}

void Device::stretchRect(Texture& destination) {
  // Nearest sample: each destination pixel centre maps to the source pixel under it.
  const int edge = destination.edge();
  std::uint32_t* out = destination.pixels();
  for (int y = 0; y < edge; ++y) {
    const int sy = static_cast<int>((y + 0.5) * kBackBufferHeight / edge);
    const std::uint32_t* row = backBuffer_.data() + static_cast<std::size_t>(sy) * kBackBufferWidth;
    for (int x = 0; x < edge; ++x) {
      const int sx = static_cast<int>((x + 0.5) * kBackBufferWidth / edge);
      out[static_cast<std::size_t>(y) * edge + x] = row[sx];
    }
  }
}

D3DLOCKED_RECT Device::lockBackBuffer() {
  return D3DLOCKED_RECT{kBackBufferWidth * 4, backBuffer_.data()};
}

}  // namespace vandrel::gfx
