#include "platform/gfx/span_filler.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <utility>

#include "platform/gfx/rasterizer.h"

// Eight pixels at a time with AVX2: each row's covered run is found from the
// edge functions in exact integers, then shaded in groups of eight lanes, one
// pixel per lane, channel by channel. Every lane repeats the portable filler's
// float operations in the same order (no fused multiply-add: the build forbids
// contraction and this code does not enable FMA), so the pixels keep their bits.

#if defined(__GNUC__) && defined(__x86_64__)
#define VANDREL_WIDE_FILL 1
#include <immintrin.h>
#endif

namespace vandrel::gfx {

namespace {
std::atomic<bool> wideWanted{true};
}

void setWideFilling(bool on) { wideWanted.store(on, std::memory_order_relaxed); }

}  // namespace vandrel::gfx

#ifdef VANDREL_WIDE_FILL

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

namespace vandrel::gfx::raster {

namespace {

using F8 = __m256;
using I8 = __m256i;

F8 splat8(float f) { return _mm256_set1_ps(f); }
I8 splat8i(int i) { return _mm256_set1_epi32(i); }
F8 add(F8 a, F8 b) { return _mm256_add_ps(a, b); }
F8 sub(F8 a, F8 b) { return _mm256_sub_ps(a, b); }
F8 mul(F8 a, F8 b) { return _mm256_mul_ps(a, b); }
// Same operand order as the portable vmax / vmin: a NaN in a gives b.
F8 max8(F8 a, F8 b) { return _mm256_max_ps(a, b); }
F8 min8(F8 a, F8 b) { return _mm256_min_ps(a, b); }
F8 clamp01(F8 a) { return min8(max8(a, splat8(0.0f)), splat8(1.0f)); }
I8 andi(I8 a, I8 b) { return _mm256_and_si256(a, b); }
I8 ori(I8 a, I8 b) { return _mm256_or_si256(a, b); }

// floor(t) per lane, as floorLanes: out of range and NaN give the integer indefinite.
I8 floor8(F8 t) {
  const I8 i = _mm256_cvttps_epi32(t);
  return _mm256_add_epi32(i,
                          _mm256_castps_si256(_mm256_cmp_ps(_mm256_cvtepi32_ps(i), t, _CMP_GT_OS)));
}

// round(clamp(c) * scale) as the portable toByte, pack and depthValue compute it.
I8 quantise(F8 c, float scale) {
  return _mm256_cvttps_epi32(add(mul(clamp01(c), splat8(scale)), splat8(0.5f)));
}

F8 byteChannel(I8 words, int shift) {
  return _mm256_cvtepi32_ps(andi(_mm256_srli_epi32(words, shift), splat8i(0xFF)));
}

// Lanes where a comparison function accepts value against reference; the three
// masks are all ones for the outcomes (less, equal, greater) it accepts.
struct Comparison {
  I8 less, equal, greater;
  explicit Comparison(unsigned mask)
      : less(splat8i((mask & 1u) ? -1 : 0)),
        equal(splat8i((mask & 2u) ? -1 : 0)),
        greater(splat8i((mask & 4u) ? -1 : 0)) {}
  I8 passes(I8 value, I8 reference) const {
    return ori(ori(andi(_mm256_cmpgt_epi32(reference, value), less),
                   andi(_mm256_cmpeq_epi32(value, reference), equal)),
               andi(_mm256_cmpgt_epi32(value, reference), greater));
  }
};

// One attribute channel over the triangle: base + bB * dB + bC * dC.
struct Channel {
  F8 base, dB, dC;
  F8 at(F8 bB, F8 bC) const { return add(add(base, mul(dB, bB)), mul(dC, bC)); }
};
struct Group8 {
  Channel c[4];
  explicit Group8(const AttributeGroup& g) {
    for (int k = 0; k < 4; ++k)
      c[k] = Channel{splat8(g.base[k]), splat8(g.deltaB[k]), splat8(g.deltaC[k])};
  }
};

// Four channels in the portable order b, g, r, a.
struct Colour8 {
  F8 c[4];
};

// A stage's wrapped power-of-two texture, eight lookups at a time.
struct Sampler8 {
  const int* texels;
  I8 mask, shift;
  F8 opaque, scale, scale256;
  explicit Sampler8(const Sampler& s)
      : texels(reinterpret_cast<const int*>(s.texels)),
        mask(splat8i(s.mask)),
        shift(_mm256_set1_epi32(s.shift)),
        opaque(splat8(s.opaque[3])),
        scale(splat8(s.scale[0])),
        scale256(splat8(s.scale256[0])) {}

