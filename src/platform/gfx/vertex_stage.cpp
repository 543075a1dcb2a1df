#include "platform/gfx/vertex_stage.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include <emmintrin.h>

namespace vandrel::gfx {
namespace {

struct Vec3 {
  float x, y, z;
};

inline float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// A zero vector stays zero instead of turning into NaNs.
inline Vec3 normalise(Vec3 v) {
  const float length = std::sqrt(dot(v, v));
  if (!(length > 0)) return {0, 0, 0};
  const float inverse = 1.0f / length;
  return {v.x * inverse, v.y * inverse, v.z * inverse};
}

// Row vector times the upper 3x3: directions ignore translation.
inline Vec3 transformDirection(Vec3 v, const D3DMATRIX& m) {
  return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0],
          v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1],
          v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2]};
}

inline Vec3 transformPoint(Vec3 v, const D3DMATRIX& m) {
  const Vec3 d = transformDirection(v, m);
  return {d.x + m.m[3][0], d.y + m.m[3][1], d.z + m.m[3][2]};
}

D3DMATRIX multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
  D3DMATRIX r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] +
                  a.m[i][3] * b.m[3][j];
  return r;
}

// Inverse transpose of the upper 3x3 (the cofactor matrix over the determinant), so
// normals stay perpendicular to surfaces under non-uniform scale. A singular matrix
// keeps the bare cofactors: they still give usable directions once normalised.
D3DMATRIX affineNormalMatrix(const D3DMATRIX& m) {
  auto a = [&](int i, int j) { return m.m[i][j]; };
  D3DMATRIX c = identityMatrix();
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      const int i1 = (i + 1) % 3, i2 = (i + 2) % 3, j1 = (j + 1) % 3, j2 = (j + 2) % 3;
      c.m[i][j] = a(i1, j1) * a(i2, j2) - a(i1, j2) * a(i2, j1);
    }
  const float det = a(0, 0) * c.m[0][0] + a(0, 1) * c.m[0][1] + a(0, 2) * c.m[0][2];
  if (det != 0)
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) c.m[i][j] /= det;
  return c;
}

// Signed cofactor (i, j) of the whole 4x4 matrix, in double: it is worked out once
// per draw.
double cofactor(const D3DMATRIX& m, int i, int j) {
  int r[3], c[3];
  for (int k = 0, n = 0; k < 4; ++k)
    if (k != i) r[n++] = k;
  for (int k = 0, n = 0; k < 4; ++k)
    if (k != j) c[n++] = k;
  auto a = [&](int x, int y) { return static_cast<double>(m.m[r[x]][c[y]]); };
  const double minor = a(0, 0) * (a(1, 1) * a(2, 2) - a(1, 2) * a(2, 1)) -
                       a(0, 1) * (a(1, 0) * a(2, 2) - a(1, 2) * a(2, 0)) +
                       a(0, 2) * (a(1, 0) * a(2, 1) - a(1, 1) * a(2, 0));
  return (i + j) % 2 != 0 ? -minor : minor;
}

// Normals go through the upper 3x3 of the inverse transpose of the whole 4x4
// matrix. Without a projective column that is the inverse transpose of the upper
// 3x3, kept as it was; with one, the fourth row and column take part and can even
// cancel a normal to zero. A singular matrix keeps the bare cofactors, as above.
D3DMATRIX normalMatrix(const D3DMATRIX& m) {
  if (m.m[0][3] == 0 && m.m[1][3] == 0 && m.m[2][3] == 0) return affineNormalMatrix(m);
  double det = 0;
  for (int j = 0; j < 4; ++j) det += m.m[0][j] * cofactor(m, 0, j);
  D3DMATRIX n = identityMatrix();
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      const double c = cofactor(m, i, j);
      n.m[i][j] = static_cast<float>(det != 0 ? c / det : c);
    }
  return n;
}

using Rgba = std::array<float, 4>;

// Exact byte / 255 for every byte, without a division per vertex.
constexpr std::array<float, 256> kUnit = [] {
  std::array<float, 256> t{};
  for (int i = 0; i < 256; ++i) t[i] = static_cast<float>(i) / 255.0f;
  return t;
}();

