#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "texgen/ops.h"

#include "platform/os/parallel.h"
#include "texgen/vector_width.h"

namespace vandrel::texgen {
namespace {

constexpr Pixel kAlphaMask = 0xFF000000u;
constexpr Pixel kColourMask = 0x00FFFFFFu;

std::size_t pixelCount(int edge) {
  return edge > 0 ? static_cast<std::size_t>(edge) * static_cast<std::size_t>(edge) : 0;
}

// Colour bytes of a pixel from its red, green and blue values (low byte of each).
Pixel colourOf(int r, int g, int b) {
  return Pixel(std::uint8_t(r)) << 16 | Pixel(std::uint8_t(g)) << 8 | Pixel(std::uint8_t(b));
}

unsigned byteOf(Pixel p, int shift) { return (p >> shift) & 0xFFu; }

// Limit to 0..255; a NaN (only from nonsense parameters) becomes 0 so that the
// following truncation is always defined.
double clampToByte(double v) { return v > 0 ? (v < 255 ? v : 255) : 0; }

// Parameters come from trackbars (0..255). Clamping them lets the integer code use
// unsigned shifts, which equal div for the non-negative products involved.
unsigned trackbar(int v) { return static_cast<unsigned>(std::clamp(v, 0, 255)); }

// ---- mixer -----------------------------------------------------------------------

// Pixels go through the vector loops in runs of this many, one byte plane at a time.
constexpr std::size_t kRun = 64;
using Plane = std::uint16_t[kRun];

// Eight pixels as sixteen 16-bit halves. Blue and red sit in the low bytes of the
// halves, green and alpha in the high bytes, so one lane operation handles two
// channels of every pixel. Little-endian memory puts green:blue in a pixel's first
// half and alpha:red in its second; big-endian the other way round.
// The helpers taking them are all inlined into their callers, so GCC's note that
// passing 32-byte vectors changes the calling convention without AVX does not apply.
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif
typedef std::uint16_t Halves __attribute__((vector_size(32)));
constexpr bool kAlphaInSecondHalf = std::endian::native == std::endian::little;

// {first, second} for each pixel: `first` for the half holding blue (and green).
[[gnu::always_inline]] constexpr Halves perPixel(std::uint16_t blueHalf, std::uint16_t redHalf) {
  const std::uint16_t a = kAlphaInSecondHalf ? blueHalf : redHalf;
  const std::uint16_t b = kAlphaInSecondHalf ? redHalf : blueHalf;
  return Halves{a, b, a, b, a, b, a, b, a, b, a, b, a, b, a, b};
}

constexpr Halves kAlphaHalves = perPixel(0, 0xFF00);

[[gnu::always_inline]] inline Halves atMost255(Halves v) { return v < 255 ? v : 255; }

[[gnu::always_inline]] inline Halves loadHalves(const Pixel* p) {
  Halves h;
  std::memcpy(&h, p, sizeof h);
  return h;
}

[[gnu::always_inline]] inline void storeHalves(Pixel* p, Halves h) { std::memcpy(p, &h, sizeof h); }

// Weighted bytes a and b are at most 255 x 255, so every mix runs on 16-bit lanes; being
// non-negative, div 256 is >> 8, (a x 4) div 256 is a >> 6, (2 x a) div 256 is a >> 7.
struct AddMix {
  [[gnu::always_inline]] Halves operator()(Halves a, Halves b) const { return atMost255((a >> 8) + (b >> 8)); }
};
struct SubtractMix {
  [[gnu::always_inline]] Halves operator()(Halves a, Halves b) const {
    const Halves x = a >> 8, y = b >> 8;
    return x > y ? x - y : 0;
  }
};
struct ReverseSubtractMix {  // subtract with the sources swapped
  [[gnu::always_inline]] Halves operator()(Halves a, Halves b) const { return SubtractMix{}(b, a); }
};
struct MultiplyMix {  // (a x 4) div 256 x b div 65536
  [[gnu::always_inline]] Halves operator()(Halves a, Halves b) const {
    // a >> 6 fits 16 bits, so this is the high half of a 16-bit product, which the
    // compiler finds in a plain loop (and not in vector arithmetic).
    std::uint16_t x[16], y[16], h[16];
    std::memcpy(x, &a, sizeof x);
    std::memcpy(y, &b, sizeof y);
    for (int k = 0; k < 16; ++k)
      h[k] = static_cast<std::uint16_t>((std::uint32_t{static_cast<std::uint16_t>(x[k] >> 6)} * y[k]) >> 16);
    Halves high;
    std::memcpy(&high, h, sizeof high);
    return atMost255(high);
  }
};
struct LighterMix {
  [[gnu::always_inline]] Halves operator()(Halves a, Halves b) const { return atMost255((a > b ? a : b) >> 7); }
};
struct DarkerMix {
  [[gnu::always_inline]] Halves operator()(Halves a, Halves b) const { return atMost255((a < b ? a : b) >> 7); }
};

// Whole runs of eight pixels. Every colour byte of each source is weighted, the pair
// mixed, and the layer's alpha put back. Both sources of eight pixels are read before
// the layer's are written, so a source that is the layer itself mixes its own input.
template <class Mix>
[[gnu::always_inline]] inline void mixHalves(Pixel* layer, const Pixel* source1, const Pixel* source2,
                                             std::size_t count, std::uint16_t weight1, std::uint16_t weight2,
                                             Mix mix) {
  const Halves greenBytes = perPixel(0xFF00, 0);
  for (std::size_t base = 0; base < count; base += 8) {
    const Halves p = loadHalves(source1 + base), q = loadHalves(source2 + base);
    const Halves low = mix((p & 0xFF) * weight1, (q & 0xFF) * weight2);
    const Halves high = mix((p >> 8) * weight1, (q >> 8) * weight2);
    const Halves out = low | ((high << 8) & greenBytes) | (loadHalves(layer + base) & kAlphaHalves);
    storeHalves(layer + base, out);
  }
}

// Whole runs only; type is 0..5.
VANDREL_WIDE_VECTORS
void mixRuns(Pixel* layer, const Pixel* source1, const Pixel* source2, std::size_t count,
             std::uint16_t weight1, std::uint16_t weight2, int type) {
  switch (type) {
    case 0: mixHalves(layer, source1, source2, count, weight1, weight2, AddMix{}); break;
    case 1: mixHalves(layer, source1, source2, count, weight1, weight2, SubtractMix{}); break;
    case 2: mixHalves(layer, source1, source2, count, weight1, weight2, ReverseSubtractMix{}); break;
    case 3: mixHalves(layer, source1, source2, count, weight1, weight2, MultiplyMix{}); break;
    case 4: mixHalves(layer, source1, source2, count, weight1, weight2, LighterMix{}); break;
    default: mixHalves(layer, source1, source2, count, weight1, weight2, DarkerMix{}); break;
  }
}

// ---- border-crossfade --------------------------------------------------------------

// Exact x div w for 0 <= x <= 65025 and 1 <= w <= 255 without a hardware divide:
// with magic = ceil(2^31 / w) = (2^31 + e) / w, 0 <= e < w, the product x * magic / 2^31
// exceeds x / w by x * e / (w * 2^31) < 1 / w, which never reaches the next multiple.
struct SmallDivider {
  std::uint64_t magic;
  explicit SmallDivider(unsigned w) : magic(((std::uint64_t{1} << 31) + w - 1) / w) {}
  unsigned operator()(unsigned x) const { return static_cast<unsigned>((x * magic) >> 31); }
};

// Blends the colour bytes of the pixel pair (near, far) at distance j from the border.
inline void crossfadePair(Pixel& nearPx, Pixel& farPx, unsigned j, unsigned w,
                          const SmallDivider& div) {
  const Pixel n = nearPx;
  const Pixel f = farPx;
  Pixel outNear = n & kAlphaMask;
  Pixel outFar = f & kAlphaMask;
  for (int shift = 0; shift < 24; shift += 8) {
    const unsigned b = byteOf(n, shift);
    const unsigned d = byteOf(f, shift);
    const unsigned e = div((w - j) * ((b + d) / 2));
    // e + j * b div w <= ((w - j) * avg + j * b) / w <= 255: no carry into the next byte.
    outNear |= (e + div(j * b)) << shift;
    outFar |= (e + div(j * d)) << shift;
  }
  nearPx = outNear;
  farPx = outFar;
}

VANDREL_WIDE_VECTORS
void crossfadeBorders(Pixel* layer, int edge, int w, int direction) {
  const SmallDivider div(static_cast<unsigned>(w));
  const auto stride = static_cast<std::size_t>(edge);
  const auto width = static_cast<unsigned>(w);
  if (direction == 0) {
    for (int i = 0; i < edge; ++i) {
      Pixel* row = layer + static_cast<std::size_t>(i) * stride;
      for (int j = 0; j < w; ++j)
        crossfadePair(row[j], row[edge - 1 - j], static_cast<unsigned>(j), width, div);
    }
  } else {
    for (int i = 0; i < w; ++i) {
      Pixel* top = layer + static_cast<std::size_t>(i) * stride;
      Pixel* bottom = layer + static_cast<std::size_t>(edge - 1 - i) * stride;
      for (int j = 0; j < edge; ++j)
        crossfadePair(top[j], bottom[j], static_cast<unsigned>(i), width, div);
    }
  }
}

// ---- solidfill ---------------------------------------------------------------------

unsigned brightnessOf(Pixel p) { return (byteOf(p, 0) + byteOf(p, 8) + byteOf(p, 16)) / 3; }

class FloodFill {
 public:
  FloodFill(Pixel* layer, std::uint8_t* visited, int edge, int ref, int range, Pixel colour)
      : layer_(layer), visited_(visited), edge_(edge), ref_(ref), range_(range), colour_(colour) {}