  I8 texel(I8 index) const { return _mm256_i32gather_epi32(texels, index, 4); }
  // The texels at index and index + 1 of every lane.
  [[gnu::always_inline]] void texelPairs(I8 index, I8& left, I8& right) const {
    const auto* pairs = reinterpret_cast<const long long*>(texels);
    const F8 low =
        _mm256_castsi256_ps(_mm256_i32gather_epi64(pairs, _mm256_castsi256_si128(index), 4));
    const F8 high =
        _mm256_castsi256_ps(_mm256_i32gather_epi64(pairs, _mm256_extracti128_si256(index, 1), 4));
    // Per 128-bit half: lanes 0, 1, 4, 5 then 2, 3, 6, 7; the permute puts them in order.
    left = _mm256_permute4x64_epi64(
        _mm256_castps_si256(_mm256_shuffle_ps(low, high, _MM_SHUFFLE(2, 0, 2, 0))),
        _MM_SHUFFLE(3, 1, 2, 0));
    right = _mm256_permute4x64_epi64(
        _mm256_castps_si256(_mm256_shuffle_ps(low, high, _MM_SHUFFLE(3, 1, 3, 1))),
        _MM_SHUFFLE(3, 1, 2, 0));
  }
  I8 rowStart(I8 row) const { return _mm256_sllv_epi32(andi(row, mask), shift); }

  // The portable samplers take max(texel, opaque) of all four channels; the colour
  // channels' floor is 0 and they are never below +0, so only alpha needs it.
  [[gnu::always_inline]] Colour8 unpacked(I8 t) const {
    const F8 k = splat8(1.0f / 255.0f);
    return Colour8{{mul(byteChannel(t, 0), k), mul(byteChannel(t, 8), k),
                    mul(byteChannel(t, 16), k), max8(mul(byteChannel(t, 24), k), opaque)}};
  }

  [[gnu::always_inline]] Colour8 point(F8 u, F8 v) const {
    const I8 x = floor8(mul(u, scale)), y = floor8(mul(v, scale));
    return unpacked(texel(_mm256_add_epi32(rowStart(y), andi(x, mask))));
  }

