#pragma once
// The per-pixel half of the rasteriser: texture sampling, the two texture
// stages, specular, fog, alpha test, depth write, blending and the colour write.
// Everything a draw's states decide is worked out once per draw in PixelStage;
// the hot functions are templates over what changes per triangle (the filter
// each stage samples with) and over the few shapes of work that matter for
// speed, so the per-pixel code tests little besides predictable flags.
// Internal to the rasteriser: only rasterizer.cpp and pixel_stage.cpp include it.

#include <emmintrin.h>

#include <cstdint>
#include <cstring>

#include "platform/gfx/pipeline.h"

namespace vandrel::gfx::raster {

// Four floats in one SSE register. Colours are held in the byte order of a
// 0xAARRGGBB word in memory, b, g, r, a, so texels and the back buffer convert
// to and from them without shuffling.
typedef float V4 __attribute__((vector_size(16)));

inline V4 splat(float f) { return V4{f, f, f, f}; }
template <int kLane>
inline V4 broadcast(V4 v) {
  return _mm_shuffle_ps(v, v, _MM_SHUFFLE(kLane, kLane, kLane, kLane));
}
// max(a, b) is a > b ? a : b and min(a, b) is a < b ? a : b, so with the bound as
// b a NaN becomes the bound: no NaN reaches an integer conversion.
inline V4 vmax(V4 a, V4 b) { return _mm_max_ps(a, b); }
inline V4 vmin(V4 a, V4 b) { return _mm_min_ps(a, b); }
inline V4 clamp01(V4 a) { return vmin(vmax(a, splat(0.0f)), splat(1.0f)); }
inline float maxf(float a, float b) {
  return _mm_cvtss_f32(_mm_max_ss(_mm_set_ss(a), _mm_set_ss(b)));
}
inline float minf(float a, float b) {
  return _mm_cvtss_f32(_mm_min_ss(_mm_set_ss(a), _mm_set_ss(b)));
}
inline float clamp01(float a) { return minf(maxf(a, 0.0f), 1.0f); }

// round(c * 255) of a colour in 0..1.
inline std::uint32_t toByte(float c) {
  return static_cast<std::uint32_t>(clamp01(c) * 255.0f + 0.5f);
}
inline std::uint32_t pack(V4 c) {
  __m128i i = _mm_cvttps_epi32(clamp01(c) * 255.0f + 0.5f);
  i = _mm_packs_epi32(i, i);
  i = _mm_packus_epi16(i, i);
  return static_cast<std::uint32_t>(_mm_cvtsi128_si32(i));
}
inline V4 bytesToFloats(std::uint32_t c) {
  const __m128i zero = _mm_setzero_si128();
  __m128i i = _mm_cvtsi32_si128(static_cast<int>(c));
  i = _mm_unpacklo_epi16(_mm_unpacklo_epi8(i, zero), zero);
  return _mm_cvtepi32_ps(i);
}
inline V4 unpack(std::uint32_t c) { return bytesToFloats(c) * (1.0f / 255.0f); }

// floor(t) for any float; out-of-range values and NaN saturate instead of
// overflowing the conversion.
inline std::int64_t floorToInt(float t) {
  constexpr float kLimit = 4.0e18f;  // below 2^62
  t = minf(maxf(t, -kLimit), kLimit);
  const auto i = static_cast<std::int64_t>(t);
  return i - (static_cast<float>(i) > t ? 1 : 0);
}

// Bit set of the outcomes a D3DCMP function accepts: 1 = less, 2 = equal, 4 = greater.
unsigned comparisonMask(DWORD function);
inline constexpr unsigned kLessEqualMask = 3;
inline bool passes(unsigned mask, std::uint32_t value, std::uint32_t reference) {
  if (mask == kLessEqualMask) return value <= reference;  // the usual depth test, kept short
  const unsigned outcome = (value >= reference ? 1u : 0u) + (value > reference ? 1u : 0u);
  return (mask >> outcome & 1u) != 0;
}

// round(clamp(z, 0, 1) * 65535) of lane 0
inline std::uint32_t depthValue(V4 z) {
  return static_cast<std::uint32_t>(_mm_cvtss_f32(clamp01(z)) * 65535.0f + 0.5f);
}

enum Filter : int { kNoTexture = 0, kPoint = 1, kLinear = 2 };

// floor(t) of each lane. A lane beyond the 32-bit range (or NaN) becomes the
// processor's defined "integer indefinite", so texture coordinates beyond about
// 2^23 / edge periods pick a fixed texel instead of misbehaving.
inline __m128i floorLanes(V4 t) {
  const __m128i i = _mm_cvttps_epi32(t);
  // Truncation rounded a negative fraction up: subtract 1 there (the mask is -1).
  return _mm_add_epi32(i, _mm_castps_si128(_mm_cmpgt_ps(_mm_cvtepi32_ps(i), t)));
}
inline int lane0(__m128i v) { return _mm_cvtsi128_si32(v); }
inline int lane1(__m128i v) {
  return _mm_cvtsi128_si32(_mm_shuffle_epi32(v, _MM_SHUFFLE(1, 1, 1, 1)));
}

// Level 0 of one stage's texture with the stage's addressing. The samplers and
// shade() are forced inline: a call per pixel would cost more than their work.
struct Sampler {
  enum Address : int { kWrap, kClamp };
  const std::uint32_t* texels = nullptr;
  int edge = 1;
  int mask = 0;           // edge - 1, used when fastWrap
  int shift = 0;          // log2(edge), used when fastWrap
  bool fastWrap = false;  // both axes wrap and the edge is a power of two
  Address addressU = kWrap, addressV = kWrap;
  V4 opaque{};    // lane 3 is 1 for a texture without alpha, else all 0
  V4 scale{};     // edge in every lane
  V4 scale256{};  // edge * 256: texel coordinates with 8 fraction bits