  void run(int row, int col) {
    paint(row, col);
    budget_ = kBudget;
    examineNeighbours(row, col);
    // The pending lists grow while they are worked through; index, not iterators.
    for (std::size_t q = 0; q < pendingCols_.size(); ++q) {
      const int c = pendingCols_[q];
      const int r = pendingRows_[q];
      if (visited_[index(r, c)]) continue;  // reached by an earlier round
      paint(r, c);
      budget_ = kBudget;
      examineNeighbours(r, c);
    }
  }

 private:
  // Recursion depth is bounded by the budget, so the stack stays small.
  static constexpr int kBudget = 99;

  std::size_t index(int row, int col) const {
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(edge_) +
           static_cast<std::size_t>(col);
  }

  void paint(int row, int col) {
    Pixel& p = layer_[index(row, col)];
    p = (p & kAlphaMask) | colour_;
    visited_[index(row, col)] = 1;
  }

  void examineNeighbours(int row, int col) {
    tryPixel(row, col - 1);
    tryPixel(row - 1, col);
    tryPixel(row + 1, col);
    tryPixel(row, col + 1);
  }

  void tryPixel(int row, int col) {
    if (row < 0 || row >= edge_ || col < 0 || col >= edge_) return;
    const std::size_t k = index(row, col);
    if (visited_[k]) return;
    // Unvisited pixels are unpainted, so this judges the input image.
    const int c = static_cast<int>(brightnessOf(layer_[k]));
    if (!(ref_ - range_ < c && c < ref_ + range_)) return;
    if (budget_ > 0) {
      --budget_;
      paint(row, col);
      examineNeighbours(row, col);
    } else {
      // Not marked: the pixel may be queued again from another neighbour before its turn;
      // the visited test skips the repeats.
      pendingCols_.push_back(col);
      pendingRows_.push_back(row);
    }
  }

