#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "texgen/image_util.h"

namespace vandrel::texgen::test {
namespace {

struct Expected { int row, col, value; };

bool isGrey(Pixel p) { return blue(p) == green(p) && green(p) == red(p); }
bool flat(const Image& img, int v) {
  return std::all_of(img.px.begin(), img.px.end(), [v](Pixel p) { return blue(p) == v; });
}
float single(double v) { return static_cast<float>(v); }

// Runs a generator on a patterned image: every pixel must come out grey with its alpha
// kept, and the listed pixels must have the hand-worked grey values.
template <class Op>
Image generate(int edge, Op op, std::initializer_list<Expected> expected = {}) {
  Image img = patternImage(edge, edge + 3);
  const Image before = img;
  op(img.data());
  int bad = 0;
  for (std::size_t k = 0; k < img.px.size(); ++k)
    bad += !isGrey(img.px[k]) || alpha(img.px[k]) != alpha(before.px[k]);
  EXPECT_EQ(bad, 0);
  for (const Expected& e : expected) EXPECT_EQ(blue(img.at(e.row, e.col)), e.value) << e.row << "," << e.col;
  return img;
}

// The generator's grey equals ref(row, col) at every pixel.
template <class Op, class Ref>
void expectPicture(int edge, Op op, Ref ref) {
  const Image img = generate(edge, op);
  for (int r = 0; r < edge; ++r)
    for (int c = 0; c < edge; ++c) ASSERT_EQ(blue(img.at(r, c)), ref(r, c)) << edge << " " << r << " " << c;
}

TEST(GeneratorCells, ConesAroundHandPlacedCentresStayInsideTheImage) {
  EXPECT_TRUE(flat(generate(32, [](Pixel* p) { cells(p, 32, 166, 233, 166, 7); }), 255));  // no cells
  // Density 0 puts every centre at (16, 16); the row distance is taken one row on, so
  // the tip lies on row 15. K = 32, R = 255: grey = floor(distance); more cells change nothing.
  for (int complexity : {8, 255})
    generate(32, [=](Pixel* p) { cells(p, 32, 99, 0, 4, complexity); },
             {{15, 16, 0}, {16, 16, 1}, {19, 19, 5}, {15, 0, 16}, {0, 0, 21}, {31, 31, 21}});
  // K = 2040, R = 4: grey = trunc(distance * 2040) div 32 mod 256; row 12 has a half chord of 2.
  generate(32, [](Pixel* p) { cells(p, 32, 99, 0, 255, 8); },
           {{15, 17, 63}, {15, 19, 191}, {15, 13, 191}, {12, 15, 201}, {12, 18, 229}, {12, 19, 255},
            {11, 16, 255}, {0, 0, 255}});
  // K = 1600: R = 5 exactly, so row 10 is not drawn and row 11's half chord is 3.
  generate(32, [](Pixel* p) { cells(p, 32, 99, 0, 200, 8); }, {{10, 16, 255}, {11, 16, 200}, {11, 13, 255}});
  // K = 10 keeps R at the edge: one cell at row 256, column 1.908.
  generate(512, [](Pixel* p) { cells(p, 512, 0, 128, 20, 8); },
           {{0, 511, 255}, {511, 511, 255}, {256, 2, 0}, {0, 0, 79}, {511, 0, 80}});

  // Few cells read coordinates past the computed ones; centres wrap and cones leave the
  // image on every side (the sanitizer build watches the accesses).
  for (int edge : {32, 64})
    for (int complexity : {8, 24, 255})
      for (const auto& db : {std::array{0, 0}, {0, 60}, {100, 3}, {100, 255}, {255, 3}, {255, 60}, {255, 255}})
        for (int seed : {0, 51, 153, 255}) {
          const Image img = generate(edge, [&](Pixel* p) { cells(p, edge, seed, db[0], db[1], complexity); });
          EXPECT_FALSE(flat(img, 255)) << edge << " " << complexity << " " << db[0] << " " << db[1];
        }
}

TEST(GeneratorStars, PositionsComeFromSinesOfTheIndex) {
  const Image in = patternImage(32);
  Image img = in, want = in;
  stars(img.data(), 32, 0, 255);
  EXPECT_EQ(img.px, in.px);
  // Star 1: sin(1) * 32768 = 27573.5 -> byte 181 -> column 22; cos(1) -> byte 40 -> row 5.
  stars(img.data(), 32, 5, 200);
  for (auto [r, c] : {std::array{0, 0}, {5, 22}, {9, 2}, {10, 4}, {23, 12}})
    want.at(r, c) = grey(200, alpha(in.at(r, c)));
  EXPECT_EQ(img.px, want.px);
  // Star 4 has negative sines: -24798 -> byte 34, -21418 -> byte 86.
  Image big(256, 0x5A000000u);
  stars(big.data(), 256, 5, 9);
  EXPECT_TRUE(big.at(40, 181) == grey(9, 0x5A) && big.at(86, 34) == grey(9, 0x5A));
}

// c replays the single-precision steps along the row and the double sum down the rows.
int referenceMandelbrot(int edge, const int* p, int row, int col) {
  const float dx = single(p[1] * 10 * 0.000125 / edge), dy = single(p[3] * 10 * 0.000125 / edge);
  float x = single(p[0] * 10 * 0.000125 - 0.777);
  for (int t = 0; t < col; ++t) x = x + dx;
  double y = p[2] * 10 * 0.000125 - 0.777;
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
  // Zero zoom: one flat count. At 121/255 the imaginary part must stay double (rounded
  // it gives 225, with nothing rounded 142).
  for (const auto& f : {std::array{0, 0, 4}, {164, 164, 30}, {255, 255, 255}, {121, 255, 126}, {87, 237, 66}})
    EXPECT_TRUE(flat(generate(32, [&](Pixel* p) { mandelBrot(p, 32, f[0], 0, f[1], 0); }), f[2])) << f[0];
  generate(32, [](Pixel* p) { mandelBrot(p, 32, 164, 22, 164, 13); },
           {{0, 0, 30}, {0, 31, 55}, {31, 0, 38}, {31, 31, 255}, {16, 7, 59}, {5, 20, 29}});
  for (int edge : {32, 64})
    for (const auto& p : {std::array{164, 22, 164, 13}, {20, 255, 30, 255}, {121, 3, 250, 9}, {40, 255, 200, 0}})
      expectPicture(edge, [&](Pixel* px) { mandelBrot(px, edge, p[0], p[1], p[2], p[3]); },
                    [&](int r, int c) { return referenceMandelbrot(edge, p.data(), r, c); });
}

TEST(GeneratorPlasm, SinePeaksRoundHalfToEvenAndShiftWithTheOffset) {
  EXPECT_TRUE(flat(generate(32, [](Pixel* p) { plasm(p, 32, 0, 0, 0, 0); }), 127));
  // Frequency 64: one period across; 127 -/+ 63.5 gives 63.5 -> 64 and 190.5 -> 190.
  generate(64, [](Pixel* p) { plasm(p, 64, 64, 0, 0, 0); }, {{0, 0, 127}, {9, 32, 127}, {20, 16, 64}, {63, 48, 190}});
  generate(64, [](Pixel* p) { plasm(p, 64, 64, 0, 64, 0); }, {{48, 48, 254}, {16, 16, 0}, {16, 48, 127}});
  // With frequency 64 an offset of 8 moves the picture 8 columns right; equal axes give
  // a picture symmetric about the diagonal.
  const Image plain = generate(32, [](Pixel* p) { plasm(p, 32, 64, 0, 200, 3); });
  const Image sym = generate(64, [](Pixel* p) { plasm(p, 64, 173, 41, 173, 41); });
  expectPicture(32, [](Pixel* p) { plasm(p, 32, 64, 8, 200, 3); },
                [&](int r, int c) { return blue(plain.at(r, (c + 24) % 32)); });
  expectPicture(64, [](Pixel* p) { plasm(p, 64, 173, 41, 173, 41); }, [&](int r, int c) { return blue(sym.at(c, r)); });
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
  const Image disc = generate(64, [](Pixel* p) { julia(p, 64, 0, 0); });
  for (int i = 0; i < 64; ++i)
    for (int j = 0; j < 64; ++j) {
      ASSERT_TRUE(j * j + i * i >= 64 * 64 || blue(disc.at(i, j)) == 255) << i << " " << j;
      ASSERT_EQ(blue(disc.at(i, j)), blue(disc.at(j, i)));  // z and its mirror square alike
    }
  // (31/32, 31/32): |z|^2 = 1.88, 3.52, 12.4 -> three steps, counter 117 -> 255 - 248.
  generate(32, [](Pixel* p) { julia(p, 32, 0, 0); }, {{31, 31, 7}, {0, 0, 255}});
  generate(32, [](Pixel* p) { julia(p, 32, 183, 231); },
           {{0, 0, 249}, {31, 31, 7}, {16, 16, 66}, {0, 31, 11}, {20, 5, 58}});
  for (int edge : {32, 64})
    for (const auto& p : {std::array{183, 231}, {0, 255}, {255, 0}, {90, 140}})
      expectPicture(edge, [&](Pixel* px) { julia(px, edge, p[0], p[1]); },
                    [&](int r, int c) { return referenceJulia(edge, p[0], p[1], r, c); });
}

TEST(GeneratorNoise, AddsTheSameSaturatedSpeckleToEveryChannel) {
  const Image in = patternImage(32, 3);
  Image img = in, light(32, bgra(250, 10, 0, 9));
  noise(img.data(), 32, 0);
  noise(light.data(), 32, 255);
  EXPECT_EQ(img.px, in.px);
  EXPECT_TRUE(light.px[0] == bgra(250, 10, 0, 9) && light.px[1] == bgra(255, 253, 243, 9));  // + 0, + 243
  // On black: sin(97k) sin(47k) sin(22k) * 32768 for k = 1..5 has the low bytes 243, 99,
  // 222, 39, 242, scaled by the amplitude; it depends on the memory index, not the edge.
  auto onBlack = [](int edge, int amplitude) {
    return generate(edge, [=](Pixel* p) {
      for (int k = 0; k < edge * edge; ++k) p[k] &= 0xFF000000u;
      noise(p, edge, amplitude);
    });
  };
  const Image full = onBlack(32, 255), weak = onBlack(32, 100), wide = onBlack(64, 100);
  for (int k = 0; k < 32 * 32; ++k) ASSERT_EQ(blue(weak.px[k]), blue(wide.px[k])) << k;
  const int want[] = {0, 243, 99, 222, 39, 242};
  for (int k = 0; k < 6; ++k) EXPECT_EQ(blue(full.px[k]), want[k]);
  EXPECT_TRUE(blue(weak.px[1]) == 243 * 100 / 255 && blue(weak.px[2]) == 99 * 100 / 255);
  // Every pixel follows the formula, at the largest size and past it.
  for (int edge : {512, 600}) {
    Image dark(edge, bgra(0, 0, 0, 7));
    noise(dark.data(), edge, 255);
    for (int k = 0; k < edge * edge; ++k) {
      const double s = std::sin(97.0 * k) * std::sin(47.0 * k) * std::sin(22.0 * k) * 32768;
      ASSERT_EQ(dark.px[k], bgra(0, 0, 0, 7) | static_cast<std::uint8_t>(static_cast<int>(s)) * 0x010101u)
          << edge << " " << k;
    }
  }
}

TEST(GeneratorChessfield, CellsFollowRowAndColumnParity) {
  // Cells that do not divide the edge: the cut-off cell at the right border does not
  // carry over; each row starts with its band's colour.
  for (const auto& t :
       {std::array{256, 127, 127}, {256, 255, 255}, {32, 79, 39}, {32, 0, 0}, {64, 20, 200}, {128, 2, 90}}) {
    const int edge = t[0], cw = std::max(1, (t[1] + 1) * edge / 256), ch = std::max(1, (t[2] + 1) * edge / 256);
    expectPicture(edge, [&](Pixel* p) { chessfield(p, edge, t[1], t[2]); },
                  [&](int r, int c) { return (c / cw + r / ch) % 2 ? 255 : 0; });
  }
}

}  // namespace
}  // namespace vandrel::texgen::test