inline Rgba unpack(D3DCOLOR c) {
  return {kUnit[(c >> 16) & 0xFF], kUnit[(c >> 8) & 0xFF], kUnit[c & 0xFF], kUnit[c >> 24]};
}

inline Rgba rgba(const D3DCOLORVALUE& c) { return {c.r, c.g, c.b, c.a}; }

// NaN goes to 0 so that a degenerate input cannot leak into the rasteriser.
inline float clamp01(float v) { return v > 0 ? (v < 1 ? v : 1.0f) : 0.0f; }

// c ? a : b on two values already computed, as a bit mask. The compiler treats a
// floating-point ?: as a branch it may not flatten (its operands could trap), which
// would keep the loops below from running four vertices at once.
inline float choose(bool c, float a, float b) {
  std::uint32_t ua, ub;
  std::memcpy(&ua, &a, sizeof ua);
  std::memcpy(&ub, &b, sizeof ub);
  const std::uint32_t mask = 0u - static_cast<std::uint32_t>(c);
  const std::uint32_t r = (ua & mask) | (ub & ~mask);
  float f;
  std::memcpy(&f, &r, sizeof f);
  return f;
}

// normalise() in place, for the vectorised loops.
inline void unit(float& x, float& y, float& z) {
  const float length = std::sqrt(x * x + y * y + z * z);
  const bool ok = length > 0;
  const float inverse = 1.0f / length;
  x = choose(ok, x * inverse, 0.0f);
  y = choose(ok, y * inverse, 0.0f);
  z = choose(ok, z * inverse, 0.0f);
}

// An enabled light moved into camera space once per call, with its colours already
// multiplied by the material's where the material supplies them.
struct CameraLight {
  bool point;  // point or spot: has a position, range and attenuation
  bool spot;
  bool shiny;  // has a specular term at all: spares pow() for lights that add nothing
  Vec3 v;      // directional: unit vector towards the light; point and spot: position
  Vec3 axis;   // spot: unit vector along which it shines
  float cosInner, cosOuter, falloff;  // spot: cos(Theta / 2), cos(Phi / 2)
  float range, a0, a1, a2;
  Rgba la, ld, ls;
  float caLa[3], cdLd[3], csLs[3];
};

// Source of one material colour for this call: the vertex's diffuse colour, or the
// material's (COLOR2 names a specular vertex colour our formats never carry).
inline bool fromVertex(const DeviceState& s, D3DRENDERSTATETYPE source, bool hasDiffuse) {
  return s.rs(source) == D3DMCS_COLOR1 && hasDiffuse && s.rs(D3DRS_COLORVERTEX) != 0;
}