  Pixel* layer_;
  std::uint8_t* visited_;
  int edge_;
  int ref_;
  int range_;
  Pixel colour_;
  int budget_ = kBudget;
  std::vector<int> pendingCols_;
  std::vector<int> pendingRows_;
};

// ---- AdjustColor -------------------------------------------------------------------

constexpr std::array<int, 256> kHueWeights = [] {
  std::array<int, 256> t{};
  for (int k = 42; k <= 83; ++k) t[k] = 6 * (k - 42);
  for (int k = 84; k <= 167; ++k) t[k] = 252;
  for (int k = 168; k <= 209; ++k) t[k] = 252 - 6 * (k - 168);
  return t;
}();

// The output byte for a weighted sum, exactly as the floating formula gives it.
int adjustedByte(int sum, int offset, double factor) {
  return static_cast<int>(clampToByte((sum / 252.0 * 0.5 + offset) * factor));
}

// Every hue weight is a multiple of 6, so sums are handled divided by 6: s' = s / 6
// lies in 0..255 x 126 and fits 16 bits. The floating result then equals
//   level(s') = min(255, max(0, floor((s' + 84 x offset) x contrast / 5376)))
// except where that quotient is an exact integer v (1..255) and rounding left the
// floating value a hair below v; those v are found once per call and marked in
// `exception`. (Elsewhere the exact quotient is at least 1/5376 from an integer while
// the floating error is below 1e-12.) The integer form vectorises; the division does not.
struct AdjustPlan {
  std::uint16_t u0, u1, u2;   // hue weights / 6
  std::uint16_t shiftUp;      // 84 x offset when positive
  std::uint16_t shiftDown;    // -84 x offset when negative
  std::uint16_t contrast256;  // contrast x 256, for a high-half multiply
  bool anyException;
  std::array<std::uint8_t, 256> exception;
};

constexpr int kMaxReducedSum = 255 * 126;

// The integer form, with the plan's fields copied into locals so that the stores into
// the layer cannot be taken to alter them.
struct AdjustLevels {
  std::uint16_t u0, u1, u2, shiftUp, shiftDown, contrast256;

