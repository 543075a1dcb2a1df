#pragma once
// Small helpers for tests that run texture operations on their own images.

#include <cstdint>
#include <vector>

#include "texgen/limits.h"
#include "texgen/ops.h"

namespace vandrel::texgen::test {

constexpr std::uint8_t blue(Pixel p) { return p & 0xFF; }
constexpr std::uint8_t green(Pixel p) { return (p >> 8) & 0xFF; }
constexpr std::uint8_t red(Pixel p) { return (p >> 16) & 0xFF; }
constexpr std::uint8_t alpha(Pixel p) { return p >> 24; }
constexpr Pixel bgra(int b, int g, int r, int a) {
  return Pixel(b) | Pixel(g) << 8 | Pixel(r) << 16 | Pixel(a) << 24;
}
constexpr Pixel grey(int v, int a) { return bgra(v, v, v, a); }

struct Image {
  int edge;
  std::vector<Pixel> px;

  explicit Image(int e, Pixel fill = 0) : edge(e), px(std::size_t(e) * e, fill) {}
  Pixel& at(int row, int col) { return px[std::size_t(row) * edge + col]; }
  Pixel at(int row, int col) const { return px[std::size_t(row) * edge + col]; }
  Pixel* data() { return px.data(); }
};

// A deterministic image with every byte varied, alpha included.
inline Image patternImage(int edge, std::uint32_t seed = 12345) {
  Image img(edge);
  std::uint32_t s = seed ? seed : 1;
  for (Pixel& p : img.px) {
    s ^= s << 13;
    s ^= s >> 17;
    s ^= s << 5;
    p = s;
  }
  return img;
}

// A scratch image as large as the program's (2048 x 2048).
inline Pixel* scratchImage() {
  static std::vector<Pixel> scratch(kScratchBytes / sizeof(Pixel));
  return scratch.data();
}

}  // namespace vandrel::texgen::test
