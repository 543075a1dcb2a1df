// Distortions: operations that move pixels around. Unless noted they rewrite only the
// blue, green and red bytes of each destination pixel and leave its alpha as it was.
//
// Every coordinate formula below is evaluated in the written order in double precision;
// per-row and per-column terms are hoisted only where the hoisted value is the very same
// double the per-pixel expression would compute, so results stay exact to the bit.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <vector>

#include "texgen/ops.h"
#include "texgen/vector_width.h"

namespace vandrel::texgen {
namespace {

constexpr Pixel kAlphaMask = 0xFF000000u;
constexpr Pixel kColourMask = 0x00FFFFFFu;

// Degrees to radians with pi taken as 3.14, and degrees per parameter step.
constexpr double kDegToRad314 = 0.017444444444444446;
constexpr double kDegreesPerStep = 1.40625;

// The colour bytes of `from` under the alpha byte of `to`.
inline Pixel withColour(Pixel to, Pixel from) {
  return (to & kAlphaMask) | (from & kColourMask);
}

inline void copyToScratch(const Pixel* layer, Pixel* scratch, int edge) {
  std::memcpy(scratch, layer, std::size_t(edge) * edge * sizeof(Pixel));
}

// A proper modulo into 0..edge-1 for any int.
inline int wrap(int v, int edge) {
  v %= edge;
  return v < 0 ? v + edge : v;
}

inline int byteOf(Pixel p, int n) { return int((p >> (8 * n)) & 0xFF); }

// The shared channel mix of both pshifts: a grey part scaled by (255 - saturation) plus
// each shifted channel scaled by saturation. The sum never exceeds 255.
inline Pixel mixShifted(Pixel dst, int s0, int s1, int s2, int saturation) {
  const int g = (s0 + s1 + s2) * (255 - saturation) / 765;
  const Pixel n0 = Pixel(g + saturation * s0 / 255);
  const Pixel n1 = Pixel(g + saturation * s1 / 255);
  const Pixel n2 = Pixel(g + saturation * s2 / 255);
  return (dst & kAlphaMask) | n2 << 16 | n1 << 8 | n0;
}

inline Pixel addSaturated(Pixel a, Pixel b) {
  Pixel r = 0;
  for (int k = 0; k < 32; k += 8) {
    const Pixel s = ((a >> k) & 0xFF) + ((b >> k) & 0xFF);
    r |= (s > 0xFF ? 0xFF : s) << k;
  }
  return r;
}

// Per-byte maximum of the colour bytes; alpha from `a`.
inline Pixel maxColour(Pixel a, Pixel b) {
  Pixel r = a & kAlphaMask;
  for (int k = 0; k < 24; k += 8) r |= std::max((a >> k) & 0xFF, (b >> k) & 0xFF) << k;
  return r;
}

// Shared by twirl and lenz: visit the pixels of the disc of radius r around (cy, cx)
// (d <= r), skipping the rows and columns that cannot reach it, and hand each one its
// offsets and distance. Returns nothing; the callback writes the pixel itself.
template <typename F>
void forEachInDisc(int edge, int cx, int cy, int r, F&& f) {
  const int i0 = std::max(0, cy - r), i1 = std::min(edge - 1, cy + r);
  const int j0 = std::max(0, cx - r), j1 = std::min(edge - 1, cx + r);
  for (int i = i0; i <= i1; ++i) {
    const int dy = i - cy;
    for (int j = j0; j <= j1; ++j) {
      const int dx = j - cx;
      const double d = std::sqrt(double(dy * dy + dx * dx));
      if (d > r) continue;
      f(i, j, dy, dx, d);
    }
  }
}

// Row i of sindistort when every source row needs at most one step of edge; the
// source column is j + dc (dc already wrapped), which needs at most one too.
VANDREL_WIDE_VECTORS
void sindistortRow(Pixel* out, const Pixel* scratch, int edge, int i, const double* rowShiftOfColumn, int dc) {
  for (int j = 0; j < edge; ++j) {
    int sr = static_cast<int>(i + rowShiftOfColumn[j]);
    sr += sr < 0 ? edge : 0;
    sr -= sr >= edge ? edge : 0;
    int sc = j + dc;
    sc -= sc >= edge ? edge : 0;
    out[j] = withColour(out[j], scratch[std::size_t(sr) * edge + sc]);
  }
}

}  // namespace

void sindistort(Pixel* layer, Pixel* scratch, int edge, int ampX, int freqX, int ampY,
                int freqY) {
  constexpr double kFreq = 0.000545138888888889;
  const int ax = edge * ampX / 256;
  const int ay = edge * ampY / 256;
  const int fx = freqX * 256 / edge;
  const int fy = freqY * 256 / edge;
  copyToScratch(layer, scratch, edge);

  // The row offset depends on the column only, the column offset on the row only.
  std::vector<double> rowShiftOfColumn(edge);
  for (int j = 0; j < edge; ++j) rowShiftOfColumn[j] = ax * std::sin(j * fx * kFreq);

  // |ax| < edge (any amplitude up to 255): every row i + shift, truncated, lies in
  // -edge..2 edge, and one step of edge brings it into the image.
  const bool nearRows = std::abs(ax) < edge;
  for (int i = 0; i < edge; ++i) {
    const int dc = static_cast<int>(ay * std::sin(i * fy * kFreq));
    Pixel* out = layer + std::size_t(i) * edge;
    if (nearRows) {
      sindistortRow(out, scratch, edge, i, rowShiftOfColumn.data(), wrap(dc, edge));
      continue;
    }
    for (int j = 0; j < edge; ++j) {
      const int sr = wrap(static_cast<int>(i + rowShiftOfColumn[j]), edge);
      const int sc = wrap(j + dc, edge);
      out[j] = withColour(out[j], scratch[std::size_t(sr) * edge + sc]);
    }
  }
}

void rotorzoom(Pixel* layer, Pixel* scratch, int edge, int x, int y, int rotation,
               int scale) {
  copyToScratch(layer, scratch, edge);
  const double deg = rotation * kDegreesPerStep;
  const double rad = deg * kDegToRad314;
  const double a3 = (deg - 45) * kDegToRad314;
  const int s = scale;
  const int h = edge / 2;
  const int lx = edge * x / 256 - h;
  const int ly = edge * y / 256 - h;

  const double du = s * std::sin(rad) / 64;
  const double dv = s * std::cos(rad) / 64;
  double u0 = h - 0.0109375 * s * edge * std::cos(a3) + lx * std::sin(rad) + ly * std::cos(rad);
  double v0 = h + 0.0109375 * s * edge * std::sin(a3) + lx * std::cos(rad) - ly * std::sin(rad);

  // The destination goes to the scratch image (alpha already there) while the layer
  // stays the untouched input.
  const double limit = edge;
  for (int o = 0; o < edge; ++o) {
    double u = u0, v = v0;
    Pixel* out = scratch + std::size_t(o) * edge;
    for (int j = 0; j < edge; ++j) {
      if (v < 0 || u < 0 || v >= limit || u >= limit) {
        out[j] &= kAlphaMask;
      } else {
        const int sr = static_cast<int>(u), sc = static_cast<int>(v);
        out[j] = withColour(out[j], layer[std::size_t(sr) * edge + sc]);
      }
      u += du;
      v += dv;
    }
    u0 += dv;
    v0 -= du;
  }
  std::memcpy(layer, scratch, std::size_t(edge) * edge * sizeof(Pixel));
}

void twirl(Pixel* layer, Pixel* scratch, int edge, int x, int y, int rotation, int twist,
           int radius) {
  constexpr double kStep = 0.024531250000000004;
  copyToScratch(layer, scratch, edge);
  const int cx = x * edge / 256;
  const int cy = y * edge / 256;
  const int r = radius * edge / 256;
  const double limit = edge;
  forEachInDisc(edge, cx, cy, r, [&](int i, int j, int dy, int dx, double d) {
    // With a zero radius only the centre itself is in the disc; its twist weight would
    // be 0 / 0, and any weight maps the centre onto itself, so take 0.
    const double weight = r == 0 ? 0.0 : (r - d) / r;
    const double angle = std::atan2(double(dy), double(dx)) +
                         (rotation - 128 + weight * (twist - 128)) * kStep;
    const double sc = d * std::cos(angle) + cx;
    const double sr = d * std::sin(angle) + cy;
    if (sc >= 0 && sc < limit && sr >= 0 && sr < limit) {
      Pixel& out = layer[std::size_t(i) * edge + j];
      out = withColour(out,
                       scratch[std::size_t(static_cast<int>(sr)) * edge + static_cast<int>(sc)]);
    }
  });
}

void lenz(Pixel* layer, Pixel* scratch, int edge, int x, int y, int strength, int radius) {
  copyToScratch(layer, scratch, edge);
  const int cx = x * edge / 256;
  const int cy = y * edge / 256;
  int r = radius * edge / 256;
  if (r == 0) r = 1;
  const double power = (strength * 4 - 512) * 0.0078125;
  const double limit = edge;
  forEachInDisc(edge, cx, cy, r, [&](int i, int j, int dy, int dx, double d) {
    const double k = power * (r - d) / r + 1;
    const double sc = dx * k + cx;
    const double sr = dy * k + cy;
    if (sc >= 0 && sc < limit && sr >= 0 && sr < limit) {
      Pixel& out = layer[std::size_t(i) * edge + j];
      out = withColour(out,
                       scratch[std::size_t(static_cast<int>(sr)) * edge + static_cast<int>(sc)]);
    }
  });
}

void pshift(Pixel* layer, int edge, int shiftR, int shiftG, int shiftB, int saturation) {
  const int k0 = shiftR * edge / 256;
  const int k1 = shiftG * edge / 256;
  const int k2 = shiftB * edge / 256;
  const int last = edge * edge - 1;
  // In place: every read is at or after the pixel being written, so it still sees the
  // input. Reads that would run past the end stop at the last pixel, which is written
  // last and so also still holds its input.
  for (int p = 0; p <= last; ++p) {
    const Pixel px = layer[p];
    const int s0 = byteOf(layer[std::min(p + k0 * byteOf(px, 0) / 64, last)], 0);
    const int s1 = byteOf(layer[std::min(p + k1 * byteOf(px, 1) / 64, last)], 1);
    const int s2 = byteOf(layer[std::min(p + k2 * byteOf(px, 2) / 64, last)], 2);
    layer[p] = mixShifted(px, s0, s1, s2, saturation);
  }
}

void radialPshift(Pixel* layer, Pixel* scratch, int edge, int shiftR, int shiftG, int shiftB,
                  int saturation) {
  copyToScratch(layer, scratch, edge);
  const int c = edge / 2;
  const int k[3] = {shiftR * edge / 256, shiftG * edge / 256, shiftB * edge / 256};
  const auto clampEdge = [edge](int v) { return std::clamp(v, 0, edge - 1); };
  for (int i = 0; i < edge; ++i) {
    const int u = (i - c) * 65536;
    for (int j = 0; j < edge; ++j) {
      const int w = (j - c) * 65536;
      const Pixel px = scratch[std::size_t(i) * edge + j];
      int s[3];
      for (int n = 0; n < 3; ++n) {
        const int q = k[n] * byteOf(px, n) + 65536;
        const int row = clampEdge(u / q + c);
        const int col = clampEdge(w / q + c);
        s[n] = byteOf(scratch[std::size_t(row) * edge + col], n);
      }
      Pixel& out = layer[std::size_t(i) * edge + j];
      out = mixShifted(out, s[0], s[1], s[2], saturation);
    }
  }
}

void roll(Pixel* layer, Pixel* scratch, int edge, int x, int y, int mirror) {
  if (mirror >= 4) return;  // nothing is written: the layer stays the input
  copyToScratch(layer, scratch, edge);
  const int dx = (x + 1) * edge / 256;
  const int dy = (edge - edge / 2 - (y + 1) * edge / 256) * 2;
  // dx lies in 0..edge and dy in -edge..edge for every parameter value, so one
  // correction each way always lands inside the image.
  const auto bring = [edge](int v) {
    if (v >= edge) v -= edge;
    if (v < 0) v += edge;
    return v;
  };
  const bool flipColumns = mirror == 1 || mirror == 3;
  const bool flipRows = mirror == 2 || mirror == 3;
  for (int i = 0; i < edge; ++i) {
    const Pixel* in = scratch + std::size_t(bring(i + dy)) * edge;
    Pixel* out = layer + std::size_t(flipRows ? edge - 1 - i : i) * edge;
    for (int j = 0; j < edge; ++j) {
      Pixel& o = out[flipColumns ? edge - 1 - j : j];
      o = withColour(o, in[bring(j + dx)]);
    }
  }
}

void tiling(Pixel* layer, Pixel* scratch, int edge, int x, int y, int angleStep, int mixType) {
  roll(layer, scratch, edge, x, y, 0);
  const std::size_t count = std::size_t(edge) * edge;
  Pixel* acc = scratch;
  for (std::size_t p = 0; p < count; ++p) acc[p] = layer[p] & kAlphaMask;

  if (mixType == 0 || mixType == 1) {
    const int step = std::max(angleStep * 360 / 256, 15);
    const int h = edge / 2;
    const double limit = edge;
    // Offsets from the centre times cos and sin. A product is the same double in either
    // operand order, so one table serves both the column and the row terms.
    std::vector<double> offCos(edge), offSin(edge);
    for (int a = 0; a < 360; a += step) {
      const double ca = std::cos(a * std::numbers::pi / 180);
      const double sa = std::sin(a * std::numbers::pi / 180);
      for (int t = 0; t < edge; ++t) {
        offCos[t] = (t - h) * ca;
        offSin[t] = (t - h) * sa;
      }
      for (int i = 0; i < edge; ++i) {
        Pixel* out = acc + std::size_t(i) * edge;
        for (int j = 0; j < edge; ++j) {
          const double sc = h + (offCos[j] - offSin[i]);
          const double sr = h + (offSin[j] + offCos[i]);
          if (!(sc > 0 && sc < limit && sr > 0 && sr < limit)) continue;  // v = 0 changes nothing
          const Pixel v =
              layer[std::size_t(static_cast<int>(sr)) * edge + static_cast<int>(sc)];
          out[j] = mixType == 0 ? addSaturated(out[j], v) : maxColour(out[j], v);
        }
      }
    }
  }
  std::memcpy(layer, acc, count * sizeof(Pixel));
}

void mosaic(Pixel* layer, Pixel* scratch, int edge, int order) {
  copyToScratch(layer, scratch, edge);
  const int times = order + 1;
  for (int i = 0; i < edge; ++i) {
    const Pixel* in = scratch + std::size_t(times * i % edge) * edge;
    Pixel* out = layer + std::size_t(i) * edge;
    for (int j = 0; j < edge; ++j) out[j] = withColour(out[j], in[times * j % edge]);
  }
}

}  // namespace vandrel::texgen
