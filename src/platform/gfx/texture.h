#pragma once
// A square texture. Only level 0 holds pixels: the sampler never reads another
// level (no mip filtering), so the lower levels of a chain exist by count only.

#include <cstdint>
#include <vector>

#include "platform/gfx/d3d9_types.h"

namespace vandrel::gfx {

class Texture {
 public:
  // levels 0 means the full chain down to 1 x 1.
  Texture(int edge, int levels, DWORD usage, D3DFORMAT format);

  int edge() const { return edge_; }
  int levelCount() const { return levels_; }
  DWORD usage() const { return usage_; }
  D3DFORMAT format() const { return format_; }

  // Level 0, whole surface. Pixels are 0xAARRGGBB words, rows edge() pixels apart.
  D3DLOCKED_RECT lockRect(DWORD flags = 0);
  void unlockRect();
  bool isLocked() const { return locked_; }

  const std::uint32_t* pixels() const { return pixels_.data(); }
  std::uint32_t* pixels() { return pixels_.data(); }

 private:
  int edge_;
  int levels_;
  DWORD usage_;
  D3DFORMAT format_;
  bool locked_ = false;
  std::vector<std::uint32_t> pixels_;
};

}  // namespace vandrel::gfx
