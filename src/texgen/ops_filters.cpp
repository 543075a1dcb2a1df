#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <cstdlib>

#include "texgen/ops.h"

#include "platform/os/parallel.h"
#include "texgen/vector_width.h"

namespace vandrel::texgen {

namespace {

using Byte = std::uint8_t;
constexpr Pixel kColour = 0x00FFFFFFu;
constexpr Pixel kAlpha = 0xFF000000u;

// --- packed blur ------------------------------------------------------------------

// Eight pixels, i.e. four pixel pairs, side by side: one AVX2 register, or two SSE2
// / NEON ones. Even lanes are the first pixels of their pairs, odd lanes the second
// ones. The helpers taking them are all inlined into their callers, so GCC's note
// that passing 32-byte vectors changes the calling convention without AVX does not
// apply.
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif
typedef std::uint32_t Octet __attribute__((vector_size(32)));

constexpr Octet splat(Pixel v) { return Octet{v, v, v, v, v, v, v, v}; }

// memcpy keeps the unaligned access free of aliasing and alignment UB; it compiles
// to unaligned moves.
[[gnu::always_inline]] inline Octet loadOctet(const Pixel* p) {
  Octet q;
  std::memcpy(&q, p, sizeof q);
  return q;
}

[[gnu::always_inline]] inline void storeOctet(Pixel* p, Octet q) { std::memcpy(p, &q, sizeof q); }

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
//
// Old values are read from `below`, new ones (the row above) from the layer, so the
// first pass of a repeat reads the layer below and the copy of it is saved; later
// passes have below == layer. The outer rows start as the input's.
template <int kShift, bool kVertical>
[[gnu::always_inline]] inline void packedBlurPass(const Pixel* below, Pixel* layer, int edge) {
  constexpr Pixel kPart = (0xFFu >> kShift) * 0x010101u;
  constexpr Octet kHalf = splat(0x7F7F7Fu);
  constexpr Octet kParts = splat(kPart);
  constexpr Octet kSecondParts = {0, kPart, 0, kPart, 0, kPart, 0, kPart};
  constexpr Octet kFirstParts = {kPart, 0, kPart, 0, kPart, 0, kPart, 0};
  constexpr Octet kAlphas = splat(kAlpha);

  // Rows 1..edge-2 hold edge x (edge-2) = 4m(m-1) pixels for edge = 2m: a multiple of
  // 8 for any even edge.
  const std::size_t size = std::size_t(edge) * edge;
  if (below != layer) {
    std::memcpy(layer, below, edge * sizeof(Pixel));
    std::memcpy(layer + size - edge, below + size - edge, edge * sizeof(Pixel));
  }
  const std::size_t end = size - edge;
  // Lane 7 holds the new pixel before the step. Before row 1 that is the last pixel
  // of row 0, which the pass changes only at the very end.
  Octet previous = {0, 0, 0, 0, 0, 0, 0, below[edge - 1]};
  for (std::size_t p = edge; p < end; p += 8) {
    const Octet centre = loadOctet(below + p);
    Octet sum = ((centre >> 1) & kHalf) + ((loadOctet(below + p + 1) >> kShift) & kParts);
    if constexpr (kVertical)  // the row above is already new, the row below still old
      sum += ((loadOctet(layer + p - edge) >> kShift) & kParts) +
             ((loadOctet(below + p + edge) >> kShift) & kParts);
    sum += (__builtin_shufflevector(centre, centre, 0, 0, 2, 2, 4, 4, 6, 6) >> kShift) & kSecondParts;
    const Octet firstLefts = __builtin_shufflevector(previous, sum, 7, 7, 9, 9, 11, 11, 13, 13);
    storeOctet(layer + p, (sum + ((firstLefts >> kShift) & kFirstParts)) | (centre & kAlphas));
    previous = sum;
  }
  replicateOuterRows(layer, edge);
}

// --- 3 x 3 neighbourhood filters ------------------------------------------------

// The filters read the layer below and write every pixel of the layer, so neither a
// pre-copy nor a scratch image is needed, and rows are independent: they are shared
// out over the threads in bands of at least this many pixels.
constexpr int kBandPixels = 8192;

// Alpha comes from the input pixel.
[[gnu::always_inline]] inline void keepAlpha(const Pixel* __restrict in, Pixel* __restrict out, int edge) {
  for (int j = 0; j < edge; ++j) out[j] = (out[j] & kColour) | (in[j] & kAlpha);
}

// Rows [first, last) from their rows above, at and below (the border rows clamped);
// the row's colour bytes are then taken with the input's alpha.
template <class Row>
[[gnu::always_inline]] inline void forRows(const Pixel* below, Pixel* layer, int edge, int first, int last,
                                           Row row) {
  for (int i = first; i < last; ++i) {
    const auto* up = reinterpret_cast<const Byte*>(below + std::size_t(std::max(i - 1, 0)) * edge);
    const auto* mid = reinterpret_cast<const Byte*>(below + std::size_t(i) * edge);
    const auto* down = reinterpret_cast<const Byte*>(below + std::size_t(std::min(i + 1, edge - 1)) * edge);
    row(up, mid, down, reinterpret_cast<Byte*>(layer + std::size_t(i) * edge));
    keepAlpha(below + std::size_t(i) * edge, layer + std::size_t(i) * edge, edge);
  }
}

// Every byte of a row from the same byte of its eight neighbours (4 bytes left and
// right; the border columns clamped). f also runs on the alpha bytes, whose result
// is dropped, so that the interior is one plain byte loop the compiler vectorises.
template <class F>
[[gnu::always_inline]] inline void filterRow(const Byte* __restrict up, const Byte* __restrict mid,
                                             const Byte* __restrict down, Byte* __restrict out, int edge, F f) {
  const int rowBytes = edge * 4;
  for (int k = 0; k < 4; ++k)  // column 0 is its own left neighbour
    out[k] = f(up[k], up[k], up[k + 4], mid[k], mid[k], mid[k + 4], down[k], down[k], down[k + 4]);
  for (int k = 4; k < rowBytes - 4; ++k)
    out[k] = f(up[k - 4], up[k], up[k + 4], mid[k - 4], mid[k], mid[k + 4], down[k - 4], down[k], down[k + 4]);
  for (int k = rowBytes - 4; k < rowBytes; ++k)  // the last column is its own right neighbour
    out[k] = f(up[k - 4], up[k], up[k], mid[k - 4], mid[k], mid[k], down[k - 4], down[k], down[k]);
}

template <class F>
[[gnu::always_inline]] inline void filter3x3(const Pixel* below, Pixel* layer, int edge, int first, int last,
                                             F f) {
  forRows(below, layer, edge, first, last,
          [edge, f](auto up, auto mid, auto down, auto out) __attribute__((always_inline)) {
            filterRow(up, mid, down, out, edge, f);
          });
}

// The rank filters work on columns of three bytes, each sorted (or reduced) once
// for the three outputs that share it. A column row holds a row's columns with one
// pixel of clamped border on either side.
constexpr int kMaxEdge = 2048;  // the scratch image bounds every edge
using ColumnRow = Byte[4 * (kMaxEdge + 2)];

[[gnu::always_inline]] inline void clampColumnBorders(Byte* column, int edge) {
  const int rowBytes = edge * 4;
  for (int k = 0; k < 4; ++k) {
    column[k] = column[k + 4];
    column[rowBytes + 4 + k] = column[rowBytes + k];
  }
}

// By value: std::min and std::max return references, which on bytes in memory the
// vectoriser sees as loads from a chosen address.
inline Byte least(Byte a, Byte b) { return a < b ? a : b; }
inline Byte most(Byte a, Byte b) { return a < b ? b : a; }

inline void sort2(Byte& a, Byte& b) {
  const Byte low = least(a, b);
  b = most(a, b);
  a = low;
}

inline Byte median3(Byte a, Byte b, Byte c) { return most(least(a, b), least(most(a, b), c)); }

// Dilate (kLargest) or erode: the extreme of each column, then of three columns.
template <bool kLargest>
[[gnu::always_inline]] inline void extremeRow(const Byte* __restrict up, const Byte* __restrict mid,
                                              const Byte* __restrict down, Byte* __restrict out, int edge) {
  auto pick = [](Byte a, Byte b) { return kLargest ? most(a, b) : least(a, b); };
  const int rowBytes = edge * 4;
  ColumnRow column;
  for (int k = 0; k < rowBytes; ++k) column[k + 4] = pick(pick(up[k], mid[k]), down[k]);
  clampColumnBorders(column, edge);
  for (int k = 0; k < rowBytes; ++k) out[k] = pick(pick(column[k], column[k + 4]), column[k + 8]);
}

// The fifth largest of nine values is their median. With each column sorted, that is
// the median of the largest column minimum, the median of the column medians and the
// smallest column maximum.
[[gnu::always_inline]] inline void medianRow(const Byte* __restrict up, const Byte* __restrict mid,
                                             const Byte* __restrict down, Byte* __restrict out, int edge) {
  const int rowBytes = edge * 4;
  ColumnRow low, middle, high;
  for (int k = 0; k < rowBytes; ++k) {
    Byte a = up[k], b = mid[k], c = down[k];
    sort2(a, b), sort2(b, c), sort2(a, b);
    low[k + 4] = a, middle[k + 4] = b, high[k + 4] = c;
  }
  clampColumnBorders(low, edge), clampColumnBorders(middle, edge), clampColumnBorders(high, edge);
  for (int k = 0; k < rowBytes; ++k) {
    const Byte lows = most(most(low[k], low[k + 4]), low[k + 8]);
    const Byte highs = least(least(high[k], high[k + 4]), high[k + 8]);
    out[k] = median3(lows, median3(middle[k], middle[k + 4], middle[k + 8]), highs);
  }
}

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

inline Byte edgeByte(Byte tl, Byte t, Byte tr, Byte, Byte, Byte, Byte bl, Byte b, Byte br) {
  const int g = tl + 2 * t + tr - bl - 2 * b - br;
  return static_cast<Byte>(std::min(2 * std::abs(g), 255));
}

inline Byte sharpenByte(Byte tl, Byte t, Byte tr, Byte l, Byte c, Byte r, Byte bl, Byte b, Byte br) {
  // Every term is non-negative, so the shifts are the truncating divisions.
  const int value = ((5 * c) >> 1) - ((t + b + l + r) >> 2) - ((tl + tr + bl + br) >> 3);
  return static_cast<Byte>(std::clamp(value, 0, 255));
}

// The hot loops, each built for the wider instruction sets; everything they call is
// inlined, lambdas included, so that it is built for the same set.
VANDREL_WIDE_VECTORS
void medianRows(const Pixel* below, Pixel* layer, int edge, int first, int last) {
  forRows(below, layer, edge, first, last,
          [edge](auto up, auto mid, auto down, auto out) __attribute__((always_inline)) {
            medianRow(up, mid, down, out, edge);
          });
}

VANDREL_WIDE_VECTORS
void dilateRows(const Pixel* below, Pixel* layer, int edge, int first, int last) {
  forRows(below, layer, edge, first, last,
          [edge](auto up, auto mid, auto down, auto out) __attribute__((always_inline)) {
            extremeRow<true>(up, mid, down, out, edge);
          });
}

VANDREL_WIDE_VECTORS
void erodeRows(const Pixel* below, Pixel* layer, int edge, int first, int last) {
  forRows(below, layer, edge, first, last,
          [edge](auto up, auto mid, auto down, auto out) __attribute__((always_inline)) {
            extremeRow<false>(up, mid, down, out, edge);
          });
}

VANDREL_WIDE_VECTORS
void edgeRows(const Pixel* below, Pixel* layer, int edge, int first, int last) {
  filter3x3(below, layer, edge, first, last, [](auto... bytes) { return edgeByte(bytes...); });
}

VANDREL_WIDE_VECTORS
void embossRows(const Pixel* below, Pixel* layer, int edge, int first, int last) {
  filter3x3(below, layer, edge, first, last, [](auto... bytes) { return embossByte(bytes...); });
}

VANDREL_WIDE_VECTORS
void sharpenRows(const Pixel* below, Pixel* layer, int edge, int first, int last) {
  filter3x3(below, layer, edge, first, last, [](auto... bytes) { return sharpenByte(bytes...); });
}

void inBands(const Pixel* below, Pixel* layer, int edge, void (*rows)(const Pixel*, Pixel*, int, int, int)) {
  const auto band = static_cast<std::size_t>(std::max(1, kBandPixels / std::max(edge, 1)));
  os::parallelChunks(static_cast<std::size_t>(std::max(edge, 0)), band, [&](std::size_t first, std::size_t last) {
    rows(below, layer, edge, static_cast<int>(first), static_cast<int>(last));
  });
}

}  // namespace

VANDREL_WIDE_VECTORS
void blurPass(const Pixel* below, Pixel* layer, int edge) { packedBlurPass<3, true>(below, layer, edge); }

VANDREL_WIDE_VECTORS
void motionBlurPass(const Pixel* below, Pixel* layer, int edge) { packedBlurPass<2, false>(below, layer, edge); }

void radialBlurPass(const Pixel* input, Pixel* output, int edge, int zoom) {
  // The source row is the same function of i as the source column is of j. -1 marks
  // a source outside the image; testing the double first keeps the truncation in
  // range whatever the zoom.
  int source[kMaxEdge];
  const int c = edge / 2;
  for (int x = 0; x < edge; ++x) {
    const double s = c + double(x - c) * (255 - zoom) * 0.00392156862745098;
    source[x] = (s > -1.0 && s < edge) ? static_cast<int>(s) : -1;
  }

  // A pixel whose source is outside keeps its value: the mean of a with itself is a.
  for (int i = 0; i < edge; ++i) {
    const int sr = source[i];
    const Pixel* ownRow = input + std::size_t(i) * edge;
    Pixel* outRow = output + std::size_t(i) * edge;
    if (sr < 0) {
      std::memcpy(outRow, ownRow, std::size_t(edge) * sizeof(Pixel));
      continue;
    }
    const Pixel* fromRow = input + std::size_t(sr) * edge;
    for (int j = 0; j < edge; ++j) {
      const int sc = source[j];
      const Pixel a = ownRow[j];
      const Pixel b = sc < 0 ? a : fromRow[sc];
      // Per byte (a + b) div 2, without a carry between bytes.
      const Pixel mean = (a & b) + (((a ^ b) >> 1) & 0x7F7F7F7Fu);
      outRow[j] = (mean & kColour) | (a & kAlpha);
    }
  }
}

void median(const Pixel* below, Pixel* layer, int edge) { inBands(below, layer, edge, medianRows); }

void dilate(const Pixel* below, Pixel* layer, int edge) { inBands(below, layer, edge, dilateRows); }

void erode(const Pixel* below, Pixel* layer, int edge) { inBands(below, layer, edge, erodeRows); }

void edgeDetect(const Pixel* below, Pixel* layer, int edge) { inBands(below, layer, edge, edgeRows); }

void emboss(const Pixel* below, Pixel* layer, int edge) { inBands(below, layer, edge, embossRows); }

void sharpen(const Pixel* below, Pixel* layer, int edge) { inBands(below, layer, edge, sharpenRows); }

}  // namespace vandrel::texgen