  // As Sampler::linear: horizontal weights in 1/256 steps applied in 16-bit
  // halves (b and r, g and a; each sum stays below 2^16, so exact), the vertical
  // blend in floats, exact below 2^24.
  [[gnu::always_inline]] Colour8 linear(F8 u, F8 v) const {
    const F8 half = splat8(128.0f);
    const I8 tu = floor8(sub(mul(u, scale256), half)), tv = floor8(sub(mul(v, scale256), half));
    const I8 byte = splat8i(0xFF);
    const I8 fu = andi(tu, byte), fv = andi(tv, byte);
    const I8 x0 = andi(_mm256_srai_epi32(tu, 8), mask);
    const I8 x1 = andi(_mm256_add_epi32(x0, splat8i(1)), mask);
    const I8 rowIndex = _mm256_srai_epi32(tv, 8);
    const I8 row0 = rowStart(rowIndex), row1 = rowStart(_mm256_add_epi32(rowIndex, splat8i(1)));
    I8 t00, t10, t01, t11;
    if (_mm256_testz_si256(_mm256_cmpeq_epi32(x0, mask), _mm256_set1_epi32(-1))) {
      // No lane wraps from the last column to the first: each row's two texels
      // are neighbours in memory, one 64-bit load.
      texelPairs(_mm256_add_epi32(row0, x0), t00, t10);
      texelPairs(_mm256_add_epi32(row1, x0), t01, t11);
    } else {
      t00 = texel(_mm256_add_epi32(row0, x0)), t10 = texel(_mm256_add_epi32(row0, x1));
      t01 = texel(_mm256_add_epi32(row1, x0)), t11 = texel(_mm256_add_epi32(row1, x1));
    }
    const I8 w1 = ori(fu, _mm256_slli_epi32(fu, 16));
    const I8 w0 = _mm256_sub_epi16(splat8i(0x01000100), w1);
    const I8 pairs = splat8i(0x00FF00FF);
    const auto blendRow = [&](I8 left, I8 right, int shift) {
      return _mm256_add_epi16(_mm256_mullo_epi16(andi(_mm256_srli_epi32(left, shift), pairs), w0),
                              _mm256_mullo_epi16(andi(_mm256_srli_epi32(right, shift), pairs), w1));
    };
    const I8 topBR = blendRow(t00, t10, 0), topGA = blendRow(t00, t10, 8);
    const I8 bottomBR = blendRow(t01, t11, 0), bottomGA = blendRow(t01, t11, 8);
    const F8 weightV = _mm256_cvtepi32_ps(fv);
    const F8 weightTop = sub(splat8(256.0f), weightV);
    const I8 low = splat8i(0xFFFF);
    const auto vertical = [&](I8 top, I8 bottom) {
      const F8 sum =
          add(mul(_mm256_cvtepi32_ps(top), weightTop), mul(_mm256_cvtepi32_ps(bottom), weightV));
      return mul(sum, splat8(1.0f / (255.0f * 65536.0f)));
    };
    return Colour8{
        {vertical(andi(topBR, low), andi(bottomBR, low)),
         vertical(andi(topGA, low), andi(bottomGA, low)),
         vertical(_mm256_srli_epi32(topBR, 16), _mm256_srli_epi32(bottomBR, 16)),
         max8(vertical(_mm256_srli_epi32(topGA, 16), _mm256_srli_epi32(bottomGA, 16)), opaque)}};
  }

