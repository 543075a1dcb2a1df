#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <cstdlib>

#include "texgen/ops.h"
#include "texgen/vector_width.h"

namespace vandrel::texgen {

namespace {

using Byte = std::uint8_t;
constexpr Pixel kColour = 0x00FFFFFFu;
constexpr Pixel kAlpha = 0xFF000000u;

// --- packed blur ------------------------------------------------------------------

// Four pixels, i.e. two pixel pairs, side by side; GCC and Clang lower this to one
// SSE2 / NEON register. Lanes 0 and 2 are the first pixels of their pairs, lanes 1
// and 3 the second ones.
typedef std::uint32_t Quad __attribute__((vector_size(16)));

constexpr Quad splat(Pixel v) { return Quad{v, v, v, v}; }

// memcpy keeps the unaligned access free of aliasing and alignment UB; it compiles
// to a single unaligned move.
inline Quad loadQuad(const Pixel* p) {
  Quad q;
  std::memcpy(&q, p, sizeof q);
  return q;
}

inline void storeQuad(Pixel* p, Quad q) { std::memcpy(p, &q, sizeof q); }

// Rows 0 and edge-1 take the colour of their inner neighbour row, keeping alpha.
void replicateOuterRows(Pixel* layer, int edge) {
  Pixel* first = layer;
  const Pixel* second = layer + edge;
  Pixel* last = layer + std::size_t(edge - 1) * edge;
  const Pixel* beforeLast = last - edge;
  for (int j = 0; j < edge; ++j) {
    first[j] = (first[j] & kAlpha) | (second[j] & kColour);
    last[j] = (last[j] & kAlpha) | (beforeLast[j] & kColour);
  }
}

// One pass of blur (kVertical: four neighbours, div 8) or motion blur (left and
// right, div 4) over rows 1..edge-2, walked in place as one run of memory, so the
// left neighbour of column 0 is the last pixel of the row above and the right
// neighbour of the last column the first pixel of the row below. Each part is
// shifted as a whole and masked to the colour bits that stayed inside their byte, so
// nothing leaks between channels; alpha parts are masked to 0 and the centre alpha
// is put back last.
//
// The per-byte sums cannot exceed 255 (blur 127 + 4 x 31 = 251, motion blur
// 127 + 2 x 63 = 253): no byte ever carries into the next, so plain lane addition,
// in any order, is exactly the per-byte saturating sum.
//
// The second pixel of a pair sees the old first pixel as its left neighbour; the
// first pixel sees the new second pixel of the previous pair. That new value does not
// depend on any other new left value, so it is complete before the first pixels' left
// parts are added, and it is carried to the next step in a register: no reload of
// the words just stored, and no dependency chain from step to step.
template <int kShift, bool kVertical>
void packedBlurPass(Pixel* layer, int edge) {
  constexpr Pixel kPart = (0xFFu >> kShift) * 0x010101u;
  constexpr Quad kHalf = splat(0x7F7F7Fu);
  constexpr Quad kParts = splat(kPart);
  constexpr Quad kSecondParts = {0, kPart, 0, kPart};
  constexpr Quad kFirstParts = {kPart, 0, kPart, 0};
  constexpr Quad kAlphas = splat(kAlpha);

  // Rows 1..edge-2 hold edge x (edge-2) pixels, a multiple of 4 for any even edge.
  Pixel* const end = layer + std::size_t(edge - 1) * edge;
  // Lane 3 holds the new pixel before the step. Before row 1 that is the last pixel
  // of row 0, which the pass changes only at the very end.
  Quad previous = {0, 0, 0, layer[edge - 1]};
  for (Pixel* p = layer + edge; p < end; p += 4) {
    const Quad centre = loadQuad(p);
    Quad sum = ((centre >> 1) & kHalf) + ((loadQuad(p + 1) >> kShift) & kParts);
    if constexpr (kVertical)  // the row above is already new, the row below still old
      sum += ((loadQuad(p - edge) >> kShift) & kParts) + ((loadQuad(p + edge) >> kShift) & kParts);
    sum += (__builtin_shufflevector(centre, centre, 0, 0, 2, 2) >> kShift) & kSecondParts;
    const Quad firstLefts = __builtin_shufflevector(previous, sum, 3, 3, 5, 5);
    storeQuad(p, (sum + ((firstLefts >> kShift) & kFirstParts)) | (centre & kAlphas));
    previous = sum;
  }
  replicateOuterRows(layer, edge);
}

// --- 3 x 3 neighbourhood filters ------------------------------------------------

// Runs f on every byte with the same byte of its eight neighbours (4 bytes left and
// right in the rows above, at and below; border rows and columns clamped), writing
// into scratch; alpha is then taken from the input pixel and the result replaces the
// layer. f also runs on the alpha bytes, whose result is dropped, so that the
// interior of a row is one plain byte loop the compiler vectorises.
// Always inlined, so that a caller built for a wider instruction set takes it along.
template <class F>
[[gnu::always_inline]] inline void filter3x3(Pixel* layer, Pixel* scratch, int edge, F f) {
  const int rowBytes = edge * 4;
  for (int i = 0; i < edge; ++i) {
    const auto* up = reinterpret_cast<const Byte*>(layer + std::size_t(std::max(i - 1, 0)) * edge);
    const auto* mid = reinterpret_cast<const Byte*>(layer + std::size_t(i) * edge);
    const auto* down = reinterpret_cast<const Byte*>(layer + std::size_t(std::min(i + 1, edge - 1)) * edge);
    Pixel* outRow = scratch + std::size_t(i) * edge;
    auto* out = reinterpret_cast<Byte*>(outRow);

    for (int k = 0; k < 4; ++k)  // column 0 is its own left neighbour
      out[k] = f(up[k], up[k], up[k + 4], mid[k], mid[k], mid[k + 4], down[k], down[k], down[k + 4]);
    for (int k = 4; k < rowBytes - 4; ++k)
      out[k] = f(up[k - 4], up[k], up[k + 4], mid[k - 4], mid[k], mid[k + 4], down[k - 4], down[k],
                 down[k + 4]);
    for (int k = rowBytes - 4; k < rowBytes; ++k)  // the last column is its own right neighbour
      out[k] = f(up[k - 4], up[k], up[k], mid[k - 4], mid[k], mid[k], down[k - 4], down[k], down[k]);

    const Pixel* inRow = layer + std::size_t(i) * edge;
    for (int j = 0; j < edge; ++j) outRow[j] = (outRow[j] & kColour) | (inRow[j] & kAlpha);
  }
  std::memcpy(layer, scratch, std::size_t(edge) * edge * sizeof(Pixel));
}

inline void sort2(Byte& a, Byte& b) {
  const Byte low = std::min(a, b);
  b = std::max(a, b);
  a = low;
}

inline Byte median3(Byte a, Byte b, Byte c) { return std::max(std::min(a, b), std::min(std::max(a, b), c)); }

// The grey of emboss: the whole part of sqrt(v^2 + h^2), at most 255. That is the
// integer square root, and single precision finds it as well as double: the sum is
// below 2^24, so exact as a float, and a correctly rounded root of an integer never
// reaches the next whole number (for m^2 - 1 it stays 1 / 2m below m, more than half
// a float step for any m below 2^12). Floats go twice as many to a register.
inline Byte embossByte(Byte tl, Byte t, Byte tr, Byte l, Byte, Byte r, Byte bl, Byte b, Byte br) {
  const int v = (bl + b + br) - (tl + t + tr) + 128;
  const int h = (tr + r + br) - (tl + l + bl) + 128;
  return static_cast<Byte>(std::min(static_cast<int>(std::sqrt(static_cast<float>(v * v + h * h))), 255));
}

VANDREL_WIDE_VECTORS
void embossLayer(Pixel* layer, Pixel* scratch, int edge) {
  filter3x3(layer, scratch, edge, [](auto... bytes) { return embossByte(bytes...); });
}

}  // namespace

void blurPass(Pixel* layer, int edge) { packedBlurPass<3, true>(layer, edge); }

void motionBlurPass(Pixel* layer, int edge) { packedBlurPass<2, false>(layer, edge); }

void radialBlurPass(Pixel* layer, Pixel* scratch, int edge, int zoom) {
  std::memcpy(scratch, layer, std::size_t(edge) * edge * sizeof(Pixel));
  const Pixel* src = scratch;

  // The source row is the same function of i as the source column is of j. -1 marks
  // a source outside the image; testing the double first keeps the truncation in
  // range whatever the zoom.
  constexpr int kMaxEdge = 2048;  // the scratch image bounds every edge
  int source[kMaxEdge];
  const int c = edge / 2;
  for (int x = 0; x < edge; ++x) {
    const double s = c + double(x - c) * (255 - zoom) * 0.00392156862745098;
    source[x] = (s > -1.0 && s < edge) ? static_cast<int>(s) : -1;
  }

  for (int i = 0; i < edge; ++i) {
    const int sr = source[i];
    if (sr < 0) continue;
    const Pixel* fromRow = src + std::size_t(sr) * edge;
    const Pixel* ownRow = src + std::size_t(i) * edge;
    Pixel* outRow = layer + std::size_t(i) * edge;
    for (int j = 0; j < edge; ++j) {
      const int sc = source[j];
      if (sc < 0) continue;
      const Pixel a = ownRow[j];
      const Pixel b = fromRow[sc];
      // Per byte (a + b) div 2, without a carry between bytes.
      const Pixel mean = (a & b) + (((a ^ b) >> 1) & 0x7F7F7F7Fu);
      outRow[j] = (mean & kColour) | (a & kAlpha);
    }
  }
}

void median(Pixel* layer, Pixel* scratch, int edge) {
  // The fifth largest of nine values is their median. With each column sorted, that
  // is the median of the largest column minimum, the median of the column medians and
  // the smallest column maximum.
  filter3x3(layer, scratch, edge, [](Byte tl, Byte t, Byte tr, Byte l, Byte c, Byte r, Byte bl, Byte b, Byte br) {
    sort2(tl, l), sort2(l, bl), sort2(tl, l);
    sort2(t, c), sort2(c, b), sort2(t, c);
    sort2(tr, r), sort2(r, br), sort2(tr, r);
    const Byte lows = std::max(std::max(tl, t), tr);
    const Byte highs = std::min(std::min(bl, b), br);
    return median3(lows, median3(l, c, r), highs);
  });
}

void dilate(Pixel* layer, Pixel* scratch, int edge) {
  filter3x3(layer, scratch, edge, [](Byte tl, Byte t, Byte tr, Byte l, Byte c, Byte r, Byte bl, Byte b, Byte br) {
    return std::max({tl, t, tr, l, c, r, bl, b, br});
  });
}

void erode(Pixel* layer, Pixel* scratch, int edge) {
  filter3x3(layer, scratch, edge, [](Byte tl, Byte t, Byte tr, Byte l, Byte c, Byte r, Byte bl, Byte b, Byte br) {
    return std::min({tl, t, tr, l, c, r, bl, b, br});
  });
}

void edgeDetect(Pixel* layer, Pixel* scratch, int edge) {
  filter3x3(layer, scratch, edge, [](Byte tl, Byte t, Byte tr, Byte, Byte, Byte, Byte bl, Byte b, Byte br) {
    const int g = tl + 2 * t + tr - bl - 2 * b - br;
    return static_cast<Byte>(std::min(2 * std::abs(g), 255));
  });
}

void emboss(Pixel* layer, Pixel* scratch, int edge) { embossLayer(layer, scratch, edge); }

void sharpen(Pixel* layer, Pixel* scratch, int edge) {
  filter3x3(layer, scratch, edge, [](Byte tl, Byte t, Byte tr, Byte l, Byte c, Byte r, Byte bl, Byte b, Byte br) {
    // Every term is non-negative, so the shifts are the truncating divisions.
    const int value = ((5 * c) >> 1) - ((t + b + l + r) >> 2) - ((tl + tr + bl + br) >> 3);
    return static_cast<Byte>(std::clamp(value, 0, 255));
  });
}

}  // namespace vandrel::texgen
