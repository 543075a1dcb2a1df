#include "platform/gfx/rasterizer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/gfx/pixel_stage.h"
#include "platform/gfx/span_filler.h"
#include "platform/os/parallel.h"

// Geometry half of the rasteriser: clipping, projection, culling, coverage and
// interpolation set-up. Screen positions are snapped to 1/256 pixel and edge
// functions are evaluated in 64-bit integers, so coverage is exact: the top-left
// rule holds to the bit and triangles sharing an edge never gap or overlap.

namespace vandrel::gfx {

using raster::AttributeGroup;
using raster::Attributes;
using raster::FillFn;
using raster::floorToInt;
using raster::kTinyInvW;
using raster::PixelStage;
using raster::splat;
using raster::TriangleSetup;
using raster::V4;

namespace {

static_assert(sizeof(ShadedVertex) == 16 * sizeof(float),
              "ShadedVertex is four groups of four floats");
static_assert(offsetof(ShadedVertex, fog) == offsetof(ShadedVertex, specular) + 3 * sizeof(float));

constexpr int kSubPixel = 256;   // fixed-point steps per pixel
constexpr float kMinW = 1e-20f;  // keeps 1/w finite after clipping

V4 group(const ShadedVertex& v, std::size_t offset) {
  V4 g;
  std::memcpy(&g, reinterpret_cast<const char*>(&v) + offset, sizeof g);
  return g;
}
// The pixel stage keeps colours as b, g, r, a (the order of a colour word's bytes).
V4 swapRedBlue(V4 v) { return _mm_shuffle_ps(v, v, _MM_SHUFFLE(3, 0, 1, 2)); }
V4 diffuseOf(const ShadedVertex& v) {
  return swapRedBlue(group(v, offsetof(ShadedVertex, diffuse)));
}
V4 specFogOf(const ShadedVertex& v) {
  return swapRedBlue(group(v, offsetof(ShadedVertex, specular)));
}
V4 texCoordOf(const ShadedVertex& v) { return group(v, offsetof(ShadedVertex, tex)); }

// Whether every float of the vertices is finite.
bool allFinite(const ShadedVertex* const* v, int count) {
  V4 sum = splat(0.0f);
  for (int k = 0; k < count; ++k) {
    for (std::size_t i = 0; i < 4; ++i) {
      const V4 g = group(*v[k], i * sizeof(V4));
      sum += g - g;  // 0 for a finite value, NaN otherwise
    }
  }
  return _mm_movemask_ps(_mm_cmpeq_ps(sum, splat(0.0f))) == 0xF;
}

// ---------------------------------------------------------------------------
// Clipping. Near (z >= 0) and far (z <= w) are true clip planes; x and y are
// clipped only at a guard band far outside the target, which keeps the fixed-point
// positions small; a last plane keeps w away from zero.

enum Plane { kNear, kFar, kPositiveW, kLeft, kBottom, kRight, kTop, kPlaneCount };

// Bit set of the planes a vertex is outside of.
unsigned outcode(const ShadedVertex& v, float guard) {
  const V4 p = group(v, 0);
  const V4 gw = splat(guard * v.w);
  const auto below =
      static_cast<unsigned>(_mm_movemask_ps(_mm_cmplt_ps(p, -gw)) & 3);  // left, bottom
  const auto above = static_cast<unsigned>(_mm_movemask_ps(_mm_cmpgt_ps(p, gw)) & 3);  // right, top
  return (v.z < 0.0f ? 1u << kNear : 0u) | (v.z > v.w ? 1u << kFar : 0u) |
         (v.w < kMinW ? 1u << kPositiveW : 0u) | below << kLeft | above << kRight;
}

// Signed distance to a plane, positive inside. Double precision: no overflow for
// any finite float input.
double distance(const ShadedVertex& v, int plane, double guard) {
  const double x = v.x, y = v.y, z = v.z, w = v.w;
  switch (plane) {
    case kNear:
      return z;
    case kFar:
      return w - z;
    case kPositiveW:
      return w - kMinW;
    case kLeft:
      return x + guard * w;
    case kBottom:
      return y + guard * w;
    case kRight:
      return guard * w - x;
    default:
      return guard * w - y;
  }
}

// a + t (b - a) for every field, in double so that nothing overflows.
ShadedVertex lerp(const ShadedVertex& a, const ShadedVertex& b, double t) {
  float fa[16], fb[16], out[16];
  std::memcpy(fa, &a, sizeof fa);
  std::memcpy(fb, &b, sizeof fb);
  for (int i = 0; i < 16; ++i) {
    out[i] = static_cast<float>(fa[i] + t * (static_cast<double>(fb[i]) - fa[i]));
  }
  ShadedVertex v;
  std::memcpy(&v, out, sizeof v);
  return v;
}

// The point where a plane crosses the segment from a (distance da) to b (db), worked
// out from the nearer end: from the far end, values many orders of magnitude apart
// would cancel. The choice depends only on the pair, not on their order.
ShadedVertex crossing(const ShadedVertex& a, const ShadedVertex& b, double da, double db) {
  const double t = da / (da - db);
  return t <= 0.5 ? lerp(a, b, t) : lerp(b, a, db / (db - da));
}

constexpr int kMaxPolygon = 3 + kPlaneCount;

// Sutherland-Hodgman against the planes in mask. The crossing point is always
// found from the inside vertex, so an edge shared by two triangles is cut at the
// same point for both. Returns the vertex count (0 when nothing is left).
int clipPolygon(ShadedVertex* poly, int count, unsigned mask, double guard) {
  ShadedVertex scratch[kMaxPolygon];
  ShadedVertex* in = poly;
  ShadedVertex* out = scratch;
  for (int plane = 0; plane < kPlaneCount; ++plane) {
    if (!(mask >> plane & 1u)) continue;
    double d[kMaxPolygon];
    for (int i = 0; i < count; ++i) d[i] = distance(in[i], plane, guard);
    int n = 0;
    for (int i = 0; i < count; ++i) {
      const int j = i + 1 == count ? 0 : i + 1;
      const bool insideI = d[i] >= 0.0, insideJ = d[j] >= 0.0;
      if (insideI) out[n++] = in[i];
      if (insideI != insideJ) {
        const int inner = insideI ? i : j, outer = insideI ? j : i;
        out[n++] = crossing(in[inner], in[outer], d[inner], d[outer]);
      }
    }
    count = n;
    std::swap(in, out);
    if (count < 3) return 0;
  }
  if (in != poly) std::copy(in, in + count, poly);
  return count;
}

// ---------------------------------------------------------------------------
// Projection and set-up.

struct ScreenVertex {
  std::int64_t x, y;  // 1/256 pixel
  float z;            // z / w
  float invW;
};

struct LineSetup {
  bool xMajor;
  int first, last;  // pixel range along the major axis, inside the target
  float major0, minor0, dMajor, dMinor, invDMajor;
  float z0, dz;
  float invW0, invW1;
  Attributes attr;
};

AttributeGroup groupOf(V4 a, V4 b, V4 c) { return AttributeGroup{a, b - a, c - a}; }

// The attributes over a primitive of vertices a, b, c (c == a for a line). Flat
// shading takes both colours from the primitive's original first vertex; fog
// stays interpolated.
Attributes attributesOf(const ShadedVertex& a, const ShadedVertex& b, const ShadedVertex& c,
                        const ShadedVertex* flat) {
  Attributes attr;
  const V4 sfA = specFogOf(a), sfB = specFogOf(b), sfC = specFogOf(c);
  attr.texCoord = groupOf(texCoordOf(a), texCoordOf(b), texCoordOf(c));
  if (flat) {
    const V4 rgb = {1.0f, 1.0f, 1.0f, 0.0f}, alpha = {0.0f, 0.0f, 0.0f, 1.0f};
    attr.diffuse = AttributeGroup{diffuseOf(*flat), splat(0.0f), splat(0.0f)};
    attr.specFog = AttributeGroup{specFogOf(*flat) * rgb + sfA * alpha, (sfB - sfA) * alpha,
                                  (sfC - sfA) * alpha};
  } else {
    attr.diffuse = groupOf(diffuseOf(a), diffuseOf(b), diffuseOf(c));
    attr.specFog = groupOf(sfA, sfB, sfC);
  }
  return attr;
}

// Rescales 1/w values that are far from 1: only their ratios matter, and this
// keeps the interpolated sums away from overflow and underflow.
void normaliseInvW(float* invW, int count) {
  float m = invW[0];
  for (int i = 1; i < count; ++i) m = std::max(m, invW[i]);
  if (m < 1e15f && m > 1e-15f) return;
  const float k = 1.0f / m;
  for (int i = 0; i < count; ++i) invW[i] *= k;
}

// Pixels of one row that passed the depth test, waiting to be shaded: shading
// them in a separate pass lets the processor overlap several of them.
struct Pending {
  int x;
  std::uint32_t z16;
  V4 weightB, weightC;  // perspective-correct weights of B and C in every lane
};
constexpr int kPendingSize = 64;

// Fills the triangle's rows from yBegin up to, not including, yEnd. Rows before
// yBegin are stepped over with the same additions a whole fill makes, so a row
// gets the same values whichever band draws it.
template <int F0, int F1, bool kFull, bool kProduct>
void fillTriangle(const PixelStage& px, const TriangleSetup& t, int yBegin, int yEnd) {
  Pending pending[kPendingSize];
  std::int64_t rowA = t.edge[0], rowB = t.edge[1], rowC = t.edge[2];
  V4 rowPlane = t.plane;
  const int first = std::max(t.y0, yBegin), last = std::min(t.y1, yEnd - 1);
  for (int y = t.y0; y < first; ++y) {
    rowA += t.stepY[0];
    rowB += t.stepY[1];
    rowC += t.stepY[2];
    rowPlane += t.planeY;
  }
  for (int y = first; y <= last; ++y) {
    std::uint32_t* colourRow = px.colour + static_cast<std::ptrdiff_t>(y) * px.pitch;
    std::uint16_t* depthRow =
        px.depthTest ? px.depth + static_cast<std::ptrdiff_t>(y) * px.width : nullptr;
    const auto flush = [&](int count) {
      for (int i = 0; i < count; ++i) {
        const Pending& q = pending[i];
        px.shade<F0, F1, kFull, kProduct>(t.attr, q.weightB, q.weightC, q.z16, colourRow + q.x,
                                          depthRow ? depthRow + q.x : nullptr);
      }
    };
    std::int64_t eA = rowA, eB = rowB, eC = rowC;
    float step = 0.0f;  // x - x0, exact in a float
    bool inside = false;
    int count = 0;
    for (int x = t.x0; x <= t.x1;
         ++x, step += 1.0f, eA += t.stepX[0], eB += t.stepX[1], eC += t.stepX[2]) {
      if ((eA | eB | eC) < 0) {
        if (inside) break;  // rows of a triangle are one run
        continue;
      }
      inside = true;
      const V4 p = rowPlane + t.planeX * step;
      std::uint32_t z16 = 0;
      if (px.depthTest) {
        z16 = raster::depthValue(p);
        if (!raster::passes(px.depthMask, z16, depthRow[x])) continue;
      }
      // The one division per pixel: weights of B and C = (lambda / w) / (1 / w).
      const V4 q = p * splat(1.0f / raster::maxf(p[1], kTinyInvW));
      Pending& next = pending[count++];
      next.x = x;
      next.z16 = z16;
      next.weightB = raster::broadcast<2>(q);
      next.weightC = raster::broadcast<3>(q);
      if (count == kPendingSize) {
        flush(count);
        count = 0;
      }
    }
    flush(count);
    rowA += t.stepY[0];
    rowB += t.stepY[1];
    rowC += t.stepY[2];
    rowPlane += t.planeY;
  }
}

// Lines are few: one general kernel per pair of filters.
template <int F0, int F1>
void fillLine(const PixelStage& px, const LineSetup& l) {
  const int minorLimit = l.xMajor ? px.height : px.width;
  for (int i = l.first; i <= l.last; ++i) {
    float t = (static_cast<float>(i) - l.major0) * l.invDMajor;
    t = t > 0.0f ? (t < 1.0f ? t : 1.0f) : 0.0f;
    const std::int64_t minor = floorToInt(l.minor0 + t * l.dMinor + 0.5f);
    if (minor < 0 || minor >= minorLimit) continue;
    const int x = l.xMajor ? i : static_cast<int>(minor);
    const int y = l.xMajor ? static_cast<int>(minor) : i;
    std::uint32_t z16 = 0;
    std::uint16_t* depthCell = nullptr;
    if (px.depthTest) {
      depthCell = px.depth + static_cast<std::ptrdiff_t>(y) * px.width + x;
      z16 = raster::depthValue(splat(l.z0 + t * l.dz));
      if (!raster::passes(px.depthMask, z16, *depthCell)) continue;
    }
    const float q1 = t * l.invW1;
    const float s = (1.0f - t) * l.invW0 + q1;
    const float b = q1 / raster::maxf(s, kTinyInvW);
    px.shade<F0, F1, true, false>(l.attr, splat(b), splat(0.0f), z16,
                                  px.colour + static_cast<std::ptrdiff_t>(y) * px.pitch + x,
                                  depthCell);
  }
}

using LineFn = void (*)(const PixelStage&, const LineSetup&);

// Triangle kernels in the numbering of span_filler.h. The product form only
// exists without stage 1, so those entries share kernels.
template <std::size_t... I>
constexpr std::array<FillFn, sizeof...(I)> fillTable(std::index_sequence<I...>) {
  return {&fillTriangle < static_cast<int>(I / 12), static_cast<int>(I / 4 % 3), (I / 2 % 2) != 0,
          (I % 2) != 0 && (I / 4 % 3) == 0 > ...};
}
template <std::size_t... I>
constexpr std::array<LineFn, sizeof...(I)> lineTable(std::index_sequence<I...>) {
  return {&fillLine<static_cast<int>(I / 3), static_cast<int>(I % 3)>...};
}
constexpr auto kFillKernels = fillTable(std::make_index_sequence<raster::kFillKernelCount>{});
constexpr auto kLineKernels = lineTable(std::make_index_sequence<9>{});

// The eight-pixel kernel where it runs and covers the draw's states, else the
// portable one; also for triangles too narrow to fill many lanes, where the wide
// kernel's set-up would cost more than it saves.
FillFn fillKernel(const PixelStage& px, const TriangleSetup& t, int kernel) {
  constexpr int kNarrow = 4;  // pixels
  const FillFn wide =
      px.wideCovered && t.x1 - t.x0 >= kNarrow ? raster::wideFillKernel(kernel) : nullptr;
  return wide ? wide : kFillKernels[static_cast<std::size_t>(kernel)];
}

// A triangle set up and waiting for the bands to fill it, with its kernel chosen.
struct PreparedTriangle {
  TriangleSetup setup;
  FillFn fill;
};

class Rasterizer {
 public:
  // With a queue, triangles are set up into it instead of being filled at once.
  Rasterizer(const DeviceState& state, const RenderTarget& target,
             std::vector<PreparedTriangle>* queue = nullptr)
      : px_(state, target),
        queue_(queue),
        halfWidth_(static_cast<float>(target.width) * 0.5f),
        halfHeight_(static_cast<float>(target.height) * 0.5f),
        cull_(state.rs(D3DRS_CULLMODE)),
        flat_(state.rs(D3DRS_SHADEMODE) == D3DSHADE_FLAT),
        wireframe_(state.rs(D3DRS_FILLMODE) == D3DFILL_WIREFRAME) {
    // Guard band: positions stay within about 50000 pixels, so the 1/256-pixel
    // edge functions stay far inside 64 bits.
    const int largest = std::max(target.width, target.height);
    guard_ = std::min(16.0f, 65536.0f / static_cast<float>(largest));
  }