  explicit AdjustLevels(const AdjustPlan& a)
      : u0(a.u0),
        u1(a.u1),
        u2(a.u2),
        shiftUp(a.shiftUp),
        shiftDown(a.shiftDown),
        contrast256(a.contrast256) {}

  // s' + 84 x offset, or 0 when that is negative.
  std::uint16_t shifted(std::uint16_t s) const {
    const auto z = static_cast<std::uint16_t>(s + shiftUp);
    return static_cast<std::uint16_t>(z - std::min(z, shiftDown));
  }

  // m = floor(z x contrast / 256); floor(m / 21) = floor(z x contrast / 5376), and
  // (m x 3121) >> 16 is exact for m <= 5375, beyond which the result is 255 anyway.
  std::uint16_t level(std::uint16_t z) const {
    auto m = static_cast<std::uint16_t>((std::uint32_t{z} * contrast256) >> 16);
    // A plain comparison: with std::min, GCC 12 no longer finds the 16-bit high multiply.
    m = m < 5375 ? m : std::uint16_t{5375};
    return static_cast<std::uint16_t>((std::uint32_t{m} * 3121u) >> 16);
  }

  // 1 when z x contrast is exactly 5376 x v for the level v, else 0. Without a
  // branch, so that a loop of them vectorises.
  std::uint16_t exactHit(std::uint16_t z, std::uint16_t v) const {
    const auto low = static_cast<std::uint16_t>(std::uint32_t{z} * contrast256);
    const auto m = static_cast<std::uint16_t>((std::uint32_t{z} * contrast256) >> 16);
    return static_cast<std::uint16_t>((low == 0) & (m == 21 * v));
  }

