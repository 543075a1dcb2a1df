#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "texgen/image_util.h"
#include "texgen/ops.h"

namespace vandrel::texgen {
namespace {

using namespace test;

constexpr Pixel kAlpha = 0x5A000000u;
struct Expected { int row, col, value; };

bool isGrey(Pixel p) { return blue(p) == green(p) && green(p) == red(p); }

// Checks hand-worked pixels; every pixel must be grey with alpha kAlpha.
void expectGreys(const Image& img, std::initializer_list<Expected> expected) {
  for (Pixel p : img.px) ASSERT_TRUE(isGrey(p) && (p & 0xFF000000u) == kAlpha);
  for (const Expected& e : expected)
    EXPECT_EQ(blue(img.at(e.row, e.col)), e.value) << e.row << "," << e.col;
}

// The colour bytes of `img` equal grey v everywhere and alpha is that of `before`.
void expectFlat(const Image& img, const Image& before, int v) {
  for (std::size_t k = 0; k < img.px.size(); ++k)
    ASSERT_EQ(img.px[k], (before.px[k] & 0xFF000000u) | grey(v, 0)) << k;
}

TEST(GeneratorCells, ConesAroundHandPlacedCentres) {
  Image white = patternImage(32);
  const Image before = white;
  cells(white.data(), 32, 166, 233, 166, 7);  // fewer than 8: no cells
  expectFlat(white, before, 255);

  // Density 0 puts every centre at (16, 16); the row distance is taken one row on,
  // so the tip lies on row 15. K = 32 and R = 255: grey = floor(distance). More cells
  // on the same centre change nothing.
  for (int complexity : {8, 255}) {
    Image img(32, kAlpha);
    cells(img.data(), 32, 99, 0, 4, complexity);
    expectGreys(img,
                {{15, 16, 0}, {16, 16, 1}, {19, 19, 5}, {15, 0, 16}, {0, 0, 21}, {31, 31, 21}});
  }
  // K = 2040, R = 4: grey = trunc(distance * 2040) div 32 mod 256. Row 12 has a half
  // chord of trunc(sqrt(7)) = 2, so column 19 (which would wrap round to 14) stays white.
  Image small(32, kAlpha);
  cells(small.data(), 32, 99, 0, 255, 8);
  expectGreys(small, {{15, 17, 63}, {15, 19, 191}, {15, 13, 191}, {12, 15, 201}, {12, 18, 229},
                      {12, 19, 255}, {11, 16, 255}, {0, 0, 255}});
  // K = 1600: R = 8160 div 1600 = 5, a whole number, so row 10 (5 rows up) is not
  // drawn and row 11's half chord is 3 (column 13 would be grey 250).
  cells(small.data(), 32, 99, 0, 200, 8);
  expectGreys(small, {{10, 16, 255}, {11, 16, 200}, {11, 13, 255}});

  // K = 10 keeps R at the edge (not 816): one cell at row 256, column
  // 256 - 256 sin(97 deg) = 1.908 does not reach the far right corners.
  Image big(512, kAlpha);
  cells(big.data(), 512, 0, 128, 20, 8);
  expectGreys(big, {{0, 511, 255}, {511, 511, 255}, {256, 2, 0}, {0, 0, 79}, {511, 0, 80}});
}

TEST(GeneratorCells, AnyParametersStayInsideTheImage) {
  // Few cells read coordinates past the computed ones, centres wrap and cones leave
  // the image on every side; the sanitizer build watches the accesses.
  for (int edge : {32, 64})
    for (int complexity : {8, 16, 24, 255})
      for (int density : {0, 100, 255})
        for (int brightness : {0, 3, 60, 255})
          for (int seed = 0; seed < 256; seed += 51) {
            Image img = patternImage(edge, 7 + seed);
            const Image before = img;
            cells(img.data(), edge, seed, density, brightness, complexity);
            bool drew = false;
            for (std::size_t k = 0; k < img.px.size(); ++k) {
              ASSERT_TRUE(isGrey(img.px[k]) && alpha(img.px[k]) == alpha(before.px[k]));
              drew |= blue(img.px[k]) != 255;
            }
            EXPECT_TRUE(drew) << edge << " " << complexity << " " << density << " " << brightness;
          }
}

TEST(GeneratorStars, PositionsComeFromSinesOfTheIndex) {
  Image img = patternImage(32);
  const Image before = img;
  stars(img.data(), 32, 0, 255);
  EXPECT_EQ(img.px, before.px);

  // Star 1: sin(1) * 32768 = 27573.5 -> byte 181 -> column 22; cos(1) * 32768 = 17704.6
  // -> byte 40 -> row 5. Star 4 has negative sines: -24798 -> byte 34, -21418 -> 86.
  for (int brightness : {1, 200}) {
    Image dark(32, kAlpha);
    stars(dark.data(), 32, 5, brightness);
    std::vector<Expected> lit;
    for (int r = 0; r < 32; ++r)
      for (int c = 0; c < 32; ++c)
        if (dark.at(r, c) != kAlpha) lit.push_back({r, c, blue(dark.at(r, c))});
    const int want[][2] = {{0, 0}, {5, 22}, {9, 2}, {10, 4}, {23, 12}};
    ASSERT_EQ(lit.size(), 5u);
    for (int n = 0; n < 5; ++n)
      EXPECT_TRUE(lit[n].row == want[n][0] && lit[n].col == want[n][1] &&
                  lit[n].value == brightness);
  }
  Image big(256, kAlpha);
  stars(big.data(), 256, 5, 9);
  expectGreys(big, {{40, 181, 9}, {86, 34, 9}});
}

float single(double v) { return static_cast<float>(v); }

// Per pixel, written plainly: c is found by replaying the single-precision steps along
// the row and the double sum down the rows.
int referenceMandelbrot(int edge, int p1, int p2, int p3, int p4, int row, int col) {
  const float dx = single(p2 * 10 * 0.000125 / edge), dy = single(p4 * 10 * 0.000125 / edge);
  float x = single(p1 * 10 * 0.000125 - 0.777);
  for (int t = 0; t < col; ++t) x = x + dx;
  double y = p3 * 10 * 0.000125 - 0.777;
  for (int m = 0; m < row; ++m) y = y + dy;
  const double cr = x, ci = single(y);
  double re = cr, im = ci;
  int count = 0;
  for (; count < 255 && re * re + im * im <= 16; ++count) {
    const double newRe = single(re * re - im * im + cr);
    im = 2 * re * im + ci;
    re = newRe;
  }
  return count;
}

TEST(GeneratorMandelBrot, CountsMatchWorkedValuesAndAPlainReference) {
  // Zero zoom: one flat count. At 121/255 the double imaginary part matters: rounding
  // it too would give 225, rounding nothing 142.
  const int flat[][3] = {
      {0, 0, 4}, {164, 164, 30}, {255, 255, 255}, {121, 255, 126}, {87, 237, 66}};
  for (const auto& f : flat) {
    Image img = patternImage(32, 99);
    const Image before = img;
    mandelBrot(img.data(), 32, f[0], 0, f[1], 0);
    expectFlat(img, before, f[2]);
  }
  Image img(32, kAlpha);
  mandelBrot(img.data(), 32, 164, 22, 164, 13);
  expectGreys(img, {{0, 0, 30}, {0, 31, 55}, {31, 0, 38}, {31, 31, 255}, {16, 7, 59}, {5, 20, 29}});

  const int params[][4] = {
      {164, 22, 164, 13}, {20, 255, 30, 255}, {121, 3, 250, 9}, {40, 255, 200, 0}};
  for (int edge : {32, 64})
    for (const auto& p : params) {
      Image out(edge, kAlpha);
      mandelBrot(out.data(), edge, p[0], p[1], p[2], p[3]);
      expectGreys(out, {});
      for (int r = 0; r < edge; ++r)
        for (int c = 0; c < edge; ++c)
          ASSERT_EQ(blue(out.at(r, c)), referenceMandelbrot(edge, p[0], p[1], p[2], p[3], r, c))
              << edge << " " << p[0] << " " << r << " " << c;
    }
}

TEST(GeneratorPlasm, SinePeaksRoundHalfToEvenAndShiftWithTheOffset) {
  Image flat = patternImage(32);
  const Image before = flat;
  plasm(flat.data(), 32, 0, 0, 0, 0);
  expectFlat(flat, before, 127);

  // Frequency 64: one period across; 127 -/+ 63.5 gives 63.5 -> 64 and 190.5 -> 190.
  Image img(64, kAlpha);
  plasm(img.data(), 64, 64, 0, 0, 0);
  expectGreys(img, {{0, 0, 127}, {9, 32, 127}, {20, 16, 64}, {63, 48, 190}});
  Image both(64, kAlpha);
  plasm(both.data(), 64, 64, 0, 64, 0);
  expectGreys(both, {{48, 48, 254}, {16, 16, 0}, {16, 48, 127}});

  // With frequency 64 an offset of 8 moves the picture 8 columns right; equal axes
  // give a picture symmetric about the diagonal.
  Image plain(32, kAlpha), shifted(32, kAlpha), sym(64, kAlpha);
  plasm(plain.data(), 32, 64, 0, 200, 3);
  plasm(shifted.data(), 32, 64, 8, 200, 3);
  plasm(sym.data(), 64, 173, 41, 173, 41);
  for (int r = 0; r < 32; ++r)
    for (int c = 8; c < 32; ++c) ASSERT_EQ(shifted.at(r, c), plain.at(r, c - 8));
  for (int r = 0; r < 64; ++r)
    for (int c = 0; c < 64; ++c)
      ASSERT_TRUE(sym.at(r, c) == sym.at(c, r) && blue(sym.at(r, c)) <= 254);
}

int referenceJulia(int edge, int p1, int p2, int row, int col) {
  const double cr = single(-p1 * 20 * 0.000125), ci = single(-p2 * 20 * 0.000125);
  double re = single(double(col) / edge), im = single(double(row) / edge);
  int steps = 0, stop = 0;
  while (!stop) {
    stop = re * re + im * im >= 4;  // looked at before the step it stops after
    const double newRe = single(re * re - im * im + cr);
    im = single(2 * re * im + ci);
    re = newRe;
    stop |= ++steps == 120;
  }
  return 255 - static_cast<int>((120 - steps) * double(0.008333334f) * 255);
}

TEST(GeneratorJulia, UnitDiscStaysWhiteAndPixelsMatchAPlainReference) {
  Image disc = patternImage(64, 5);
  const Image before = disc;
  julia(disc.data(), 64, 0, 0);
  for (int i = 0; i < 64; ++i)
    for (int j = 0; j < 64; ++j) {
      const Pixel p = disc.at(i, j);
      ASSERT_TRUE(isGrey(p) && alpha(p) == alpha(before.at(i, j)));
      ASSERT_TRUE(j * j + i * i >= 64 * 64 || blue(p) == 255) << i << " " << j;
      ASSERT_EQ(blue(p), blue(disc.at(j, i)));  // z and its mirror square to the same orbit
    }
  // (31/32, 31/32): |z|^2 = 1.88, 3.52, 12.4 -> three steps, counter 117 -> 255 - 248.
  Image img(32, kAlpha);
  julia(img.data(), 32, 0, 0);
  expectGreys(img, {{31, 31, 7}, {0, 0, 255}});
  julia(img.data(), 32, 183, 231);
  expectGreys(img, {{0, 0, 249}, {31, 31, 7}, {16, 16, 66}, {0, 31, 11}, {20, 5, 58}});

  const int params[][2] = {{183, 231}, {0, 255}, {255, 0}, {90, 140}};
  for (int edge : {32, 64})
    for (const auto& p : params) {
      Image out(edge, kAlpha);
      julia(out.data(), edge, p[0], p[1]);
      expectGreys(out, {});
      for (int r = 0; r < edge; ++r)
        for (int c = 0; c < edge; ++c)
          ASSERT_EQ(blue(out.at(r, c)), referenceJulia(edge, p[0], p[1], r, c))
              << edge << " " << r << " " << c;
    }
}

TEST(GeneratorNoise, AddsTheSameSpeckleToEveryChannel) {
  Image img = patternImage(32, 3);
  const Image before = img;
  noise(img.data(), 32, 0);
  EXPECT_EQ(img.px, before.px);
  noise(img.data(), 32, 255);
  bool saturated = false;
  for (std::size_t k = 0; k < img.px.size(); ++k) {
    const Pixel was = before.px[k], now = img.px[k];
    ASSERT_TRUE(alpha(now) == alpha(was) && blue(now) >= blue(was) && green(now) >= green(was) &&
                red(now) >= red(was));
    saturated |= red(now) == 255 && red(was) != 255;
  }
  EXPECT_TRUE(saturated);

  // sin(97k) sin(47k) sin(22k) * 32768 for k = 1..5: -13.6, 99.9, -290.7, 551.5, -782.9
  // -> low bytes 243, 99, 222, 39, 242; pixel 0 gets nothing.
  Image full(32, kAlpha), weak(32, kAlpha), wide(64, kAlpha);
  noise(full.data(), 32, 255);
  noise(weak.data(), 32, 100);
  noise(wide.data(), 64, 100);
  expectGreys(full, {{0, 0, 0}, {0, 1, 243}, {0, 2, 99}, {0, 3, 222}, {0, 4, 39}, {0, 5, 242}});
  expectGreys(weak, {{0, 1, 243 * 100 / 255}, {0, 2, 99 * 100 / 255}});
  // The speckle depends on the memory index only, not on the edge.
  EXPECT_TRUE(std::equal(weak.px.begin(), weak.px.end(), wide.px.begin()));
}

TEST(GeneratorChessfield, CellsFollowRowAndColumnParity) {
  Image board(256, kAlpha);
  chessfield(board.data(), 256, 127, 127);
  expectGreys(board, {{0, 0, 0}, {127, 127, 0}, {0, 128, 255}, {128, 0, 255}, {255, 255, 0}});
  Image black = patternImage(256);
  const Image before = black;
  chessfield(black.data(), 256, 255, 255);
  expectFlat(black, before, 0);

  // Cells that do not divide the edge: the cut-off cell at the right border does not
  // carry over; each row starts with its band's colour.
  const int cases[][3] = {{32, 79, 39}, {32, 0, 0}, {64, 20, 200}, {128, 2, 90}};
  for (const auto& c : cases) {
    const int edge = c[0];
    const int cw = std::max(1, (c[1] + 1) * edge / 256), ch = std::max(1, (c[2] + 1) * edge / 256);
    Image img(edge, kAlpha);
    chessfield(img.data(), edge, c[1], c[2]);
    expectGreys(img, {});
    for (int r = 0; r < edge; ++r)
      for (int col = 0; col < edge; ++col)
        ASSERT_EQ(blue(img.at(r, col)), (col / cw + r / ch) % 2 ? 255 : 0)
            << edge << " " << r << " " << col;
  }
}

TEST(Generators, KeepAlphaAndGreyness) {
  const std::function<void(Pixel*)> ops[] = {
      [](Pixel* p) { cells(p, 64, 166, 233, 166, 233); },
      [](Pixel* p) { mandelBrot(p, 64, 164, 22, 164, 13); },
      [](Pixel* p) { plasm(p, 64, 255, 0, 255, 0); },
      [](Pixel* p) { julia(p, 64, 183, 231); },
      [](Pixel* p) { chessfield(p, 64, 128, 128); },
      [](Pixel* p) { stars(p, 64, 255, 255); },
      [](Pixel* p) { noise(p, 64, 255); }};
  for (int n = 0; n < 7; ++n) {
    Image img = patternImage(64, 21), greyImg(64, grey(77, 0x31));
    const Image before = img;
    ops[n](img.data());
    ops[n](greyImg.data());
    for (std::size_t k = 0; k < img.px.size(); ++k) {
      ASSERT_EQ(alpha(img.px[k]), alpha(before.px[k])) << n;
      ASSERT_TRUE(n >= 5 || isGrey(img.px[k])) << n;  // the first five overwrite the colour
      ASSERT_TRUE(isGrey(greyImg.px[k]) && alpha(greyImg.px[k]) == 0x31) << n;
    }
  }
}

}  // namespace
}  // namespace vandrel::texgen