template <class T>
inline T readAt(const unsigned char* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// Everything that is the same for every vertex of a call.
struct Setup {
  bool hasNormal, hasDiffuse, hasTex;
  std::size_t diffuseOffset, texOffset;
  D3DMATRIX worldView, normals, proj;
  bool lighting, normalize, localViewer, fogOn, rangeFog, needNormal, needColour;
  float fogStart, fogEnd, power;
  bool ambientV, diffuseV, specularV, emissiveV;
  Rgba matAmbient, matDiffuse, matSpecular, matEmissive, globalAmbient;
  CameraLight lights[kLightCount];
  int lightCount = 0;
  bool anyShiny = false;
  DWORD texSet[2], texMode[2];
  std::size_t readEnd;  // bytes of a vertex that are read at all

  Setup(const DeviceState& s, DWORD fvf) {
    hasNormal = (fvf & D3DFVF_NORMAL) != 0;
    hasDiffuse = (fvf & D3DFVF_DIFFUSE) != 0;
    hasTex = (fvf & D3DFVF_TEX1) != 0;
    diffuseOffset = 12 + (hasNormal ? 12 : 0);
    texOffset = diffuseOffset + (hasDiffuse ? 4 : 0);
    readEnd = texOffset + (hasTex ? 8 : 0);
    worldView = multiply(s.world, s.view);
    normals = normalMatrix(worldView);
    proj = s.projection;

    lighting = s.rs(D3DRS_LIGHTING) != 0;
    normalize = s.rs(D3DRS_NORMALIZENORMALS) != 0;
    localViewer = s.rs(D3DRS_LOCALVIEWER) != 0;
    fogOn = s.rs(D3DRS_FOGENABLE) != 0 && s.rs(D3DRS_FOGVERTEXMODE) == D3DFOG_LINEAR;
    fogStart = bitsToFloat(s.rs(D3DRS_FOGSTART));
    fogEnd = bitsToFloat(s.rs(D3DRS_FOGEND));
    rangeFog = s.rs(D3DRS_RANGEFOGENABLE) != 0;
    power = s.material.Power;
    ambientV = fromVertex(s, D3DRS_AMBIENTMATERIALSOURCE, hasDiffuse);
    diffuseV = fromVertex(s, D3DRS_DIFFUSEMATERIALSOURCE, hasDiffuse);
    specularV = fromVertex(s, D3DRS_SPECULARMATERIALSOURCE, hasDiffuse);
    emissiveV = fromVertex(s, D3DRS_EMISSIVEMATERIALSOURCE, hasDiffuse);
    needColour = hasDiffuse && (!lighting || ambientV || diffuseV || specularV || emissiveV);
    matAmbient = rgba(s.material.Ambient);
    matDiffuse = rgba(s.material.Diffuse);
    matSpecular = rgba(s.material.Specular);
    matEmissive = rgba(s.material.Emissive);
    globalAmbient = unpack(s.rs(D3DRS_AMBIENT) & 0x00FFFFFFu);

    const bool specularOn = lighting && s.rs(D3DRS_SPECULARENABLE) != 0;
    const bool materialShiny = matSpecular[0] != 0 || matSpecular[1] != 0 || matSpecular[2] != 0;
    // Lights are given in world space; only the view matrix takes them to camera space.
    for (int i = 0; lighting && i < kLightCount; ++i) {
      if (!s.lightEnabled[i]) continue;
      const D3DLIGHT9& in = s.lights[i];
      CameraLight& l = lights[lightCount++];
      l.point = in.Type != D3DLIGHT_DIRECTIONAL;
      l.spot = in.Type == D3DLIGHT_SPOT;
      if (l.point) {
        l.v = transformPoint({in.Position.x, in.Position.y, in.Position.z}, s.view);
      } else {
        const Vec3 d =
            normalise(transformDirection({in.Direction.x, in.Direction.y, in.Direction.z}, s.view));
        l.v = {-d.x, -d.y, -d.z};
      }
      if (l.spot) {
        l.axis =
            normalise(transformDirection({in.Direction.x, in.Direction.y, in.Direction.z}, s.view));
        l.cosInner = std::cos(in.Theta * 0.5f);
        l.cosOuter = std::cos(in.Phi * 0.5f);
        l.falloff = in.Falloff;
      }
      l.range = in.Range;
      l.a0 = in.Attenuation0;
      l.a1 = in.Attenuation1;
      l.a2 = in.Attenuation2;
      l.la = rgba(in.Ambient);
      l.ld = rgba(in.Diffuse);
      l.ls = rgba(in.Specular);
      for (int c = 0; c < 3; ++c) {
        l.caLa[c] = matAmbient[c] * l.la[c];
        l.cdLd[c] = matDiffuse[c] * l.ld[c];
        l.csLs[c] = matSpecular[c] * l.ls[c];
      }
      l.shiny = specularOn && (l.ls[0] != 0 || l.ls[1] != 0 || l.ls[2] != 0) &&
                (specularV || materialShiny);
      anyShiny |= l.shiny;
    }

    bool normalForTex = false;
    for (int stage = 0; stage < 2; ++stage) {
      const DWORD index = s.tss(stage, D3DTSS_TEXCOORDINDEX);
      texSet[stage] = index & 0xFFFFu;
      texMode[stage] = index & 0xFFFF0000u;
      normalForTex |= texMode[stage] == D3DTSS_TCI_CAMERASPACENORMAL ||
                      texMode[stage] == D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR;
    }
    needNormal = hasNormal && (lightCount > 0 || normalForTex);
  }
};

// Vertices go through in blocks of structure-of-arrays, one step (and one light) at a
// time: the loops are branch-free, so the compiler runs four vertices per instruction
// and the long sqrt/divide chains of neighbouring vertices overlap. Every lane does the
// same IEEE operations as scalar code would, so the results do not depend on it.
constexpr int kBlock = 64;

// How far back a repeated vertex is looked for: a quad's two triangles and the next
// quad's shared corners all lie within six vertices.
constexpr int kRepeatWindow = 6;

// Byte equality, 16 bytes to a comparison and then in 4-byte words (every vertex
// field is 4 bytes): most vertices that are compared turn out equal.
inline bool sameBytes(const unsigned char* a, const unsigned char* b, std::size_t bytes) {
  std::size_t o = 0;
  for (; o + 16 <= bytes; o += 16) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + o));
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + o));
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(x, y)) != 0xFFFF) return false;
  }
  for (; o < bytes; o += 4) {
    std::uint32_t x, y;
    std::memcpy(&x, a + o, 4);
    std::memcpy(&y, b + o, 4);
    if (x != y) return false;
  }
  return true;
}