  void triangle(const ShadedVertex& a, const ShadedVertex& b, const ShadedVertex& c) {
    const ShadedVertex* all[3] = {&a, &b, &c};
    if (!allFinite(all, 3)) return;
    const unsigned ca = outcode(a, guard_), cb = outcode(b, guard_), cc = outcode(c, guard_);
    if (ca & cb & cc) return;
    if (wireframe_) {
      wireTriangle(a, b, c, ca | cb | cc);
      return;
    }
    const ShadedVertex* flat = flat_ ? &a : nullptr;
    if ((ca | cb | cc) == 0) {
      fill(a, b, c, flat);
      return;
    }
    ShadedVertex poly[kMaxPolygon] = {a, b, c};
    const int n = clipPolygon(poly, 3, ca | cb | cc, guard_);
    for (int i = 1; i + 1 < n; ++i) fill(poly[0], poly[i], poly[i + 1], flat);
  }

  void line(const ShadedVertex& a, const ShadedVertex& b, const ShadedVertex* flat) {
    const ShadedVertex* both[2] = {&a, &b};
    if (!allFinite(both, 2)) return;
    const unsigned ca = outcode(a, guard_), cb = outcode(b, guard_);
    if (ca & cb) return;
    if ((ca | cb) == 0) {
      drawLine(a, b, flat);
      return;
    }
    // Cut the segment plane by plane; each cut keeps the inside end.
    ShadedVertex p = a, q = b;
    for (int plane = 0; plane < kPlaneCount; ++plane) {
      if (!((ca | cb) >> plane & 1u)) continue;
      const double dp = distance(p, plane, guard_), dq = distance(q, plane, guard_);
      if (dp < 0.0 && dq < 0.0) return;
      if (dp < 0.0)
        p = crossing(p, q, dp, dq);
      else if (dq < 0.0)
        q = crossing(p, q, dp, dq);
    }
    drawLine(p, q, flat);
  }

