#include "platform/gfx/texture.h"

namespace vandrel::gfx {

namespace {
int fullChain(int edge) {
  int levels = 1;
  while (edge > 1) {
    edge /= 2;
    ++levels;
  }
  return levels;
}
}  // namespace

Texture::Texture(int edge, int levels, DWORD usage, D3DFORMAT format)
    : edge_(edge > 0 ? edge : 1),
      levels_(levels > 0 ? levels : fullChain(edge_)),
      usage_(usage),
      format_(format),
      pixels_(static_cast<std::size_t>(edge_) * edge_, 0) {}

D3DLOCKED_RECT Texture::lockRect(DWORD) {
  locked_ = true;
  return D3DLOCKED_RECT{edge_ * 4, pixels_.data()};
}

void Texture::unlockRect() { locked_ = false; }

}  // namespace vandrel::gfx