  int index(int i, Address mode) const {
    if (mode == kClamp) return i < 0 ? 0 : (i >= edge ? edge - 1 : i);
    const int r = i % edge;
    return r < 0 ? r + edge : r;
  }
  std::uint32_t texel(int x, int y) const {
    return texels[static_cast<std::size_t>(y) * static_cast<std::size_t>(edge) +
                  static_cast<std::size_t>(x)];
  }

  // Texel floor(u * edge), floor(v * edge), for (u, v) in lanes 0 and 1.
  [[gnu::always_inline]] V4 point(V4 uv) const {
    const __m128i i = floorLanes(uv * scale);
    const int x = lane0(i), y = lane1(i);
    const std::uint32_t t = fastWrap ? texels[((y & mask) << shift) + (x & mask)]
                                     : texel(index(x, addressU), index(y, addressV));
    return vmax(unpack(t), opaque);
  }

  // The four texels around (u * edge - 0.5, v * edge - 0.5) with weights in
  // steps of 1/256.
  [[gnu::always_inline]] V4 linear(V4 uv) const {
    const __m128i i = floorLanes(uv * scale256 - splat(128.0f));
    // Scalar addressing: integer ports are plentiful, shuffles are not.
    const int tu = lane0(i), tv = lane1(i);
    const int fu = tu & 0xFF, fv = tv & 0xFF;
    std::uint32_t t00, t10, t01, t11;
    if (fastWrap) {
      const int x0 = (tu >> 8) & mask, x1 = (x0 + 1) & mask;
      const std::uint32_t* row0 = texels + (((tv >> 8) & mask) << shift);
      const std::uint32_t* row1 = texels + ((((tv >> 8) + 1) & mask) << shift);
      t00 = row0[x0], t10 = row0[x1], t01 = row1[x0], t11 = row1[x1];
    } else {
      const int x0 = index(tu >> 8, addressU), x1 = index((tu >> 8) + 1, addressU);
      const int y0 = index(tv >> 8, addressV), y1 = index((tv >> 8) + 1, addressV);
      t00 = texel(x0, y0), t10 = texel(x1, y0), t01 = texel(x0, y1), t11 = texel(x1, y1);
    }
    const __m128i weightsU = _mm_set1_epi32((256 - fu) | fu << 16);
    const V4 weightV = splat(static_cast<float>(fv));
    // Interleave each row's two texels channel by channel, so one multiply-add
    // per row blends all four channels horizontally (exact integers below 2^16).
    const __m128i zero = _mm_setzero_si128();
    const __m128i top = _mm_madd_epi16(
        _mm_unpacklo_epi8(_mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(t00)),
                                            _mm_cvtsi32_si128(static_cast<int>(t10))),
                          zero),
        weightsU);
    const __m128i bottom = _mm_madd_epi16(
        _mm_unpacklo_epi8(_mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(t01)),
                                            _mm_cvtsi32_si128(static_cast<int>(t11))),
                          zero),
        weightsU);
    // The vertical blend is the channel times 65536: below 2^24, exact in floats.
    const V4 sum =
        _mm_cvtepi32_ps(top) * (splat(256.0f) - weightV) + _mm_cvtepi32_ps(bottom) * weightV;
    return vmax(sum * (1.0f / (255.0f * 65536.0f)), opaque);
  }
};