  bool flat() const { return flat_; }

 private:
  // x/w, y/w, z/w, 1/w. Clipping keeps x/w and y/w inside the guard band up to
  // rounding; the clamp makes sure of it, so the fixed-point positions stay small.
  V4 divide(const ShadedVertex& v) const {
    V4 p = V4{v.x, v.y, v.z, 1.0f} / splat(v.w);
    const V4 bound = {guard_ + 1.0f, guard_ + 1.0f, 3.0e38f, 3.0e38f};
    p = raster::vmin(raster::vmax(p, -bound), bound);
    return p;
  }

  ScreenVertex project(const ShadedVertex& v) const {
    const V4 p = divide(v);
    const float sx = (p[0] + 1.0f) * halfWidth_;
    const float sy = (1.0f - p[1]) * halfHeight_;
    return ScreenVertex{std::lrint(sx * static_cast<float>(kSubPixel)),
                        std::lrint(sy * static_cast<float>(kSubPixel)), p[2], p[3]};
  }

  static std::int64_t twiceArea(const ScreenVertex& a, const ScreenVertex& b,
                                const ScreenVertex& c) {
    return (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
  }

  // Positive area is clockwise on screen.
  bool culled(std::int64_t area) const {
    return area == 0 || (cull_ == D3DCULL_CW && area > 0) || (cull_ == D3DCULL_CCW && area < 0);
  }

  // Magnification when the primitive spans no more texels than pixels.
  int filterFor(int s, bool magnified) const {
    if (!px_.hasTexture[s]) return raster::kNoTexture;
    return (magnified ? px_.magLinear[s] : px_.minLinear[s]) ? raster::kLinear : raster::kPoint;
  }
  bool needsSizeCheck(int s) const {
    return px_.hasTexture[s] && px_.magLinear[s] != px_.minLinear[s];
  }

  // Rounding in clipping can leave a vertex a hair outside; one with w near 0
  // would have no usable 1/w.
  static bool usableW(const ShadedVertex& v) { return v.w >= 0.5f * kMinW; }

  void fill(const ShadedVertex& a, const ShadedVertex& b, const ShadedVertex& c,
            const ShadedVertex* flat) {
    if (!usableW(a) || !usableW(b) || !usableW(c)) return;
    ScreenVertex s0 = project(a), s1 = project(b), s2 = project(c);
    std::int64_t area = twiceArea(s0, s1, s2);
    if (culled(area)) return;
    // Rasterise clockwise: swap B and C of a counter-clockwise triangle.
    const ShadedVertex* vb = &b;
    const ShadedVertex* vc = &c;
    if (area < 0) {
      std::swap(s1, s2);
      std::swap(vb, vc);
      area = -area;
    }

    TriangleSetup t;
    const std::int64_t minX = std::min({s0.x, s1.x, s2.x}), maxX = std::max({s0.x, s1.x, s2.x});
    const std::int64_t minY = std::min({s0.y, s1.y, s2.y}), maxY = std::max({s0.y, s1.y, s2.y});
    // Pixel centres sit on integer coordinates.
    t.x0 = static_cast<int>(std::max<std::int64_t>(0, (minX + kSubPixel - 1) >> 8));
    t.x1 = static_cast<int>(std::min<std::int64_t>(px_.width - 1, maxX >> 8));
    t.y0 = static_cast<int>(std::max<std::int64_t>(0, (minY + kSubPixel - 1) >> 8));
    t.y1 = static_cast<int>(std::min<std::int64_t>(px_.height - 1, maxY >> 8));
    if (t.x0 > t.x1 || t.y0 > t.y1) return;

    const ScreenVertex* sv[3] = {&s0, &s1, &s2};
    const std::int64_t px0 = static_cast<std::int64_t>(t.x0) * kSubPixel;
    const std::int64_t py0 = static_cast<std::int64_t>(t.y0) * kSubPixel;
    float lambda[3], lambdaX[3], lambdaY[3];  // barycentric weights as planes
    const float invArea = 1.0f / static_cast<float>(area);
    for (int i = 0; i < 3; ++i) {
      // Edge i runs between the two vertices other than vertex i.
      const ScreenVertex& from = *sv[(i + 1) % 3];
      const ScreenVertex& to = *sv[(i + 2) % 3];
      const std::int64_t dx = to.x - from.x, dy = to.y - from.y;
      const std::int64_t e = dx * (py0 - from.y) - dy * (px0 - from.x);
      // Top edge: horizontal with the triangle below; left edge: going up on screen.
      const bool topLeft = dy < 0 || (dy == 0 && dx > 0);
      t.edge[i] = topLeft ? e : e - 1;
      t.stepX[i] = -dy * kSubPixel;
      t.stepY[i] = dx * kSubPixel;
      lambda[i] = static_cast<float>(e) * invArea;
      lambdaX[i] = static_cast<float>(t.stepX[i]) * invArea;
      lambdaY[i] = static_cast<float>(t.stepY[i]) * invArea;
    }
    float invW[3] = {s0.invW, s1.invW, s2.invW};
    normaliseInvW(invW, 3);
    // value = base + lambdaB * perB + lambdaC * perC, lane by lane.
    const V4 base = {s0.z, invW[0], 0.0f, 0.0f};
    const V4 perB = {s1.z - s0.z, invW[1] - invW[0], invW[1], 0.0f};
    const V4 perC = {s2.z - s0.z, invW[2] - invW[0], 0.0f, invW[2]};
    t.plane = base + perB * lambda[1] + perC * lambda[2];
    t.planeX = perB * lambdaX[1] + perC * lambdaX[2];
    t.planeY = perB * lambdaY[1] + perC * lambdaY[2];
    t.attr = attributesOf(a, *vb, *vc, flat);

    int f[2];
    for (int s = 0; s < 2; ++s) {
      bool magnified = true;
      if (needsSizeCheck(s)) {
        const float du1 = vb->tex[s][0] - a.tex[s][0], dv1 = vb->tex[s][1] - a.tex[s][1];
        const float du2 = vc->tex[s][0] - a.tex[s][0], dv2 = vc->tex[s][1] - a.tex[s][1];
        const auto edge = static_cast<float>(px_.sampler[s].edge);
        const float texels = std::fabs(du1 * dv2 - du2 * dv1) * edge * edge;
        const float pixels = static_cast<float>(area) / static_cast<float>(kSubPixel * kSubPixel);
        magnified = texels <= pixels;
      }
      f[s] = filterFor(s, magnified);
    }
    const int kernel =
        ((f[0] * 3 + f[1]) * 2 + (px_.fullOutput() ? 1 : 0)) * 2 + (px_.productForm ? 1 : 0);
    const FillFn fill = fillKernel(px_, t, kernel);
    if (queue_)
      queue_->push_back(PreparedTriangle{t, fill});
    else
      fill(px_, t, 0, px_.height);
  }

  void drawLine(const ShadedVertex& a, const ShadedVertex& b, const ShadedVertex* flat) {
    if (!usableW(a) || !usableW(b)) return;
    const V4 pa = divide(a);
    const V4 pb = divide(b);
    const float ax = (pa[0] + 1.0f) * halfWidth_, ay = (1.0f - pa[1]) * halfHeight_;
    const float bx = (pb[0] + 1.0f) * halfWidth_, by = (1.0f - pb[1]) * halfHeight_;
    LineSetup l;
    l.xMajor = std::fabs(bx - ax) >= std::fabs(by - ay);
    l.major0 = l.xMajor ? ax : ay;
    l.minor0 = l.xMajor ? ay : ax;
    l.dMajor = l.xMajor ? bx - ax : by - ay;
    l.dMinor = l.xMajor ? by - ay : bx - ax;
    l.invDMajor = l.dMajor != 0.0f ? 1.0f / l.dMajor : 0.0f;
    // Both end pixels: the centres nearest to the two ends, and every centre between.
    const std::int64_t e0 = floorToInt(l.major0 + 0.5f);
    const std::int64_t e1 = floorToInt(l.major0 + l.dMajor + 0.5f);
    const int limit = (l.xMajor ? px_.width : px_.height) - 1;
    l.first = static_cast<int>(std::max<std::int64_t>(0, std::min(e0, e1)));
    l.last = static_cast<int>(std::min<std::int64_t>(limit, std::max(e0, e1)));
    if (l.first > l.last) return;
    l.z0 = pa[2];
    l.dz = pb[2] - pa[2];
    float invW[2] = {pa[3], pb[3]};
    normaliseInvW(invW, 2);
    l.invW0 = invW[0];
    l.invW1 = invW[1];
    l.attr = attributesOf(a, b, a, flat);

    int f[2];
    for (int s = 0; s < 2; ++s) {
      bool magnified = true;
      if (needsSizeCheck(s)) {
        const float du = b.tex[s][0] - a.tex[s][0], dv = b.tex[s][1] - a.tex[s][1];
        const auto edge = static_cast<float>(px_.sampler[s].edge);
        magnified = (du * du + dv * dv) * edge * edge <= l.dMajor * l.dMajor + l.dMinor * l.dMinor;
      }
      f[s] = filterFor(s, magnified);
    }
    kLineKernels[static_cast<std::size_t>(f[0] * 3 + f[1])](px_, l);
  }

  // Wireframe: the triangle's own three edges when it survives culling (edges
  // made by clipping are not drawn). Its orientation comes from the visible part.
  void wireTriangle(const ShadedVertex& a, const ShadedVertex& b, const ShadedVertex& c,
                    unsigned clipMask) {
    std::int64_t area = 0;
    if (clipMask == 0) {
      area = twiceArea(project(a), project(b), project(c));
    } else {
      ShadedVertex poly[kMaxPolygon] = {a, b, c};
      const int n = clipPolygon(poly, 3, clipMask, guard_);
      for (int i = 0; i < n; ++i)
        if (!usableW(poly[i])) return;
      if (n == 0) return;
      const ScreenVertex first = project(poly[0]);
      for (int i = 1; i + 1 < n; ++i)
        area += twiceArea(first, project(poly[i]), project(poly[i + 1]));
    }
    if (culled(area)) return;
    const ShadedVertex* flat = flat_ ? &a : nullptr;
    line(a, b, flat);
    line(b, c, flat);
    line(c, a, flat);
  }

  PixelStage px_;
  std::vector<PreparedTriangle>* queue_;
  float halfWidth_, halfHeight_;
  float guard_;
  DWORD cull_;
  bool flat_, wireframe_;
};

bool usable(const RenderTarget& target) {
  // The guard band keeps edge functions in range for targets up to 32768 pixels.
  return target.colour && target.width > 0 && target.height > 0 && target.pitch >= target.width &&
         target.width <= 32768 && target.height <= 32768;
}

void drawTriangleRange(Rasterizer& r, const ShadedVertex* vertices, int begin, int end) {
  for (int i = begin; i < end; ++i) {
    const ShadedVertex* v = vertices + static_cast<std::ptrdiff_t>(i) * 3;
    r.triangle(v[0], v[1], v[2]);
  }
}

// Bands are a few rows high so that a scene crowded into part of the picture
// still spreads over every thread.
constexpr int kBandRows = 16;

// Triangles set up by one part of a draw, and for every band the ones that reach it.
struct RasterPart {
  std::vector<PreparedTriangle> queue;
  std::vector<std::vector<int>> bins;
};

// On several threads: the triangles are set up in parts, then each band of rows
// fills, in draw order, the triangles that reach it. A pixel belongs to one band,
// so its writes keep the order of a single thread and the picture the same bits.
void drawTrianglesInBands(const DeviceState& state, const ShadedVertex* vertices,
                          int triangleCount, RenderTarget& target) {
  // Kept from draw to draw; named through a reference so that the worker threads
  // see the drawing thread's parts, not their own.
  thread_local std::vector<RasterPart> kept;
  std::vector<RasterPart>& parts = kept;
  // Set-up parts of at least 64 triangles; even a draw of one large triangle
  // fills in bands.
  const int partCount = std::clamp(triangleCount / 64, 1, 4 * os::threadCount());
  const int bandCount = (target.height + kBandRows - 1) / kBandRows;
  if (parts.size() < static_cast<std::size_t>(partCount)) parts.resize(partCount);
  os::parallelTasks(partCount, [&](int p) {
    RasterPart& part = parts[static_cast<std::size_t>(p)];
    part.queue.clear();
    part.bins.resize(static_cast<std::size_t>(bandCount));
    for (std::vector<int>& bin : part.bins) bin.clear();
    Rasterizer r(state, target, &part.queue);
    const auto bound = [&](int k) {
      return static_cast<int>(static_cast<std::int64_t>(triangleCount) * k / partCount);
    };
    drawTriangleRange(r, vertices, bound(p), bound(p + 1));
    for (std::size_t i = 0; i < part.queue.size(); ++i) {
      const TriangleSetup& t = part.queue[i].setup;
      for (int band = t.y0 / kBandRows; band <= t.y1 / kBandRows; ++band)
        part.bins[static_cast<std::size_t>(band)].push_back(static_cast<int>(i));
    }
  });
  const PixelStage px(state, target);
  os::parallelTasks(bandCount, [&](int band) {
    const int yBegin = band * kBandRows, yEnd = std::min(target.height, yBegin + kBandRows);
    for (int p = 0; p < partCount; ++p) {
      const RasterPart& part = parts[static_cast<std::size_t>(p)];
      for (int i : part.bins[static_cast<std::size_t>(band)]) {
        const PreparedTriangle& q = part.queue[static_cast<std::size_t>(i)];
        q.fill(px, q.setup, yBegin, yEnd);
      }
    }
  });
}

}  // namespace

void drawTriangles(const DeviceState& state, const ShadedVertex* vertices, int triangleCount,
                   RenderTarget& target) {
  if (!vertices || triangleCount <= 0 || !usable(target)) return;
  if (os::threadCount() > 1 && state.rs(D3DRS_FILLMODE) != D3DFILL_WIREFRAME) {
    drawTrianglesInBands(state, vertices, triangleCount, target);
    return;
  }
  Rasterizer r(state, target);
  drawTriangleRange(r, vertices, 0, triangleCount);
}

void drawLines(const DeviceState& state, const ShadedVertex* vertices, int lineCount,
               RenderTarget& target) {
  if (!vertices || lineCount <= 0 || !usable(target)) return;
  Rasterizer r(state, target);
  for (int i = 0; i < lineCount; ++i) {
    const ShadedVertex* v = vertices + static_cast<std::ptrdiff_t>(i) * 2;
    r.line(v[0], v[1], r.flat() ? &v[0] : nullptr);
  }
}

}  // namespace vandrel::gfx