struct Block {
  float px[kBlock], py[kBlock], pz[kBlock];  // camera-space position
  float nx[kBlock], ny[kBlock], nz[kBlock];  // camera-space normal
  float ex[kBlock], ey[kBlock], ez[kBlock];  // unit vector towards the eye
  float colour[4][kBlock];                   // vertex diffuse colour
  float d[3][kBlock], sp[3][kBlock];         // diffuse and specular sums
  float fog[kBlock], atten[kBlock], highlightBase[kBlock];
  float spot[kBlock];  // spot factor of the light being added
};

// Reads the vertices named by index: clip coordinates straight out, the rest into
// the block.
void gather(const Setup& k, const unsigned char* base, int stride, const int* index, int count,
            Block& b, ShadedVertex* out) {
  const D3DMATRIX& m = k.worldView;
  const D3DMATRIX& proj = k.proj;
  for (int i = 0; i < count; ++i) {
    const unsigned char* src = base + static_cast<std::ptrdiff_t>(index[i]) * stride;
    ShadedVertex& o = out[index[i]];
    const Vec3 p{readAt<float>(src), readAt<float>(src + 4), readAt<float>(src + 8)};
    // Camera space keeps its w so a projective world or view still composes exactly.
    const Vec3 pc = transformPoint(p, m);
    const float pw = p.x * m.m[0][3] + p.y * m.m[1][3] + p.z * m.m[2][3] + m.m[3][3];
    auto clip = [&](int j) {
      return pc.x * proj.m[0][j] + pc.y * proj.m[1][j] + pc.z * proj.m[2][j] + pw * proj.m[3][j];
    };
    o.x = clip(0);
    o.y = clip(1);
    o.z = clip(2);
    o.w = clip(3);
    b.px[i] = pc.x, b.py[i] = pc.y, b.pz[i] = pc.z;

    Vec3 n{0, 0, 0};
    if (k.needNormal)
      n = transformDirection(
          {readAt<float>(src + 12), readAt<float>(src + 16), readAt<float>(src + 20)}, k.normals);
    b.nx[i] = n.x, b.ny[i] = n.y, b.nz[i] = n.z;

    const Rgba c =
        k.needColour ? unpack(readAt<D3DCOLOR>(src + k.diffuseOffset)) : Rgba{1, 1, 1, 1};
    for (int j = 0; j < 4; ++j) b.colour[j][i] = c[j];

    for (int stage = 0; stage < 2; ++stage) {  // pass-through; our formats carry set 0 only
      const bool read = k.hasTex && k.texSet[stage] == 0;
      o.tex[stage][0] = read ? readAt<float>(src + k.texOffset) : 0.0f;
      o.tex[stage][1] = read ? readAt<float>(src + k.texOffset + 4) : 0.0f;
    }
  }
}