  template <int F>
  [[gnu::always_inline]] Colour8 sample(F8 u, F8 v) const {
    if constexpr (F == kPoint) return point(u, v);
    return linear(u, v);
  }
};

// One texture operation on channels [first, last) of a and b into out.
[[gnu::always_inline]] inline void applyOp8(DWORD op, const Colour8& a, const Colour8& b, int first,
                                            int last, Colour8& out) {
  switch (op) {
    case D3DTOP_MODULATE:
      for (int k = first; k < last; ++k) out.c[k] = mul(a.c[k], b.c[k]);
      break;
    case D3DTOP_SELECTARG1:
      for (int k = first; k < last; ++k) out.c[k] = a.c[k];
      break;
    case D3DTOP_ADD:
      for (int k = first; k < last; ++k) out.c[k] = min8(add(a.c[k], b.c[k]), splat8(1.0f));
      break;
    case D3DTOP_SUBTRACT:
      for (int k = first; k < last; ++k) out.c[k] = max8(sub(a.c[k], b.c[k]), splat8(0.0f));
      break;
    default:
      for (int k = first; k < last; ++k) out.c[k] = b.c[k];
  }
}

// The portable combine(), channel by channel.
[[gnu::always_inline]] inline void combine8(const PixelStage& px, const Colour8& diffuse,
                                            const Colour8& tex0, const Colour8& tex1,
                                            Colour8& current) {
  current = diffuse;
  for (int s = 0; s < px.stageCount; ++s) {
    const StageProgram& p = px.stage[s];
    const Colour8* reg[3] = {&diffuse, &current, s == 0 ? &tex0 : &tex1};
    Colour8 result;
    applyOp8(p.colourOp, *reg[p.colourArg1], *reg[p.colourArg2], 0, 3, result);
    if (p.alphaOp == D3DTOP_DISABLE)
      result.c[3] = current.c[3];
    else
      applyOp8(p.alphaOp, *reg[p.alphaArg1], *reg[p.alphaArg2], 3, 4, result);
    current = result;
  }
}

// A blend factor for every channel of the (clamped) source.
[[gnu::always_inline]] inline void blendFactors8(DWORD factor, const Colour8& source,
                                                 Colour8& out) {
  switch (factor) {
    case D3DBLEND_ZERO:
      for (F8& f : out.c) f = splat8(0.0f);
      break;
    case D3DBLEND_SRCCOLOR:
      out = source;
      break;
    case D3DBLEND_INVSRCCOLOR:
      for (int k = 0; k < 4; ++k) out.c[k] = sub(splat8(1.0f), source.c[k]);
      break;
    case D3DBLEND_SRCALPHA:
      for (F8& f : out.c) f = source.c[3];
      break;
    case D3DBLEND_INVSRCALPHA:
      for (F8& f : out.c) f = sub(splat8(1.0f), source.c[3]);
      break;
    default:
      for (F8& f : out.c) f = splat8(1.0f);
  }
}

// The portable blendColour(), channel by channel: c becomes the blend of c over dest.
[[gnu::always_inline]] inline void blend8(const PixelStage& px, Colour8& c, const Colour8& dest) {
  Colour8 source;
  for (int k = 0; k < 4; ++k) source.c[k] = clamp01(c.c[k]);
  if (px.blendOp == D3DBLENDOP_MIN) {
    for (int k = 0; k < 4; ++k) c.c[k] = min8(source.c[k], dest.c[k]);
    return;
  }
  if (px.blendOp == D3DBLENDOP_MAX) {
    for (int k = 0; k < 4; ++k) c.c[k] = max8(source.c[k], dest.c[k]);
    return;
  }
  Colour8 fs, fd;
  blendFactors8(px.srcBlend, source, fs);
  blendFactors8(px.destBlend, source, fd);
  switch (px.blendOp) {
    case D3DBLENDOP_SUBTRACT:
      for (int k = 0; k < 4; ++k) c.c[k] = sub(mul(source.c[k], fs.c[k]), mul(dest.c[k], fd.c[k]));
      break;
    case D3DBLENDOP_REVSUBTRACT:
      for (int k = 0; k < 4; ++k) c.c[k] = sub(mul(dest.c[k], fd.c[k]), mul(source.c[k], fs.c[k]));
      break;
    default:
      for (int k = 0; k < 4; ++k) c.c[k] = add(mul(source.c[k], fs.c[k]), mul(dest.c[k], fd.c[k]));
  }
}

I8 packColour(const Colour8& c) {
  return ori(ori(quantise(c.c[0], 255.0f), _mm256_slli_epi32(quantise(c.c[1], 255.0f), 8)),
             ori(_mm256_slli_epi32(quantise(c.c[2], 255.0f), 16),
                 _mm256_slli_epi32(quantise(c.c[3], 255.0f), 24)));
}

Colour8 unpackColour(I8 words) {
  const F8 k = splat8(1.0f / 255.0f);
  return Colour8{{mul(byteChannel(words, 0), k), mul(byteChannel(words, 8), k),
                  mul(byteChannel(words, 16), k), mul(byteChannel(words, 24), k)}};
}

// What one triangle's pixels share, in eight lanes.
struct TriangleLanes {
  Group8 diffuse, specFog, texCoord;
  Comparison depthTest, alphaTest;
  F8 textureFloor[4], diffuseFloor[4], fogColour[4];
  TriangleLanes(const PixelStage& px, const TriangleSetup& t)
      : diffuse(t.attr.diffuse),
        specFog(t.attr.specFog),
        texCoord(t.attr.texCoord),
        depthTest(px.depthMask),
        alphaTest(px.alphaMask) {
    for (int k = 0; k < 4; ++k) {
      textureFloor[k] = splat8(px.textureFloor[k]);
      diffuseFloor[k] = splat8(px.diffuseFloor[k]);
      fogColour[k] = splat8(px.fogColour[k]);
    }
  }
};

// The pixels of a row inside all three edges, as offsets from x0: an estimate
// from a reciprocal in doubles, made exact against the integer edge functions.
struct EdgeRuns {
  const std::int64_t* step;
  double inverse[3];
  int count;
  explicit EdgeRuns(const TriangleSetup& t) : step(t.stepX), count(t.x1 - t.x0 + 1) {
    for (int i = 0; i < 3; ++i)
      inverse[i] = step[i] != 0 ? 1.0 / static_cast<double>(step[i]) : 0.0;
  }

