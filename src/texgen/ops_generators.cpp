#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <mutex>
#include <numbers>

#include "texgen/ops.h"

#include "platform/os/parallel.h"
#include "texgen/vector_width.h"

namespace vandrel::texgen {

namespace {

constexpr Pixel kAlphaMask = 0xFF000000u;
// Per-column and per-row tables are sized for the largest image the scratch buffer holds.
constexpr int kMaxEdge = 2048;

// Replaces the colour bytes with grey v, keeping the alpha byte.
inline Pixel withGrey(Pixel p, unsigned v) { return (p & kAlphaMask) | (v * 0x010101u); }

// Truncation toward zero that can never be undefined: NaN gives 0 and values past the
// int range saturate. Every generator value is far inside the range; this only makes
// a rounding surprise harmless.
inline int truncInt(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return 2147483647;
  if (v <= -2147483648.0) return -2147483647 - 1;
  return static_cast<int>(v);
}

inline int clampToEdge(int v, int edge) { return v < 0 ? 0 : (v > edge ? edge : v); }

// Two doubles per register: the fractal loops run several pixels side by side. Each
// lane does exactly the scalar arithmetic (same operations, same order, same
// roundings), so the picture does not depend on the grouping.
typedef double Lanes __attribute__((vector_size(16)));
typedef float LanesF __attribute__((vector_size(8)));
typedef long long LaneMask __attribute__((vector_size(16)));
constexpr int kPairs = 2;                 // register pairs per group
constexpr int kGroup = 2 * kPairs;        // pixels per group

inline Lanes roundToSingle(Lanes v) {
  return __builtin_convertvector(__builtin_convertvector(v, LanesF), Lanes);
}

// Escape counts of the Mandelbrot iteration for kGroup points c = (cr[l], ci). Only
// the real part is rounded to single precision on each step; the imaginary part
// stays in double. A lane that has escaped keeps its z frozen while the others go on.
inline void mandelbrotCounts(const float* cr, float ci, int* counts) {
  const Lanes cImag = {ci, ci};
  Lanes cReal[kPairs], zr[kPairs], zi[kPairs];
  LaneMask count[kPairs], active[kPairs];
  for (int p = 0; p < kPairs; ++p) {
    cReal[p] = Lanes{cr[2 * p], cr[2 * p + 1]};
    zr[p] = cReal[p];
    zi[p] = cImag;
    count[p] = LaneMask{255, 255};
    active[p] = LaneMask{-1, -1};
  }
  for (long long i = 0; i < 256; ++i) {
    Lanes rr[kPairs], ii[kPairs];
    LaneMask any = {0, 0};
    for (int p = 0; p < kPairs; ++p) {
      rr[p] = zr[p] * zr[p];
      ii[p] = zi[p] * zi[p];
      const LaneMask escaped = (rr[p] + ii[p] > 16.0) & active[p];
      count[p] = escaped ? i : count[p];
      active[p] &= ~escaped;
      any |= active[p];
    }
    if (!(any[0] | any[1])) break;
    for (int p = 0; p < kPairs; ++p) {
      const Lanes nextR = roundToSingle(rr[p] - ii[p] + cReal[p]);
      const Lanes nextI = 2.0 * zr[p] * zi[p] + cImag;
      zr[p] = active[p] ? nextR : zr[p];
      zi[p] = active[p] ? nextI : zi[p];
    }
  }
  for (int p = 0; p < kPairs; ++p) {
    counts[2 * p] = static_cast<int>(count[p][0]);
    counts[2 * p + 1] = static_cast<int>(count[p][1]);
  }
}

// Remaining counters of the Julia iteration for kGroup starting points of one row.
// The escape test looks at |z|^2 taken before the step, so a lane stops only after
// the step that follows it; all lanes stop after 120 steps.
inline void juliaCounters(const float* zrStart, float ziStart, float cr, float ci, int* counters) {
  const Lanes cReal = {cr, cr};
  const Lanes cImag = {ci, ci};
  Lanes zr[kPairs], zi[kPairs];
  LaneMask counter[kPairs], active[kPairs];
  for (int p = 0; p < kPairs; ++p) {
    zr[p] = Lanes{zrStart[2 * p], zrStart[2 * p + 1]};
    zi[p] = Lanes{ziStart, ziStart};
    counter[p] = LaneMask{120, 120};
    active[p] = LaneMask{-1, -1};
  }
  for (int step = 0; step < 120; ++step) {
    LaneMask any = {0, 0};
    for (int p = 0; p < kPairs; ++p) {
      const Lanes rr = zr[p] * zr[p];
      const Lanes ii = zi[p] * zi[p];
      const Lanes e = rr + ii;
      const Lanes nextR = roundToSingle(rr - ii + cReal);
      const Lanes nextI = roundToSingle(2.0 * zr[p] * zi[p] + cImag);
      zr[p] = active[p] ? nextR : zr[p];
      zi[p] = active[p] ? nextI : zi[p];
      counter[p] = active[p] ? counter[p] - 1 : counter[p];
      active[p] &= (e < 4.0);
      any |= active[p];
    }
    if (!(any[0] | any[1])) break;
  }
  for (int p = 0; p < kPairs; ++p) {
    counters[2 * p] = static_cast<int>(counter[p][0]);
    counters[2 * p + 1] = static_cast<int>(counter[p][1]);
  }
}

// The centre of one cell: x its row, y its column. plainTruncation: every scaled
// distance from it to a pixel it can shade fits an int.
struct CellCentre {
  double x, y;
  bool plainTruncation;
};

// Columns first..last of a row at row distance di2 from a cell centre take the
// lesser of their grey and the cone's. With plainTruncation the caller has made
// sure every scaled distance fits an int, so a plain conversion truncates the same.
VANDREL_WIDE_VECTORS
void shadeCellRow(Pixel* row, int first, int last, double y, double di2, double kd, bool plainTruncation) {
  if (plainTruncation && kd >= 0) {
    // d >= 0: the div and mod by powers of two are a shift and a mask.
    for (int j = first; j <= last; ++j) {
      const double dj = j - y;
      const auto d = static_cast<unsigned>(static_cast<int>(std::sqrt(dj * dj + di2) * kd));
      const unsigned v = (d >> 5) & 0xFFu;
      const unsigned old = row[j] & 0xFFu;
      row[j] = withGrey(row[j], v < old ? v : old);
    }
    return;
  }
  if (plainTruncation) {
    for (int j = first; j <= last; ++j) {
      const double dj = j - y;
      const int d = static_cast<int>(std::sqrt(dj * dj + di2) * kd);
      const unsigned v = static_cast<unsigned>((d % 65536) / 32 % 256);
      const unsigned old = row[j] & 0xFFu;
      row[j] = withGrey(row[j], v < old ? v : old);
    }
    return;
  }
  for (int j = first; j <= last; ++j) {
    const double dj = j - y;
    const int d = truncInt(std::sqrt(dj * dj + di2) * kd);
    const unsigned v = static_cast<unsigned>((d % 65536) / 32 % 256);
    const unsigned old = row[j] & 0xFFu;
    row[j] = withGrey(row[j], v < old ? v : old);
  }
}

// The rows rowFirst..rowLast-1 of one cell's cone.
void cellRows(Pixel* layer, int edge, const CellCentre& c, double r, int k, int rowFirst, int rowLast) {
  const double x = c.x, y = c.y;
  const double kd = k;
  const int rowEnd = std::min(clampToEdge(truncInt(x + r), edge), rowLast);
  for (int i = std::max(clampToEdge(truncInt(x - r), edge), rowFirst); i < rowEnd; ++i) {
    const double di = i - x + 1;
    const double di2 = di * di;
    const double span = r * r - di2;
    // Only rounding can make this negative (a centre a hair off a whole row):
    // such a row has no chord to draw.
    if (span < 0) continue;
    const int w = truncInt(std::sqrt(span));
    Pixel* row = layer + static_cast<std::size_t>(i) * edge;
    auto shade = [&](int first, int last) {
      if (last > edge - 1) last = edge - 1;
      shadeCellRow(row, first, last, y, di2, kd, c.plainTruncation);
    };
    shade(clampToEdge(truncInt(y - w) + 1, edge), clampToEdge(truncInt(y), edge));
    shade(clampToEdge(truncInt(y + 1), edge), clampToEdge(truncInt(y + w), edge));
  }
}

// sin(97k) sin(47k) sin(22k) x 32768, truncated to its low byte: the speckle that
// noise adds at pixel index k, whatever the edge.
std::uint8_t speckleAt(int k) {
  const double s = std::sin(static_cast<double>(97 * k)) * std::sin(static_cast<double>(47 * k)) *
                   std::sin(static_cast<double>(22 * k)) * 32768;
  return static_cast<std::uint8_t>(truncInt(s));
}

// The speckles depend on the index alone, so they are worked out once: for the
// pixels of a 32 x 32 layer the first time one is needed, for the rest of a 64 x 64
// layer the first time that is, and so on up to 512 x 512.
constexpr int kSpeckleEdges[] = {32, 64, 128, 256, 512};
constexpr int kSpeckleParts = 5;
std::uint8_t speckles[512 * 512];
std::once_flag speckleParts[kSpeckleParts];

// Makes the speckles of indices 0..count-1 ready as far as the table reaches;
// returns how many leading indices it covers.
int tabulateSpeckles(int count) {
  int covered = 0;
  for (int part = 0; part < kSpeckleParts && covered < count; ++part) {
    const int end = kSpeckleEdges[part] * kSpeckleEdges[part];
    std::call_once(speckleParts[part], [covered, end] {
      for (int k = covered; k < end; ++k) speckles[k] = speckleAt(k);
    });
    covered = end;
  }
  return std::min(covered, count);
}

inline Pixel withSpeckle(Pixel p, int n) {
  Pixel out = p & kAlphaMask;
  for (int shift = 0; shift < 24; shift += 8) {
    unsigned c = ((p >> shift) & 0xFFu) + static_cast<unsigned>(n);
    if (c > 255) c = 255;
    out |= c << shift;
  }
  return out;
}

// Each term lies within +-63.5 (a sine of a finite angle), so every sum is in
// 0..254 and converts without truncInt's guards.
VANDREL_WIDE_VECTORS
void plasmRows(Pixel* layer, int edge, const double* colTerm, const double* rowTerm) {
  for (int r = 0; r < edge; ++r) {
    Pixel* row = layer + static_cast<std::size_t>(r) * edge;
    const double rt = rowTerm[r];
    for (int c = 0; c < edge; ++c) {
      // Round half to even, as the default rounding mode does.
      const double v = std::nearbyint(colTerm[c] + rt + 127);
      row[c] = withGrey(row[c], static_cast<std::uint8_t>(static_cast<int>(v)));
    }
  }
}

}  // namespace

void cells(Pixel* layer, int edge, int alpha, int density, int brightness, int complexity) {
  const int amp = edge * density / 256;
  const int k = brightness * 256 / edge;
  const int n = complexity / 8;
  // Any index of the coordinate sequence, including those past the 2N values the
  // layout needs (a small N still reads four places ahead).
  auto coord = [amp, alpha](int index) {
    const int s = index * (alpha + 1222);
    return amp * std::sin(static_cast<double>(s / 50) * std::numbers::pi / 180);
  };

  const double r = k > 10 ? static_cast<double>(8160 / k) : static_cast<double>(edge);
  auto centre = [&](int cell) {
    double x = (edge / 2) - coord(cell);
    double y = (edge / 2) - coord(cell + 4);
    if (x > edge - 1) x -= edge - 1;
    if (x < 0) x += edge - 1;
    if (y > edge - 1) y -= edge - 1;
    if (y < 0) y += edge - 1;
    // A shaded pixel is at most |x| + edge + 1 rows and |y| + edge columns away. At
    // any trackbar setting the scaled distance stays far inside the int range, and
    // truncation then needs none of truncInt's guards.
    const double rows = std::abs(x) + edge + 1, cols = std::abs(y) + edge;
    const bool plain = std::sqrt(rows * rows + cols * cols) * std::abs(static_cast<double>(k)) < 2e9;
    return CellCentre{x, y, plain};
  };

  // A pixel takes the least grey of the cones over it, so rows may be shared out:
  // each part sees every cone, in the same order.
  os::parallelChunks(static_cast<std::size_t>(edge), 1, [&](std::size_t first, std::size_t last) {
    for (std::size_t p = first * edge; p < last * edge; ++p) layer[p] = withGrey(layer[p], 255);
    for (int cell = 0; cell < n; ++cell)
      cellRows(layer, edge, centre(cell), r, k, static_cast<int>(first), static_cast<int>(last));
  });
}

void stars(Pixel* layer, int edge, int count, int brightness) {
  const unsigned v = static_cast<std::uint8_t>(brightness);
  for (int i = 0; i < count; ++i) {
    const int col = static_cast<std::uint8_t>(truncInt(std::sin(i) * 32768)) * edge / 256;
    const int row = static_cast<std::uint8_t>(truncInt(std::cos(i) * 32768)) * edge / 256;
    Pixel& p = layer[static_cast<std::size_t>(row) * edge + col];
    p = withGrey(p, v);
  }
}

void mandelBrot(Pixel* layer, int edge, int x, int zoomX, int y, int zoomY) {
  const double x0 = x * 10 * 0.000125 - 0.777;
  const double y0 = y * 10 * 0.000125 - 0.777;
  const float dx = static_cast<float>(zoomX * 10 * 0.000125 / edge);
  const float dy = static_cast<float>(zoomY * 10 * 0.000125 / edge);
  const float rowStartX = static_cast<float>(x0);
  if (edge <= 0 || edge > kMaxEdge) return;

  // Each row restarts x from x0 and steps it in single precision, so the error
  // pattern along a row is part of the picture; y carries its sum in double,
  // added up row by row before the rows are shared out.
  std::array<float, kMaxEdge> rowCi;
  double yAcc = y0;
  for (int m = 0; m < edge; ++m, yAcc += dy) rowCi[static_cast<std::size_t>(m)] = static_cast<float>(yAcc);
  os::parallelChunks(static_cast<std::size_t>(edge), 1, [&](std::size_t first, std::size_t last) {
    for (std::size_t m = first; m < last; ++m) {
      const float ci = rowCi[m];
      Pixel* row = layer + m * static_cast<std::size_t>(edge);
      float cr = rowStartX;
      // The last group may reach past the row; its extra lanes are not stored.
      for (int t = 0; t < edge; t += kGroup) {
        float group[kGroup];
        for (int l = 0; l < kGroup; ++l, cr = cr + dx) group[l] = cr;
        int counts[kGroup];
        mandelbrotCounts(group, ci, counts);
        const int n = edge - t < kGroup ? edge - t : kGroup;
        for (int l = 0; l < n; ++l)
          row[t + l] = withGrey(row[t + l], static_cast<unsigned>(counts[l]));
      }
    }
  });
}

void plasm(Pixel* layer, int edge, int freqX, int offsetX, int freqY, int offsetY) {
  if (edge <= 0 || edge > kMaxEdge) return;
  const float fx = static_cast<float>(freqX / 64.0);
  const float fy = static_cast<float>(freqY / 64.0);
  const double w = 2 * std::numbers::pi / edge;

  // Each sine term depends only on its column or its row; tabulating them keeps
  // every sum bit-identical to evaluating both per pixel.
  std::array<double, kMaxEdge> colTerm;
  std::array<double, kMaxEdge> rowTerm;
  for (int c = 0; c < edge; ++c) {
    const int a = edge - c;
    colTerm[c] = 63.5 * std::sin((fx * static_cast<double>(a) + offsetX) * w);
  }
  for (int r = 0; r < edge; ++r) {
    const int b = edge - r;
    rowTerm[r] = 63.5 * std::sin((fy * static_cast<double>(b) + offsetY) * w);
  }

  plasmRows(layer, edge, colTerm.data(), rowTerm.data());
}

void julia(Pixel* layer, int edge, int param1, int param2) {
  const float cr = static_cast<float>(-param1 * 20 * 0.000125);
  const float ci = static_cast<float>(-param2 * 20 * 0.000125);
  const double scale = static_cast<double>(0.008333334f);
  os::parallelChunks(static_cast<std::size_t>(edge), 1, [&](std::size_t first, std::size_t last) {
    for (int i = static_cast<int>(first); i < static_cast<int>(last); ++i) {
      const float zi = static_cast<float>(static_cast<double>(i) / edge);
      Pixel* row = layer + static_cast<std::size_t>(i) * edge;
      auto shade = [&](int j, int counter) {
        const int r = truncInt(counter * scale * 255);
        const int g = 255 - r;
        row[j] = withGrey(row[j], static_cast<unsigned>(g < 0 ? 0 : (g > 255 ? 255 : g)));
      };
      for (int j = 0; j < edge; j += kGroup) {
        float group[kGroup];
        for (int l = 0; l < kGroup; ++l)
          group[l] = static_cast<float>(static_cast<double>(j + l) / edge);
        int counters[kGroup];
        juliaCounters(group, zi, cr, ci, counters);
        const int n = edge - j < kGroup ? edge - j : kGroup;
        for (int l = 0; l < n; ++l) shade(j + l, counters[l]);
      }
    }
  });
}

void noise(Pixel* layer, int edge, int amplitude) {
  const int count = edge * edge;
  const int tabulated = tabulateSpeckles(count);
  for (int k = 0; k < tabulated; ++k) layer[k] = withSpeckle(layer[k], speckles[k] * amplitude / 255);
  for (int k = tabulated; k < count; ++k) layer[k] = withSpeckle(layer[k], speckleAt(k) * amplitude / 255);
}

void chessfield(Pixel* layer, int edge, int cellsX, int cellsY) {
  auto cellSize = [edge](int cells) {
    int s = (cells + 1) * edge / 256;
    return s < 1 ? 1 : (s > edge ? edge : s);
  };
  const int cw = cellSize(cellsX);
  const int ch = cellSize(cellsY);

  // The colour flips every cw pixels along a row; each row starts over with the
  // band colour, which flips every ch rows. A cut-off cell at the right edge does
  // not carry into the next row.
  unsigned rowStart = 0;
  int band = ch;
  for (int r = 0; r < edge; ++r) {
    Pixel* row = layer + static_cast<std::size_t>(r) * edge;
    unsigned colour = rowStart;
    for (int c0 = 0; c0 < edge; c0 += cw) {
      const int c1 = c0 + cw < edge ? c0 + cw : edge;
      for (int c = c0; c < c1; ++c) row[c] = withGrey(row[c], colour);
      colour ^= 0xFFu;
    }
    if (--band == 0) {
      band = ch;
      rowStart ^= 0xFFu;
    }
  }
}

}  // namespace vandrel::texgen