  std::uint16_t sum0(std::uint16_t c0, std::uint16_t c1, std::uint16_t c2) const {
    return static_cast<std::uint16_t>(c0 * u0 + c1 * u2 + c2 * u1);
  }
  std::uint16_t sum1(std::uint16_t c0, std::uint16_t c1, std::uint16_t c2) const {
    return static_cast<std::uint16_t>(c0 * u1 + c1 * u0 + c2 * u2);
  }
  std::uint16_t sum2(std::uint16_t c0, std::uint16_t c1, std::uint16_t c2) const {
    return static_cast<std::uint16_t>(c0 * u2 + c1 * u1 + c2 * u0);
  }
};

// Lowers the levels that sit on an exact hit of a marked threshold. Kept out of line:
// merged into the main loop it would share products with it and spoil its vector form.
// The hits are found in one vector pass; only the few found are looked up.
VANDREL_WIDE_VECTORS
[[gnu::noinline]] void fixExactHits(const Plane c0, const Plane c1, const Plane c2, Plane v0,
                                    Plane v1, Plane v2, const AdjustLevels& lv,
                                    const AdjustPlan& a) {
  Plane hit0, hit1, hit2;
  std::uint16_t hits = 0;
  for (std::size_t k = 0; k < kRun; ++k) {
    hit0[k] = lv.exactHit(lv.shifted(lv.sum0(c0[k], c1[k], c2[k])), v0[k]);
    hit1[k] = lv.exactHit(lv.shifted(lv.sum1(c0[k], c1[k], c2[k])), v1[k]);
    hit2[k] = lv.exactHit(lv.shifted(lv.sum2(c0[k], c1[k], c2[k])), v2[k]);
    hits |= static_cast<std::uint16_t>(hit0[k] | hit1[k] | hit2[k]);
  }
  if (!hits) return;
  for (std::size_t k = 0; k < kRun; ++k) {
    if (hit0[k]) v0[k] -= a.exception[v0[k]];
    if (hit1[k]) v1[k] -= a.exception[v1[k]];
    if (hit2[k]) v2[k] -= a.exception[v2[k]];
  }
}

// Whole runs only: count is a multiple of kRun. The layer may be the input itself:
// a run is read whole before it is written.
VANDREL_WIDE_VECTORS
void adjustRuns(const Pixel* input, Pixel* layer, std::size_t count, const AdjustPlan& a) {
  const AdjustLevels lv(a);
  const bool anyException = a.anyException;
  for (std::size_t base = 0; base < count; base += kRun) {
    const Pixel* in = input + base;
    Plane c0, c1, c2;
    Pixel alphas[kRun];
    for (std::size_t k = 0; k < kRun; ++k) {
      c0[k] = static_cast<std::uint16_t>(in[k] & 0xFFu);
      c1[k] = static_cast<std::uint16_t>((in[k] >> 8) & 0xFFu);
      c2[k] = static_cast<std::uint16_t>((in[k] >> 16) & 0xFFu);
      alphas[k] = in[k] & kAlphaMask;
    }
    Plane v0, v1, v2;
    for (std::size_t k = 0; k < kRun; ++k) {
      v0[k] = lv.level(lv.shifted(lv.sum0(c0[k], c1[k], c2[k])));
      v1[k] = lv.level(lv.shifted(lv.sum1(c0[k], c1[k], c2[k])));
      v2[k] = lv.level(lv.shifted(lv.sum2(c0[k], c1[k], c2[k])));
    }
    if (anyException) fixExactHits(c0, c1, c2, v0, v1, v2, lv, a);
    Pixel* out = layer + base;
    for (std::size_t k = 0; k < kRun; ++k) out[k] = alphas[k] | Pixel{v2[k]} << 16 | Pixel{v1[k]} << 8 | Pixel{v0[k]};
  }
}

// Builds the plan and checks, against the floating formula itself, that the integer
// form agrees at every reduced sum 0..kMaxReducedSum. The output is non-decreasing in
// the sum (correctly rounded /, * and + by non-negative constants are monotonic, and so
// are clamp and trunc), so agreement at each level's first sum and the one before it is
// agreement everywhere. Returns false if it does not hold.
bool planAdjust(AdjustPlan& a, int offset, int contrast, double factor) {
  a.anyException = false;
  a.exception.fill(0);
  a.shiftUp = static_cast<std::uint16_t>(std::max(84 * offset, 0));
  a.shiftDown = static_cast<std::uint16_t>(std::max(-84 * offset, 0));
  a.contrast256 = static_cast<std::uint16_t>(contrast * 256);
  auto exact = [&](int reduced) { return adjustedByte(6 * reduced, offset, factor); };
  const int shift = 84 * offset;
  for (int v = 1; v <= 255; ++v) {
    // First reduced sum whose integer level reaches v (past the end when none does).
    int first = kMaxReducedSum + 1;
    if (contrast > 0) {
      const int t = (5376 * v + contrast - 1) / contrast - shift;
      first = std::clamp(t, 0, kMaxReducedSum + 1);
    }
    if (first > 0 && exact(first - 1) >= v) return false;
    if (first > kMaxReducedSum || exact(first) >= v) continue;
    // The floating value sits just below v at its exact hit; it reaches v one step on.
    const bool hitsExactly = (first + shift) * contrast == 5376 * v;
    if (!hitsExactly || (first < kMaxReducedSum && exact(first + 1) < v)) return false;
    a.exception[v] = 1;
    a.anyException = true;
  }
  return true;
}

void adjustPixelsDirect(const Pixel* input, Pixel* layer, std::size_t count, int w0, int w1, int w2,
                        int offset, double factor) {
  for (std::size_t k = 0; k < count; ++k) {
    const Pixel p = input[k];
    const int b0 = static_cast<int>(byteOf(p, 0));
    const int b1 = static_cast<int>(byteOf(p, 8));
    const int b2 = static_cast<int>(byteOf(p, 16));
    const int s2 = b0 * w2 + b1 * w1 + b2 * w0;
    const int s1 = b0 * w1 + b1 * w0 + b2 * w2;
    const int s0 = b0 * w0 + b1 * w2 + b2 * w1;
    layer[k] = (p & kAlphaMask) | Pixel(adjustedByte(s2, offset, factor)) << 16 |
               Pixel(adjustedByte(s1, offset, factor)) << 8 |
               Pixel(adjustedByte(s0, offset, factor));
  }
}

// ---- simple per-pixel loops ----------------------------------------------------------

// factor x byte <= 65025 is exact in double and dividing it by 128 is exact, so the
// truncated quotient is the product shifted; the product fits 16 bits.
// Whole runs of eight pixels only; the layer may be the input itself.
VANDREL_WIDE_VECTORS
void scaleRuns(const Pixel* input, Pixel* layer, std::size_t count, std::uint16_t r, std::uint16_t g,
               std::uint16_t b) {
  // Alpha is scaled by 0 and put back from the input.
  const Halves lowFactors = perPixel(b, r);
  const Halves highFactors = perPixel(g, 0);
  for (std::size_t base = 0; base < count; base += 8) {
    const Halves x = loadHalves(input + base);
    const Halves low = atMost255(((x & 0xFF) * lowFactors) >> 7);
    const Halves high = atMost255(((x >> 8) * highFactors) >> 7);
    storeHalves(layer + base, low | high << 8 | (x & kAlphaHalves));
  }
}

template <class F>
[[gnu::always_inline]] inline void mapApart(const Pixel* __restrict in, Pixel* __restrict out, std::size_t n, F f) {
  for (std::size_t k = 0; k < n; ++k) out[k] = f(in[k]);
}

// Each pixel of out from the same pixel of in, which is either out itself or apart
// from it. The two cases are separate loops so that each is vectorised without a
// run-time overlap test.
template <class F>
[[gnu::always_inline]] inline void mapPixels(const Pixel* in, Pixel* out, std::size_t n, F f) {
  if (in == out) {
    for (std::size_t k = 0; k < n; ++k) out[k] = f(out[k]);
  } else {
    mapApart(in, out, n, f);
  }
}

// One pass over the layer each; wider registers take more pixels a step.
VANDREL_WIDE_VECTORS
void invertRun(const Pixel* in, Pixel* out, std::size_t n) {
  mapPixels(in, out, n, [](Pixel p) { return p ^ kColourMask; });
}

VANDREL_WIDE_VECTORS
void copyBToAlfaRun(const Pixel* in, Pixel* out, std::size_t n) {
  mapPixels(in, out, n, [](Pixel p) { return (p & kColourMask) | p << 24; });
}

VANDREL_WIDE_VECTORS
void clearRgbRun(const Pixel* in, Pixel* out, std::size_t n) {
  mapPixels(in, out, n, [](Pixel p) { return p & kAlphaMask; });
}

VANDREL_WIDE_VECTORS
void clearAlfaRun(const Pixel* in, Pixel* out, std::size_t n) {
  mapPixels(in, out, n, [](Pixel p) { return p | kAlphaMask; });
}

// ---- addparticle -------------------------------------------------------------------

// Columns j0..j1 of one row. The square roots get a loop of their own: with the errno
// check that std::sqrt carries they do not vectorise, and they would keep the rest of
// the arithmetic from doing so.
VANDREL_WIDE_VECTORS
void particleRow(Pixel* row, int j0, int j1, double cx, double dy2, double R, double k0, double k1,
                 double k2) {
  constexpr int kSpan = 64;
  for (int first = j0; first <= j1; first += kSpan) {
    const int len = std::min(kSpan, j1 - first + 1);
    double dist[kSpan];
    for (int t = 0; t < len; ++t) {
      const double dx = (first + t) - cx;
      dist[t] = dx * dx + dy2;
    }
    for (int t = 0; t < len; ++t) dist[t] = std::sqrt(dist[t]);
    Pixel* px = row + first;
    for (int t = 0; t < len; ++t) {
      const double d = R < dist[t] ? R : dist[t];
      const double f = (R - d) / (R + 1);
      const Pixel p = px[t];
      const auto n0 = static_cast<Pixel>(static_cast<int>(clampToByte(byteOf(p, 0) + f * k0)));
      const auto n1 = static_cast<Pixel>(static_cast<int>(clampToByte(byteOf(p, 8) + f * k1)));
      const auto n2 = static_cast<Pixel>(static_cast<int>(clampToByte(byteOf(p, 16) + f * k2)));
      px[t] = (p & kAlphaMask) | n2 << 16 | n1 << 8 | n0;
    }
  }
}

}  // namespace

void addparticle(Pixel* layer, int edge, double x, double y, double r, double g, double b,
                 double radius, double brightness) {
  const double cx = edge * x / 256;
  const double cy = edge * y / 256;
  const double R = edge * radius / 256;
  const double m = (brightness - 128) / 128;
  const double k2 = 2 * m * (r - 128);
  const double k1 = 2 * m * (g - 128);
  const double k0 = 2 * m * (b - 128);

  // Only pixels nearer than R change (at R or beyond f is exactly 0). The margin of one
  // pixel keeps rounding of the distance away from the edge of the window.
  auto window = [edge](double centre, double reach, int& lo, int& hi) {
    double a = std::ceil(centre - reach) - 1;
    double z = std::floor(centre + reach) + 1;
    if (!(a >= 0)) a = 0;
    if (!(z <= edge - 1)) z = edge - 1;
    lo = 0;
    hi = -1;
    if (a <= z) {
      lo = static_cast<int>(a);
      hi = static_cast<int>(z);
    }
  };
  int i0, i1, j0, j1;
  window(cy, R, i0, i1);
  window(cx, R, j0, j1);

  for (int i = i0; i <= i1; ++i) {
    const double dy = i - cy;
    Pixel* row = layer + static_cast<std::size_t>(i) * static_cast<std::size_t>(edge);
    particleRow(row, j0, j1, cx, dy * dy, R, k0, k1, k2);
  }
}

void clear(Pixel* layer, int edge) { std::fill_n(layer, pixelCount(edge), Pixel{0}); }

void mixer(Pixel* layer, const Pixel* source1, const Pixel* source2, int edge, int weight1,
           int weight2, int type) {
  if (type < 0 || type > 5) return;  // no defined mix: the layer stays as it is
  const std::size_t n = pixelCount(edge);
  const auto w1 = static_cast<std::uint16_t>(trackbar(weight1));
  const auto w2 = static_cast<std::uint16_t>(trackbar(weight2));
  const std::size_t whole = n - n % kRun;
  os::parallelChunks(whole, kRun, [&](std::size_t first, std::size_t last) {
    mixRuns(layer + first, source1 + first, source2 + first, last - first, w1, w2, type);
  });
  if (whole < n) {  // not at any edge size; a padded run keeps one code path
    const std::size_t rest = n - whole;
    Pixel a[kRun] = {}, b[kRun] = {}, out[kRun] = {};
    std::copy_n(source1 + whole, rest, a);
    std::copy_n(source2 + whole, rest, b);
    std::copy_n(layer + whole, rest, out);
    mixRuns(out, a, b, kRun, w1, w2, type);
    std::copy_n(out, rest, layer + whole);
  }
}

void borderCrossfade(Pixel* layer, int edge, int zone, int direction) {
  if (zone < 0 || zone > 255 || edge <= 0 || (direction != 0 && direction != 1)) return;
  // At most 255 x edge div 512 < edge / 2, so the two borders never meet.
  const int w = zone * edge / 512;
  if (w > 0) crossfadeBorders(layer, edge, w, direction);
}

void solidfill(Pixel* layer, Pixel* scratch, int edge, int x, int y, int r, int g, int b,
               int colorRange) {
  const int row = y * edge / 256;
  const int col = x * edge / 256;
  if (edge <= 0 || row < 0 || row >= edge || col < 0 || col >= edge) return;
  auto* visited = reinterpret_cast<std::uint8_t*>(scratch);
  std::memset(visited, 0, pixelCount(edge));
  const Pixel start = layer[static_cast<std::size_t>(row) * static_cast<std::size_t>(edge) +
                            static_cast<std::size_t>(col)];
  const int ref = static_cast<int>(brightnessOf(start));
  FloodFill fill(layer, visited, edge, ref, colorRange, colourOf(r, g, b));
  fill.run(row, col);
}

void invert(const Pixel* below, Pixel* layer, int edge) { invertRun(below, layer, pixelCount(edge)); }

void scaleColor(const Pixel* below, Pixel* layer, int edge, int r, int g, int b) {
  const auto fr = static_cast<std::uint16_t>(trackbar(r));
  const auto fg = static_cast<std::uint16_t>(trackbar(g));
  const auto fb = static_cast<std::uint16_t>(trackbar(b));
  const std::size_t n = pixelCount(edge);
  const std::size_t whole = n - n % kRun;
  os::parallelChunks(whole, kRun, [&](std::size_t first, std::size_t last) {
    scaleRuns(below + first, layer + first, last - first, fr, fg, fb);
  });
  if (whole < n) {  // not at any edge size
    Pixel rest[kRun] = {};
    std::copy_n(below + whole, n - whole, rest);
    scaleRuns(rest, rest, kRun, fr, fg, fb);
    std::copy_n(rest, n - whole, layer + whole);
  }
}

void adjustColor(const Pixel* below, Pixel* layer, int edge, int hue, int brightness, int contrast) {
  if (hue < 0 || hue > 255) {  // not a trackbar position; no hue weights for it
    if (below != layer) std::copy_n(below, pixelCount(edge), layer);
    return;
  }
  const int t = 255 - hue;
  int g = static_cast<int>(t + 85.33333333333333);
  if (g > 255) g -= 255;
  int h = static_cast<int>(t + 170.66666666666666);
  if (h > 255) h -= 255;
  const int w0 = kHueWeights[static_cast<std::size_t>(t)];
  const int w1 = kHueWeights[static_cast<std::size_t>(g)];
  const int w2 = kHueWeights[static_cast<std::size_t>(h)];
  const int offset = 2 * brightness - 256;
  const double factor = 4 * contrast / 256.0;

  const std::size_t n = pixelCount(edge);
  AdjustPlan plan;
  const bool planned = brightness >= 0 && brightness <= 255 && contrast >= 0 && contrast <= 255 &&
                       planAdjust(plan, offset, contrast, factor);
  if (!planned) {
    adjustPixelsDirect(below, layer, n, w0, w1, w2, offset, factor);
    return;
  }
  plan.u0 = static_cast<std::uint16_t>(w0 / 6);
  plan.u1 = static_cast<std::uint16_t>(w1 / 6);
  plan.u2 = static_cast<std::uint16_t>(w2 / 6);
  // Every edge size gives whole runs; any rest takes the floating formula.
  const std::size_t whole = n - n % kRun;
  os::parallelChunks(whole, kRun, [&](std::size_t first, std::size_t last) {
    adjustRuns(below + first, layer + first, last - first, plan);
  });
  adjustPixelsDirect(below + whole, layer + whole, n - whole, w0, w1, w2, offset, factor);
}

void box(Pixel* layer, int edge, int x, int y, int width, int height, int r, int g, int b) {
  const int c0 = (x - width / 2) * edge / 255;
  const int c1 = c0 + width * edge / 255;
  const int r0 = (y - height / 2) * edge / 255;
  const int r1 = r0 + height * edge / 255;
  const int colBegin = std::max(c0, 0);
  const int colEnd = std::min(c1, edge);
  const int rowBegin = std::max(r0, 0);
  const int rowEnd = std::min(r1, edge);
  const Pixel colour = colourOf(r, g, b);
  for (int i = rowBegin; i < rowEnd; ++i) {
    Pixel* row = layer + static_cast<std::size_t>(i) * static_cast<std::size_t>(edge);
    for (int j = colBegin; j < colEnd; ++j) row[j] = (row[j] & kAlphaMask) | colour;
  }
}

void circle(Pixel* layer, int edge, int x, int y, int radius, int r, int g, int b) {
  const int cx = x * edge / 255;
  const int cy = y * edge / 255;
  const int R = radius * edge / 255;
  const int rowBegin = std::max(cy - R, 0);
  const int rowEnd = std::min(cy + R, edge);
  const int colBegin = std::max(cx - R, 0);
  const int colEnd = std::min(cx + R, edge);
  const Pixel colour = colourOf(r, g, b);  // alpha 0
  for (int i = rowBegin; i < rowEnd; ++i) {
    Pixel* row = layer + static_cast<std::size_t>(i) * static_cast<std::size_t>(edge);
    const int dy2 = (i - cy) * (i - cy);
    for (int j = colBegin; j < colEnd; ++j)
      if (dy2 + (j - cx) * (j - cx) < R * R) row[j] = colour;
  }
}

void copyBToAlfa(const Pixel* below, Pixel* layer, int edge) { copyBToAlfaRun(below, layer, pixelCount(edge)); }

void clearRgb(const Pixel* below, Pixel* layer, int edge) { clearRgbRun(below, layer, pixelCount(edge)); }

void clearAlfa(const Pixel* below, Pixel* layer, int edge) { clearAlfaRun(below, layer, pixelCount(edge)); }

void invert(Pixel* layer, int edge) { invert(layer, layer, edge); }

void scaleColor(Pixel* layer, int edge, int r, int g, int b) { scaleColor(layer, layer, edge, r, g, b); }

void adjustColor(Pixel* layer, int edge, int hue, int brightness, int contrast) {
  adjustColor(layer, layer, edge, hue, brightness, contrast);
}

void copyBToAlfa(Pixel* layer, int edge) { copyBToAlfa(layer, layer, edge); }

void clearRgb(Pixel* layer, int edge) { clearRgb(layer, layer, edge); }

void clearAlfa(Pixel* layer, int edge) { clearAlfa(layer, layer, edge); }

}  // namespace vandrel::texgen