  // [first, last] of the offsets k in [0, count) with e + step * k >= 0 for every
  // edge; first > last when there are none.
  [[gnu::always_inline]] std::pair<int, int> covered(const std::int64_t* e) const {
    int first = 0, last = count - 1;
    for (int i = 0; i < 3; ++i) {
      const std::int64_t s = step[i], v = e[i];
      if (s > 0) {
        if (v >= 0) continue;
        // Smallest k with v + s k >= 0.
        const double estimate = std::ceil(static_cast<double>(-v) * inverse[i]);
        auto k = static_cast<int>(std::min(estimate, static_cast<double>(count)));
        while (k > 0 && v + s * (k - 1) >= 0) --k;
        while (k < count && v + s * k < 0) ++k;
        first = std::max(first, k);
      } else {
        if (v < 0) return {1, 0};
        if (s == 0) continue;
        // Largest k with v + s k >= 0.
        const double estimate = std::floor(static_cast<double>(v) * -inverse[i]);
        auto k = static_cast<int>(std::min(estimate, static_cast<double>(count - 1)));
        while (k < count - 1 && v + s * (k + 1) >= 0) ++k;
        while (k >= 0 && v + s * k < 0) --k;
        last = std::min(last, k);
      }
    }
    return {first, last};
  }
};

// Shades the lanes of live (pixels colour[0..7], depth[0..7]) that pass the depth
// and alpha tests and writes them. Each lane's plane values (z/w, 1/w and the
// weights of B and C over w) are rowPlane + planeX * step, as in the portable filler.
template <int F0, int F1, bool kFull, bool kProduct>
[[gnu::always_inline]] inline void shadeGroup(const PixelStage& px, const TriangleLanes& tl,
                                              const Sampler8* samplers, const F8* rowPlane,
                                              const F8* planeX, F8 step, std::uint32_t* colour,
                                              std::uint16_t* depth, I8 live) {
  const auto planeLane = [&](int k) { return add(rowPlane[k], mul(planeX[k], step)); };
  I8 z16 = _mm256_setzero_si256(), oldDepth = z16;
  if (px.depthTest) {
    z16 = quantise(planeLane(0), 65535.0f);
    oldDepth = _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(depth)));
    live = andi(live, tl.depthTest.passes(z16, oldDepth));
    if (_mm256_testz_si256(live, live)) return;
  }
  const F8 q = _mm256_div_ps(splat8(1.0f), max8(planeLane(1), splat8(kTinyInvW)));
  const F8 bB = mul(planeLane(2), q), bC = mul(planeLane(3), q);

  Colour8 diffuse;
  for (int k = 0; k < 4; ++k) diffuse.c[k] = tl.diffuse.c[k].at(bB, bC);
  Colour8 tex0, tex1;
  if constexpr (F0 != kNoTexture) {
    tex0 = samplers[0].sample<F0>(tl.texCoord.c[0].at(bB, bC), tl.texCoord.c[1].at(bB, bC));
  } else {
    for (F8& t : tex0.c) t = splat8(1.0f);
  }
  if constexpr (F1 != kNoTexture) {
    tex1 = samplers[1].sample<F1>(tl.texCoord.c[2].at(bB, bC), tl.texCoord.c[3].at(bB, bC));
  } else {
    for (F8& t : tex1.c) t = splat8(1.0f);
  }
  Colour8 c;
  if constexpr (kProduct) {
    for (int k = 0; k < 4; ++k)
      c.c[k] = mul(max8(tex0.c[k], tl.textureFloor[k]), max8(diffuse.c[k], tl.diffuseFloor[k]));
  } else {
    combine8(px, diffuse, tex0, tex1, c);
  }
  if (px.specular) {
    for (int k = 0; k < 3; ++k)
      c.c[k] = min8(add(c.c[k], mul(tl.specFog.c[k].at(bB, bC), splat8(1.0f))), splat8(1.0f));
    c.c[3] = min8(add(c.c[3], mul(tl.specFog.c[3].at(bB, bC), splat8(0.0f))), splat8(1.0f));
  }
  if (px.fog) {
    const F8 f = clamp01(tl.specFog.c[3].at(bB, bC)), rest = sub(splat8(1.0f), f);
    for (int k = 0; k < 3; ++k)
      c.c[k] =
          add(mul(c.c[k], min8(add(f, splat8(0.0f)), splat8(1.0f))), mul(tl.fogColour[k], rest));
    c.c[3] = add(mul(c.c[3], min8(add(f, splat8(1.0f)), splat8(1.0f))), mul(tl.fogColour[3], rest));
  }
  const I8 oldColour = _mm256_loadu_si256(reinterpret_cast<const I8*>(colour));
  if constexpr (kFull) {
    if (px.alphaTest) {
      live = andi(live, tl.alphaTest.passes(quantise(c.c[3], 255.0f),
                                            splat8i(static_cast<int>(px.alphaRef))));
      if (_mm256_testz_si256(live, live)) return;
    }
    if (px.blend) blend8(px, c, unpackColour(oldColour));
  }
  if (px.depthWrite) {
    const I8 z = _mm256_blendv_epi8(oldDepth, z16, live);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(depth),
                     _mm_packus_epi32(_mm256_castsi256_si128(z), _mm256_extracti128_si256(z, 1)));
  }
  _mm256_storeu_si256(reinterpret_cast<I8*>(colour),
                      _mm256_blendv_epi8(oldColour, packColour(c), live));
}