void normaliseAll(float* x, float* y, float* z, int count) {
  for (int i = 0; i < count; ++i) unit(x[i], y[i], z[i]);
}

// Linear fog of the distance to the eye (range fog) or of the depth.
template <bool kRange>
void fog(const Setup& k, int count, Block& b) {
  const float start = k.fogStart, end = k.fogEnd, range = end - start;
  if (range == 0) {  // start = end fogs everything, whatever the distance
    std::fill(b.fog, b.fog + count, 0.0f);
    return;
  }
  for (int i = 0; i < count; ++i) {
    const float x = b.px[i], y = b.py[i], z = b.pz[i];
    const float dist = kRange ? std::sqrt(x * x + y * y + z * z) : std::fabs(z);
    b.fog[i] = clamp01((end - dist) / range);
  }
}

// The spot factor of each vertex: 1 inside the inner cone, 0 outside the outer one,
// ((rho - cos(Phi / 2)) / (cos(Theta / 2) - cos(Phi / 2)))^Falloff between, rho being
// the cosine between the spot's axis and the way from the light to the vertex.
void spotFactors(const CameraLight& light, int count, Block& b) {
  const float lx = light.v.x, ly = light.v.y, lz = light.v.z;
  const float ax = light.axis.x, ay = light.axis.y, az = light.axis.z;
  const float inner = light.cosInner, outer = light.cosOuter;
  const float scale = 1.0f / (inner - outer);  // not used when the cones are equal
  for (int i = 0; i < count; ++i) {
    const float dx = b.px[i] - lx, dy = b.py[i] - ly, dz = b.pz[i] - lz;
    const float dist = std::sqrt(dx * dx + dy * dy + dz * dz);
    const float rho = choose(dist > 0, (dx * ax + dy * ay + dz * az) / dist, 0.0f);
    const float between = (rho - outer) * scale;
    const float partial = choose(rho > outer, choose(between < 1, between, 1.0f), 0.0f);
    b.spot[i] = choose(rho > inner, 1.0f, partial);
  }
  if (light.falloff == 1) return;
  // pow() only between the cones, after the vectorised loop.
  for (int i = 0; i < count; ++i)
    if (b.spot[i] > 0 && b.spot[i] < 1) b.spot[i] = std::pow(b.spot[i], light.falloff);
}

// Adds one light's Atten*(Ca*La + Cd*Ld*max(N.L,0)) and, for a shiny light, leaves
// N.H (0 where there is no highlight) and Atten for the pow() pass.
template <bool kPoint, bool kShiny, bool kSpot = false>
void addLight(const Setup& k, const CameraLight& light, int count, Block& b) {
  const float lx = light.v.x, ly = light.v.y, lz = light.v.z;
  const float range = light.range, a0 = light.a0, a1 = light.a1, a2 = light.a2;
  const bool ambientV = k.ambientV, diffuseV = k.diffuseV;
  float la[3], ld[3], caLa[3], cdLd[3];
  for (int c = 0; c < 3; ++c)
    la[c] = light.la[c], ld[c] = light.ld[c], caLa[c] = light.caLa[c], cdLd[c] = light.cdLd[c];
  for (int i = 0; i < count; ++i) {
    float tx = lx, ty = ly, tz = lz, atten = 1;
    bool lit = true;
    if constexpr (kPoint) {
      const float dx = lx - b.px[i], dy = ly - b.py[i], dz = lz - b.pz[i];
      const float dist = std::sqrt(dx * dx + dy * dy + dz * dz);
      const float denom = a0 + a1 * dist + a2 * dist * dist;
      lit = !(dist > range) & (denom > 0);  // out of range: not even ambient
      atten = 1.0f / denom;
      // The spot factor scales ambient, diffuse and specular alike.
      if constexpr (kSpot) atten *= b.spot[i];
      const float inverse = 1.0f / dist;  // normalise(), reusing the sqrt
      tx = choose(dist > 0, dx * inverse, 0.0f);
      ty = choose(dist > 0, dy * inverse, 0.0f);
      tz = choose(dist > 0, dz * inverse, 0.0f);
    }
    const float nl = b.nx[i] * tx + b.ny[i] * ty + b.nz[i] * tz;
    const float lambert = choose(nl > 0, nl, 0.0f);
    for (int c = 0; c < 3; ++c) {
      const float ambient = choose(ambientV, b.colour[c][i] * la[c], caLa[c]);
      const float diffuse = choose(diffuseV, b.colour[c][i] * ld[c], cdLd[c]);
      const float term = ambient + diffuse * lambert;
      if constexpr (kPoint) {
        b.d[c][i] = choose(lit, b.d[c][i] + atten * term, b.d[c][i]);
      } else {
        b.d[c][i] = b.d[c][i] + term;  // Atten = 1
      }
    }
    if constexpr (kShiny) {
      float hx = tx + b.ex[i], hy = ty + b.ey[i], hz = tz + b.ez[i];
      unit(hx, hy, hz);
      const float nh = b.nx[i] * hx + b.ny[i] * hy + b.nz[i] * hz;
      b.highlightBase[i] = choose(lit & (nl > 0) & (nh > 0), nh, 0.0f);
      b.atten[i] = atten;
    }
  }
}