// One texture stage's colour and alpha operations; arguments are register
// numbers: 0 diffuse, 1 current, 2 texture.
struct StageProgram {
  DWORD colourOp, alphaOp;
  int colourArg1, colourArg2, alphaArg1, alphaArg2;
};

inline V4 applyOp(DWORD op, V4 a, V4 b) {
  switch (op) {
    case D3DTOP_MODULATE:
      return a * b;
    case D3DTOP_SELECTARG1:
      return a;
    case D3DTOP_ADD:
      return vmin(a + b, splat(1.0f));
    case D3DTOP_SUBTRACT:
      return vmax(a - b, splat(0.0f));
    default:
      return b;  // SELECTARG2, and ops this device does not have pass argument 2
  }
}

// Attribute = base + bB * deltaB + bC * deltaC, with bB, bC the perspective-correct
// weights of the primitive's second and third vertices.
struct AttributeGroup {
  V4 base, deltaB, deltaC;
  V4 at(V4 bB, V4 bC) const { return base + deltaB * bB + deltaC * bC; }
};
struct Attributes {
  AttributeGroup diffuse;   // b, g, r, a
  AttributeGroup specFog;   // specular b, g, r, fog factor
  AttributeGroup texCoord;  // u0, v0, u1, v1
};

// Everything a draw's states decide about its pixels.
struct PixelStage {
  PixelStage(const DeviceState& state, const RenderTarget& target);

  std::uint32_t* colour;
  std::uint16_t* depth;
  int width, height, pitch;

  bool depthTest, depthWrite;
  unsigned depthMask;

  int stageCount;  // active texture stages: 0, 1 or 2
  StageProgram stage[2];
  bool hasTexture[2];  // the stage is active and reads TEXTURE, which is bound
  bool magLinear[2], minLinear[2];
  Sampler sampler[2];

  // When the stages amount to texture x diffuse with some factors left out (one
  // stage of MODULATE or SELECTARG, or none), the result is
  // max(texture, textureFloor) * max(diffuse, diffuseFloor): a floor lane of 1
  // drops that factor.
  bool productForm;
  V4 textureFloor, diffuseFloor;

  bool specular, fog;
  V4 fogColour;

  bool alphaTest;
  unsigned alphaMask;
  std::uint32_t alphaRef;

  bool blend;
  DWORD blendOp, srcBlend, destBlend;

  // Whether the eight-pixel filler covers these states: every sampled texture
  // wraps on both axes and has a power-of-two edge.
  bool wideCovered;

  // Whether the output needs more than "write depth, write colour".
  bool fullOutput() const { return alphaTest || blend; }

  V4 blendFactor(DWORD factor, V4 source) const {
    switch (factor) {
      case D3DBLEND_ZERO:
        return splat(0.0f);
      case D3DBLEND_SRCCOLOR:
        return source;
      case D3DBLEND_INVSRCCOLOR:
        return splat(1.0f) - source;
      case D3DBLEND_SRCALPHA:
        return splat(source[3]);
      case D3DBLEND_INVSRCALPHA:
        return splat(1.0f - source[3]);
      default:
        return splat(1.0f);  // ONE, and factors this device does not have
    }
  }