// Lanes 0..7 as floats and as integers.
F8 laneSteps() { return _mm256_setr_ps(0, 1, 2, 3, 4, 5, 6, 7); }
I8 laneIndices() { return _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7); }

// Pixels of short runs, gathered from several rows into the eight lanes of one
// group: each lane keeps its own row's plane values and step.
struct ShortRuns {
  alignas(32) float plane[4][8] = {};
  alignas(32) float step[8] = {};
  alignas(32) std::uint32_t colour[8] = {};
  alignas(16) std::uint16_t depth[8] = {};
  std::uint32_t* colourAt[8];
  std::uint16_t* depthAt[8];
  int count = 0;

  // Returns whether the lanes are full.
  bool push(V4 rowPlane, int offset, std::uint32_t* colourCell, std::uint16_t* depthCell) {
    for (int k = 0; k < 4; ++k) plane[k][count] = rowPlane[k];
    step[count] = static_cast<float>(offset);
    colour[count] = *colourCell;
    colourAt[count] = colourCell;
    if (depthCell) depth[count] = *depthCell;
    depthAt[count] = depthCell;
    return ++count == 8;
  }
};

template <int F0, int F1, bool kFull, bool kProduct>
[[gnu::always_inline]] inline void shadeShortRuns(const PixelStage& px, const TriangleLanes& tl,
                                                  const Sampler8* samplers, const F8* planeX,
                                                  ShortRuns& runs) {
  if (runs.count == 0) return;
  F8 plane[4];
  for (int k = 0; k < 4; ++k) plane[k] = _mm256_load_ps(runs.plane[k]);
  const I8 live = _mm256_cmpgt_epi32(splat8i(runs.count), laneIndices());
  shadeGroup<F0, F1, kFull, kProduct>(px, tl, samplers, plane, planeX, _mm256_load_ps(runs.step),
                                      runs.colour, runs.depth, live);
  for (int i = 0; i < runs.count; ++i) {
    *runs.colourAt[i] = runs.colour[i];
    if (px.depthWrite) *runs.depthAt[i] = runs.depth[i];
  }
  runs.count = 0;
}

// Runs shorter than this go to the shared lanes.
constexpr int kShortRun = 4;