// Ce + Ca*Ga + the lights, and the specular sum.
void lightBlock(const Setup& k, int count, Block& b) {
  for (int c = 0; c < 3; ++c) {
    const bool ambientV = k.ambientV, emissiveV = k.emissiveV;
    const float ga = k.globalAmbient[c], ma = k.matAmbient[c], me = k.matEmissive[c];
    for (int i = 0; i < count; ++i) {
      const float ca = choose(ambientV, b.colour[c][i], ma);
      const float ce = choose(emissiveV, b.colour[c][i], me);
      b.d[c][i] = ce + ca * ga;
      b.sp[c][i] = 0;
    }
  }
  if (k.anyShiny) {
    for (int i = 0; i < count; ++i) b.ex[i] = -b.px[i], b.ey[i] = -b.py[i], b.ez[i] = -b.pz[i];
    if (k.localViewer)
      normaliseAll(b.ex, b.ey, b.ez, count);
    else
      for (int i = 0; i < count; ++i) b.ex[i] = 0, b.ey[i] = 0, b.ez[i] = -1;
  }

  for (int l = 0; l < k.lightCount; ++l) {
    const CameraLight& light = k.lights[l];
    if (light.spot) {
      spotFactors(light, count, b);
      light.shiny ? addLight<true, true, true>(k, light, count, b)
                  : addLight<true, false, true>(k, light, count, b);
    } else if (light.point)
      light.shiny ? addLight<true, true>(k, light, count, b)
                  : addLight<true, false>(k, light, count, b);
    else
      light.shiny ? addLight<false, true>(k, light, count, b)
                  : addLight<false, false>(k, light, count, b);
    if (!light.shiny) continue;
    // pow() only where there is a highlight, after the vectorised loop.
    for (int i = 0; i < count; ++i) {
      if (!(b.highlightBase[i] > 0)) continue;
      const float highlight = std::pow(b.highlightBase[i], k.power);
      for (int c = 0; c < 3; ++c) {
        const float specular = k.specularV ? b.colour[c][i] * light.ls[c] : light.csLs[c];
        b.sp[c][i] += b.atten[i] * specular * highlight;
      }
    }
  }
}