  V4 blendColour(V4 source, V4 dest) const {
    source = clamp01(source);
    switch (blendOp) {
      case D3DBLENDOP_MIN:
        return vmin(source, dest);
      case D3DBLENDOP_MAX:
        return vmax(source, dest);
      case D3DBLENDOP_SUBTRACT:
        return source * blendFactor(srcBlend, source) - dest * blendFactor(destBlend, source);
      case D3DBLENDOP_REVSUBTRACT:
        return dest * blendFactor(destBlend, source) - source * blendFactor(srcBlend, source);
      default:
        return source * blendFactor(srcBlend, source) + dest * blendFactor(destBlend, source);
    }
  }

  template <int F>
  [[gnu::always_inline]] static V4 sample(const Sampler& sampler, V4 uv) {
    if constexpr (F == kPoint) return sampler.point(uv);
    if constexpr (F == kLinear) return sampler.linear(uv);
    return splat(1.0f);  // the stage does not read its texture
  }

  V4 combine(V4 diffuse, V4 tex0, V4 tex1) const {
    V4 current = diffuse;
    for (int s = 0; s < stageCount; ++s) {
      const StageProgram& p = stage[s];
      const V4 reg[3] = {diffuse, current, s == 0 ? tex0 : tex1};
      V4 result = applyOp(p.colourOp, reg[p.colourArg1], reg[p.colourArg2]);
      result[3] = p.alphaOp == D3DTOP_DISABLE
                      ? current[3]
                      : applyOp(p.alphaOp, reg[p.alphaArg1], reg[p.alphaArg2])[3];
      current = result;
    }
    return current;
  }

  // Shades one pixel that passed the depth test and writes it. z16 is its depth value.
  // Shades one pixel that passed the depth test and writes it. bB and bC hold
  // the weights of vertices B and C in every lane; z16 is the pixel's depth value.
  template <int F0, int F1, bool kFull, bool kProduct>
  [[gnu::always_inline]] void shade(const Attributes& in, V4 bB, V4 bC, std::uint32_t z16,
                                    std::uint32_t* pixel, std::uint16_t* depthCell) const {
    const V4 diffuse = in.diffuse.at(bB, bC);
    V4 tex0 = splat(1.0f), tex1 = splat(1.0f);
    if constexpr (F0 != kNoTexture || F1 != kNoTexture) {
      const V4 uv = in.texCoord.at(bB, bC);
      tex0 = sample<F0>(sampler[0], uv);
      tex1 = sample<F1>(sampler[1], _mm_movehl_ps(uv, uv));
    }
    V4 c;
    if constexpr (kProduct) {
      c = vmax(tex0, textureFloor) * vmax(diffuse, diffuseFloor);
    } else {
      c = combine(diffuse, tex0, tex1);
    }
    if (specular || fog) {
      const V4 sf = in.specFog.at(bB, bC);
      if (specular) c = vmin(c + sf * V4{1.0f, 1.0f, 1.0f, 0.0f}, splat(1.0f));
      if (fog) {
        // f on the colour lanes, 1 on alpha; the fog colour's alpha lane is 0.
        const V4 f = broadcast<3>(clamp01(sf));
        c = c * vmin(f + V4{0.0f, 0.0f, 0.0f, 1.0f}, splat(1.0f)) + fogColour * (splat(1.0f) - f);
      }
    }
    if constexpr (kFull) {
      if (alphaTest && !passes(alphaMask, toByte(c[3]), alphaRef)) return;
      if (depthWrite) *depthCell = static_cast<std::uint16_t>(z16);
      if (blend) c = blendColour(c, unpack(*pixel));
    } else {
      if (depthWrite) *depthCell = static_cast<std::uint16_t>(z16);
    }
    *pixel = pack(c);
  }
};

}  // namespace vandrel::gfx::raster