template <int F0, int F1, bool kFull, bool kProduct>
void fillTriangleWide(const PixelStage& px, const TriangleSetup& t, int yBegin, int yEnd) {
  const TriangleLanes lanes(px, t);
  const Sampler8 samplers[2] = {Sampler8(px.sampler[0]), Sampler8(px.sampler[1])};
  const EdgeRuns runs(t);
  std::int64_t row[3] = {t.edge[0], t.edge[1], t.edge[2]};
  V4 rowPlane = t.plane;
  const int first = std::max(t.y0, yBegin), last = std::min(t.y1, yEnd - 1);
  // The same additions row by row as the portable filler, for the same values.
  for (int y = t.y0; y < first; ++y) {
    for (int i = 0; i < 3; ++i) row[i] += t.stepY[i];
    rowPlane += t.planeY;
  }
  F8 planeX[4];
  for (int k = 0; k < 4; ++k) planeX[k] = splat8(t.planeX[k]);
  const I8 allLanes = _mm256_set1_epi32(-1);
  // The last offset from x0 where eight pixels still fit in the row. This thread
  // owns the row, so lanes beside the run may be read and written back unchanged.
  const bool windowFits = px.width >= 8;
  const int lastWindow = px.width - 8 - t.x0;
  ShortRuns shortRuns;
  for (int y = first; y <= last; ++y) {
    const auto [begin, end] = runs.covered(row);
    std::uint32_t* colourRow = px.colour + static_cast<std::ptrdiff_t>(y) * px.pitch + t.x0;
    std::uint16_t* depthRow =
        px.depthTest ? px.depth + static_cast<std::ptrdiff_t>(y) * px.width + t.x0 : nullptr;
    if (end - begin + 1 < kShortRun || (!windowFits && begin <= end)) {
      for (int k = begin; k <= end; ++k) {
        if (shortRuns.push(rowPlane, k, colourRow + k, depthRow ? depthRow + k : nullptr))
          shadeShortRuns<F0, F1, kFull, kProduct>(px, lanes, samplers, planeX, shortRuns);
      }
    } else if (begin <= end) {
      F8 plane[4];
      for (int k = 0; k < 4; ++k) plane[k] = splat8(rowPlane[k]);
      int k = begin;
      for (; k + 8 <= end + 1; k += 8) {
        shadeGroup<F0, F1, kFull, kProduct>(
            px, lanes, samplers, plane, planeX, add(splat8(static_cast<float>(k)), laneSteps()),
            colourRow + k, depthRow ? depthRow + k : nullptr, allLanes);
      }
      if (k <= end) {
        // The run's last few pixels: eight lanes that end inside the row, the ones
        // outside the run switched off (written back as they were).
        const int window = std::min(k, lastWindow);
        const I8 offset = _mm256_add_epi32(splat8i(window), laneIndices());
        const I8 live = andi(_mm256_cmpgt_epi32(offset, splat8i(k - 1)),
                             _mm256_cmpgt_epi32(splat8i(end + 1), offset));
        shadeGroup<F0, F1, kFull, kProduct>(px, lanes, samplers, plane, planeX,
                                            add(splat8(static_cast<float>(window)), laneSteps()),
                                            colourRow + window,
                                            depthRow ? depthRow + window : nullptr, live);
      }
    }
    for (int i = 0; i < 3; ++i) row[i] += t.stepY[i];
    rowPlane += t.planeY;
  }
  shadeShortRuns<F0, F1, kFull, kProduct>(px, lanes, samplers, planeX, shortRuns);
}

template <std::size_t... I>
constexpr std::array<FillFn, sizeof...(I)> wideTable(std::index_sequence<I...>) {
  return {&fillTriangleWide < static_cast<int>(I / 12), static_cast<int>(I / 4 % 3),
          (I / 2 % 2) != 0, (I % 2) != 0 && (I / 4 % 3) == 0 > ...};
}
constexpr auto kWideKernels = wideTable(std::make_index_sequence<kFillKernelCount>{});

}  // namespace

}  // namespace vandrel::gfx::raster

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#endif  // VANDREL_WIDE_FILL

namespace vandrel::gfx {

bool wideFilling() {
#ifdef VANDREL_WIDE_FILL
  static const bool available = __builtin_cpu_supports("avx2");
  return available && wideWanted.load(std::memory_order_relaxed);
#else
  return false;
#endif
}

namespace raster {

FillFn wideFillKernel(int kernel) {
#ifdef VANDREL_WIDE_FILL
  if (wideFilling()) return kWideKernels[static_cast<std::size_t>(kernel)];
#endif
  (void)kernel;
  return nullptr;
}

}  // namespace raster

}  // namespace vandrel::gfx