// Colours, fog and generated texture coordinates out.
void scatter(const Setup& k, int count, const Block& b, const int* index, ShadedVertex* out) {
  for (int i = 0; i < count; ++i) {
    ShadedVertex& o = out[index[i]];
    if (k.lighting) {
      for (int c = 0; c < 3; ++c) {
        o.diffuse[c] = clamp01(b.d[c][i]);
        o.specular[c] = clamp01(b.sp[c][i]);
      }
      o.diffuse[3] = clamp01(k.diffuseV ? b.colour[3][i] : k.matDiffuse[3]);
    } else {
      for (int c = 0; c < 4; ++c) o.diffuse[c] = b.colour[c][i];
      o.specular[0] = o.specular[1] = o.specular[2] = 0;
    }
    o.fog = k.fogOn ? b.fog[i] : 1.0f;

    const Vec3 pc{b.px[i], b.py[i], b.pz[i]}, n{b.nx[i], b.ny[i], b.nz[i]};
    for (int stage = 0; stage < 2; ++stage) {
      float* t = o.tex[stage];
      switch (k.texMode[stage]) {
        case D3DTSS_TCI_CAMERASPACENORMAL:
          t[0] = n.x, t[1] = n.y;
          break;
        case D3DTSS_TCI_CAMERASPACEPOSITION:
          t[0] = pc.x, t[1] = pc.y;
          break;
        case D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR: {
          const Vec3 e = normalise(pc);
          const float twice = 2 * dot(e, n);
          t[0] = e.x - twice * n.x, t[1] = e.y - twice * n.y;
          break;
        }
        default:  // pass-through, read in gather()
          break;
      }
    }
  }
}

}  // namespace

void processVertices(const DeviceState& s, const void* vertices, DWORD fvf, int stride, int count,
                     ShadedVertex* out) {
  if (count <= 0) return;
  const Setup setup(s, fvf);
  Block block;
  const unsigned char* base = static_cast<const unsigned char*>(vertices);
  auto shade = [&](const int* index, int n) {
    gather(setup, base, stride, index, n, block, out);
    if (setup.needNormal && setup.normalize) normaliseAll(block.nx, block.ny, block.nz, n);
    if (setup.fogOn) setup.rangeFog ? fog<true>(setup, n, block) : fog<false>(setup, n, block);
    if (setup.lighting) lightBlock(setup, n, block);
    scatter(setup, n, block, index, out);
  };
  // A shaded vertex depends on nothing but its own bytes, and a triangle list
  // repeats its shared corners a few vertices apart: those copy the earlier result.
  std::vector<int> source(static_cast<std::size_t>(count));
  int pending[kBlock];
  int n = 0;
  // The distance that matched six vertices earlier is tried first: a list of quads
  // repeats the same pattern.
  int hint[kRepeatWindow] = {};
  // First words of the last few vertices, by position modulo the window: a new
  // vertex usually differs from all of them there, which six word comparisons
  // without branches tell.
  std::uint32_t recent[kRepeatWindow] = {};
  for (int i = 0, phase = 0; i < count; ++i, phase = phase + 1 == kRepeatWindow ? 0 : phase + 1) {
    const unsigned char* v = base + static_cast<std::ptrdiff_t>(i) * stride;
    std::uint32_t first;
    std::memcpy(&first, v, 4);
    int& h = hint[phase];
    source[i] = i;
    const unsigned char* guess = v - static_cast<std::ptrdiff_t>(h) * stride;
    if (h > 0 && h <= i && sameBytes(v, guess, setup.readEnd)) {
      source[i] = source[i - h];
    } else {
      h = 0;
      unsigned candidates = 0;
      for (int k = 0; k < kRepeatWindow; ++k) candidates |= unsigned{recent[k] == first} << k;
      for (int back = 1; candidates && back <= kRepeatWindow && back <= i; ++back) {
        const int slot = phase >= back ? phase - back : phase - back + kRepeatWindow;
        if (!(candidates >> slot & 1u)) continue;
        if (sameBytes(v, v - static_cast<std::ptrdiff_t>(back) * stride, setup.readEnd)) {
          source[i] = source[i - back];
          h = back;
          break;
        }
      }
    }
    recent[phase] = first;
    if (source[i] != i) continue;
    pending[n++] = i;
    if (n == kBlock) shade(pending, n), n = 0;
  }
  if (n > 0) shade(pending, n);
  for (int i = 0; i < count; ++i)
    if (source[i] != i) out[i] = out[source[i]];
}

}  // namespace vandrel::gfx
