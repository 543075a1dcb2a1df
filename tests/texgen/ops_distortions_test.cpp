#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <utility>

#include "texgen/image_util.h"
#include "texgen/ops.h"

namespace vandrel::texgen {
namespace {

using test::alpha;
using test::blue;
using test::bgra;
using test::green;
using test::Image;
using test::patternImage;
using test::red;
using test::scratchImage;

constexpr Pixel kColour = 0x00FFFFFF;
constexpr int kEdges[] = {32, 64, 128, 256, 512};

Pixel colour(Pixel p) { return p & kColour; }

// Colour bytes name the pixel's own position (row << 12 | column), so a distorted
// result tells where each pixel was read; alpha bytes are random.
Image positionImage(int edge) {
  Image img = patternImage(edge, 777);
  for (int i = 0; i < edge; ++i)
    for (int j = 0; j < edge; ++j)
      img.at(i, j) = (img.at(i, j) & 0xFF000000u) | Pixel(i) << 12 | Pixel(j);
  return img;
}
int rowOf(Pixel p) { return int(colour(p) >> 12); }
int colOf(Pixel p) { return int(p & 0xFFF); }

bool sameAlpha(const Image& a, const Image& b) {
  for (std::size_t k = 0; k < a.px.size(); ++k)
    if (alpha(a.px[k]) != alpha(b.px[k])) return false;
  return true;
}

int countDifferentColours(const Image& a, const Image& b) {
  int n = 0;
  for (std::size_t k = 0; k < a.px.size(); ++k) n += colour(a.px[k]) != colour(b.px[k]);
  return n;
}

TEST(Distortions, NeutralParametersReproduceTheInput) {
  Pixel* scratch = scratchImage();
  for (int edge : kEdges) {
    SCOPED_TRACE(edge);
    const Image in = patternImage(edge);
    Image img = in;
    sindistort(img.data(), scratch, edge, 0, 0, 0, 0);
    EXPECT_EQ(img.px, in.px);
    // A zero amplitude ignores the frequency.
    sindistort(img.data(), scratch, edge, 0, 200, 0, 77);
    EXPECT_EQ(img.px, in.px);
    lenz(img.data(), scratch, edge, 128, 128, 128, 200);
    EXPECT_EQ(img.px, in.px);
    lenz(img.data(), scratch, edge, 40, 90, 0, 0);  // radius 1: no pixel can move
    EXPECT_EQ(img.px, in.px);
    roll(img.data(), scratch, edge, 255, 255, 0);
    EXPECT_EQ(img.px, in.px);
    roll(img.data(), scratch, edge, 17, 99, 4);
    EXPECT_EQ(img.px, in.px);
    mosaic(img.data(), scratch, edge, 0);
    EXPECT_EQ(img.px, in.px);
    pshift(img.data(), edge, 0, 0, 0, 255);
    EXPECT_EQ(img.px, in.px);
    radialPshift(img.data(), scratch, edge, 0, 0, 0, 255);
    EXPECT_EQ(img.px, in.px);
  }
}

TEST(Distortions, TwirlAndLenzLeaveTheOutsideOfTheirDiscAlone) {
  Pixel* scratch = scratchImage();
  for (int edge : {32, 128, 512}) {
    SCOPED_TRACE(edge);
    const Image in = patternImage(edge, 99);
    const int cx = 100 * edge / 256, cy = 60 * edge / 256, r = 70 * edge / 256;
    Image tw = in, lz = in;
    twirl(tw.data(), scratch, edge, 100, 60, 200, 10, 70);
    lenz(lz.data(), scratch, edge, 100, 60, 30, 70);
    int insideChanged = 0;
    for (int i = 0; i < edge; ++i)
      for (int j = 0; j < edge; ++j) {
        const int d2 = (i - cy) * (i - cy) + (j - cx) * (j - cx);
        if (d2 > r * r) {
          ASSERT_EQ(tw.at(i, j), in.at(i, j));
          ASSERT_EQ(lz.at(i, j), in.at(i, j));
        } else {
          insideChanged += colour(tw.at(i, j)) != colour(in.at(i, j));
        }
      }
    EXPECT_GT(insideChanged, r * r);  // the disc itself really moved
    EXPECT_TRUE(sameAlpha(tw, in));
    EXPECT_TRUE(sameAlpha(lz, in));

    // Neutral twirl: the angle goes through atan2 and back, so a coordinate that lands a
    // hair below a whole number truncates to its neighbour; nearly all pixels stay.
    Image same = in;
    twirl(same.data(), scratch, edge, 100, 60, 128, 128, 70);
    for (int i = 0; i < edge; ++i)
      for (int j = 0; j < edge; ++j) {
        const Pixel c = colour(same.at(i, j));
        bool fromNeighbour = false;
        for (int di = -1; di <= 0; ++di)
          for (int dj = -1; dj <= 0; ++dj)
            if (i + di >= 0 && j + dj >= 0) fromNeighbour |= c == colour(in.at(i + di, j + dj));
        ASSERT_TRUE(fromNeighbour) << i << "," << j;
      }
    EXPECT_LT(countDifferentColours(same, in), r * r / 2);
  }
  // A radius that scales to zero leaves only the centre, which maps onto itself.
  const Image in = patternImage(32);
  Image img = in;
  twirl(img.data(), scratch, 32, 128, 128, 0, 255, 7);
  EXPECT_EQ(img.px, in.px);
}

TEST(Distortions, TwirlAndLenzMoveHandComputedPixels) {
  Pixel* scratch = scratchImage();
  const Image in = positionImage(32);
  // Centre (16, 16). A rotation of 64 steps turns by 64 x 0.02453125 = 1.57 rad, a bit
  // short of a quarter turn, so a pixel 5 to the right reads from just under 5 below.
  Image tw = in;
  twirl(tw.data(), scratch, 32, 128, 128, 192, 128, 64);
  EXPECT_EQ(colour(tw.at(16, 21)), colour(in.at(20, 16)));
  // 5 below the centre reads from 4.99999... to the left, column 11.00001 -> 11.
  EXPECT_EQ(colour(tw.at(21, 16)), colour(in.at(16, 11)));
  EXPECT_EQ(tw.at(16, 16), in.at(16, 16));
  EXPECT_EQ(colour(tw.at(16, 24)), colour(in.at(23, 16)));  // on the rim, d = R = 8
  // Twist alone (p4 = 192): 64 steps scaled by (R - d) / R.
  tw = in;
  twirl(tw.data(), scratch, 32, 128, 128, 128, 192, 64);
  EXPECT_EQ(colour(tw.at(16, 18)), colour(in.at(17, 16)));  // 48 steps, 1.1775 rad
  EXPECT_EQ(colour(tw.at(16, 20)), colour(in.at(18, 18)));  // 32 steps, 0.785 rad
  EXPECT_EQ(colour(tw.at(16, 22)), colour(in.at(18, 21)));  // 16 steps, 0.3925 rad
  EXPECT_EQ(colour(tw.at(16, 24)), colour(in.at(16, 24)));  // none at the rim
  // Radius 8 (64 x 32 div 256), strength 160: k = 1 + (8 - d) / 8.
  Image lz = in;
  lenz(lz.data(), scratch, 32, 128, 128, 160, 64);
  EXPECT_EQ(colour(lz.at(16, 20)), colour(in.at(16, 22)));  // d 4: k 1.5
  EXPECT_EQ(colour(lz.at(16, 18)), colour(in.at(16, 19)));  // d 2: k 1.75, 3.5 -> 3
  EXPECT_EQ(colour(lz.at(12, 16)), colour(in.at(10, 16)));  // above: -6 rows
  EXPECT_EQ(colour(lz.at(16, 24)), colour(in.at(16, 24)));  // on the rim: k 1
  // Strength 96 magnifies: k = d / 8.
  lz = in;
  lenz(lz.data(), scratch, 32, 128, 128, 96, 64);
  EXPECT_EQ(colour(lz.at(16, 20)), colour(in.at(16, 18)));
  EXPECT_EQ(colour(lz.at(20, 20)), colour(in.at(18, 18)));  // d 5.657: k 0.707, 2.83 -> 2
}

TEST(Distortions, SindistortShiftsRowsAndColumnsBySines) {
  Pixel* scratch = scratchImage();
  const Image in = positionImage(32);
  // Frequency 45 at edge 32 is 360 per step; rows 8 and 24 sit at 1.57 and 4.71 rad,
  // where the sine is +-0.9999997: an amplitude of 8 columns truncates to 7.
  Image img = in;
  sindistort(img.data(), scratch, 32, 0, 0, 64, 45);
  for (int j = 0; j < 32; ++j) {
    EXPECT_EQ(colour(img.at(0, j)), colour(in.at(0, j)));
    EXPECT_EQ(colour(img.at(8, j)), colour(in.at(8, (j + 7) % 32)));
    EXPECT_EQ(colour(img.at(16, j)), colour(in.at(16, j)));  // sin(3.14) x 8 < 1
    EXPECT_EQ(colour(img.at(24, j)), colour(in.at(24, (j + 25) % 32)));
  }
  EXPECT_TRUE(sameAlpha(img, in));
  // The same along columns: rows move by i + 7.9999975 and by i - 7.9999975, truncated
  // toward zero before wrapping, so rows 7 and 8 both read row 0 in column 24.
  img = in;
  sindistort(img.data(), scratch, 32, 64, 45, 0, 0);
  EXPECT_EQ(colour(img.at(0, 8)), colour(in.at(7, 8)));
  EXPECT_EQ(colour(img.at(30, 8)), colour(in.at(5, 8)));
  EXPECT_EQ(colour(img.at(0, 24)), colour(in.at(25, 24)));
  EXPECT_EQ(colour(img.at(7, 24)), colour(in.at(0, 24)));
  EXPECT_EQ(colour(img.at(8, 24)), colour(in.at(0, 24)));
  EXPECT_EQ(colour(img.at(20, 24)), colour(in.at(12, 24)));
  EXPECT_EQ(colour(img.at(5, 0)), colour(in.at(5, 0)));
}

TEST(Distortions, RotorzoomNeutralShiftsAndBlackOutside) {
  Pixel* scratch = scratchImage();
  for (int edge : kEdges) {
    SCOPED_TRACE(edge);
    const Image in = positionImage(edge);
    // 1:1 without rotation starts 0.0048 x edge into the image: an exact copy up to 128,
    // then a shift by 1 (256) or 2 (512) pixels with black beyond the last row/column.
    Image img = in;
    rotorzoom(img.data(), scratch, edge, 128, 128, 0, 64);
    const int k = edge == 512 ? 2 : edge == 256 ? 1 : 0;
    for (int i = 0; i < edge; ++i)
      for (int j = 0; j < edge; ++j) {
        const Pixel want = i + k < edge && j + k < edge ? colour(in.at(i + k, j + k)) : 0;
        ASSERT_EQ(colour(img.at(i, j)), want) << i << "," << j;
      }
    EXPECT_TRUE(sameAlpha(img, in));

    // x and y move the view by whole pixels: p1 = 160 looks 5/32 of the edge further right.
    img = in;
    rotorzoom(img.data(), scratch, edge, 160, 96, 0, 64);
    const int sx = edge * 160 / 256 - edge / 2, sy = edge * 96 / 256 - edge / 2;
    EXPECT_EQ(colour(img.at(edge / 2, 0)), colour(in.at(edge / 2 + sy + k, sx + k)));
    EXPECT_EQ(colour(img.at(edge - 1, edge - 1 - sx - k)), colour(in.at(edge - 1 + sy + k, edge - 1)));
    EXPECT_EQ(colour(img.at(edge / 2, edge - sx - k)), 0u);  // column edge

    // Zooming out by 4 leaves a black frame; alpha stays everywhere.
    img = in;
    rotorzoom(img.data(), scratch, edge, 128, 128, 37, 255);
    EXPECT_EQ(colour(img.at(0, 0)), 0u);
    EXPECT_EQ(colour(img.at(edge - 1, edge / 2)), 0u);
    EXPECT_NE(colour(img.at(edge / 2, edge / 2)), 0u);
    EXPECT_TRUE(sameAlpha(img, in));
  }
  // Half a turn (180 degrees taken with pi = 3.14) mirrors the image through its centre,
  // give or take a pixel.
  const Image in = positionImage(64);
  Image img = in;
  rotorzoom(img.data(), scratch, 64, 128, 128, 128, 64);
  for (int i = 4; i < 60; i += 5)
    for (int j = 4; j < 60; j += 5) {
      EXPECT_NEAR(rowOf(img.at(i, j)), 63 - i, 1);
      EXPECT_NEAR(colOf(img.at(i, j)), 63 - j, 1);
    }
}

TEST(Distortions, PshiftReadsAheadInMemoryOrder) {
  // Straightforward reference that reads from an untouched copy.
  const auto reference = [](const Image& in, int p1, int p2, int p3, int p4) {
    const int e = in.edge, n = e * e;
    const int k[3] = {p1 * e / 256, p2 * e / 256, p3 * e / 256};
    Image out = in;
    for (int p = 0; p < n; ++p) {
      int s[3];
      for (int c = 0; c < 3; ++c) {
        const int b = (in.px[p] >> (8 * c)) & 0xFF;
        s[c] = (in.px[std::min(p + k[c] * b / 64, n - 1)] >> (8 * c)) & 0xFF;
      }
      const int g = (s[0] + s[1] + s[2]) * (255 - p4) / 765;
      out.px[p] = bgra(g + p4 * s[0] / 255, g + p4 * s[1] / 255, g + p4 * s[2] / 255,
                       alpha(in.px[p]));
    }
    return out;
  };
  for (int edge : kEdges) {
    SCOPED_TRACE(edge);
    const Image in = patternImage(edge, 4242);
    for (auto [a, b, c, d] : {std::array{255, 255, 255, 255}, {37, 200, 90, 130}, {0, 0, 0, 0}}) {
      Image img = in;
      pshift(img.data(), edge, a, b, c, d);
      ASSERT_EQ(img.px, reference(in, a, b, c, d).px);
    }
    // A white image with the largest shifts: every read past the end stays white.
    Image white(edge, 0x80FFFFFF);
    pshift(white.data(), edge, 255, 255, 255, 255);
    EXPECT_EQ(white.px, Image(edge, 0x80FFFFFF).px);
  }
  // Edge 32, shift 255 -> k 31: blue 128 reads 62 places ahead, so the last 63 pixels
  // read the last pixel (blue 255) and the rest read blue 128.
  Image img(32, bgra(128, 0, 0, 9));
  img.px.back() = bgra(255, 0, 0, 9);
  pshift(img.data(), 32, 255, 0, 0, 255);
  const int last = 32 * 32 - 1;
  for (int p = 0; p <= last; ++p) ASSERT_EQ(img.px[p], bgra(p >= last - 62 ? 255 : 128, 0, 0, 9)) << p;
  // No shift and no saturation: the truncated mean of the channels, alpha kept.
  img = Image(32, bgra(10, 20, 32, 77));
  pshift(img.data(), 32, 0, 0, 0, 0);
  EXPECT_EQ(img.at(5, 5), bgra(20, 20, 20, 77));
  img = Image(32, bgra(10, 20, 32, 77));
  radialPshift(img.data(), scratchImage(), 32, 0, 0, 0, 0);
  EXPECT_EQ(img.at(31, 0), bgra(20, 20, 20, 77));
}

TEST(Distortions, RadialPshiftSamplesBrightChannelsNearerTheCentre) {
  Pixel* scratch = scratchImage();
  Image in(32, bgra(255, 0, 0, 3));
  in.at(2, 2) = bgra(254, 0, 0, 3);
  in.at(4, 4) = bgra(253, 0, 0, 3);
  Image img = in;
  radialPshift(img.data(), scratch, 32, 255, 0, 0, 255);
  // k0 = 31; blue 255 gives q = 73441, and -16 x 65536 div q = -14: row and column 2.
  EXPECT_EQ(blue(img.at(0, 0)), 254);
  // (2, 2) with blue 254: -14 x 65536 div 73410 = -12, so it reads (4, 4).
  EXPECT_EQ(blue(img.at(2, 2)), 253);
  // Truncation toward zero on both sides of the centre: 15 x 65536 div 73441 = 13.
  EXPECT_EQ(blue(img.at(31, 31)), 255);
  EXPECT_EQ(blue(img.at(16, 16)), 255);
  EXPECT_EQ(alpha(img.at(2, 2)), 3);
  // Mirror the markers to the lower right: (31, 31) reads (29, 29).
  in = Image(32, bgra(255, 0, 0, 3));
  in.at(29, 29) = bgra(100, 0, 0, 3);
  img = in;
  radialPshift(img.data(), scratch, 32, 255, 0, 0, 255);
  EXPECT_EQ(blue(img.at(31, 31)), 100);
  EXPECT_EQ(blue(img.at(31, 30)), 255);
}

TEST(Distortions, RollScrollsAndMirrors) {
  Pixel* scratch = scratchImage();
  const Image in = positionImage(32);
  // Edge 32: p1 = 7 -> 1 column; p2 = 135 -> (16 - 17) x 2 = -2 rows.
  Image plain = in;
  roll(plain.data(), scratch, 32, 7, 135, 0);
  for (int i = 0; i < 32; ++i)
    for (int j = 0; j < 32; ++j)
      ASSERT_EQ(colour(plain.at(i, j)), colour(in.at((i + 30) % 32, (j + 1) % 32)));
  EXPECT_TRUE(sameAlpha(plain, in));
  for (int mode = 1; mode <= 3; ++mode) {
    Image m = in;
    roll(m.data(), scratch, 32, 7, 135, mode);
    for (int i = 0; i < 32; ++i)
      for (int j = 0; j < 32; ++j) {
        const int ti = mode >= 2 ? 31 - i : i, tj = mode != 2 ? 31 - j : j;
        ASSERT_EQ(colour(m.at(ti, tj)), colour(plain.at(i, j))) << mode;
        ASSERT_EQ(alpha(m.at(i, j)), alpha(in.at(i, j)));
      }
  }
  // Every p2 at every size is a pure cyclic translation that stays inside the image,
  // from a shift of a whole edge down (small p2) to a whole edge up (p2 = 255).
  for (int edge : kEdges) {
    const Image src = positionImage(edge);
    for (int p2 = 0; p2 < 256; p2 += edge >= 256 ? 17 : 1) {
      Image img = src;
      roll(img.data(), scratch, edge, 255, p2, 0);
      const int shift = rowOf(img.at(0, 0));
      for (int i = 0; i < edge; i += 7)
        for (int j = 0; j < edge; j += 5) {
          ASSERT_EQ(rowOf(img.at(i, j)), (i + shift) % edge) << edge << " " << p2;
          ASSERT_EQ(colOf(img.at(i, j)), j);
        }
    }
  }
  Image low = in;
  roll(low.data(), scratch, 32, 255, 0, 0);  // dy = 32: a full turn
  EXPECT_EQ(low.px, in.px);
}

TEST(Distortions, MosaicRepeatsTheImage) {
  Pixel* scratch = scratchImage();
  for (int edge : {32, 256, 512}) {
    const Image in = positionImage(edge);
    Image img = in;
    mosaic(img.data(), scratch, edge, 1);
    const int h = edge / 2;
    for (int i = 0; i < h; ++i)
      for (int j = 0; j < h; ++j) {
        ASSERT_EQ(colour(img.at(i, j)), colour(in.at(2 * i, 2 * j)));
        ASSERT_EQ(colour(img.at(i + h, j)), colour(img.at(i, j)));
        ASSERT_EQ(colour(img.at(i, j + h)), colour(img.at(i, j)));
        ASSERT_EQ(colour(img.at(i + h, j + h)), colour(img.at(i, j)));
      }
    EXPECT_TRUE(sameAlpha(img, in));
    img = in;
    mosaic(img.data(), scratch, edge, 2);  // three copies: column 11 -> 33 mod edge
    EXPECT_EQ(colour(img.at(11, 11)), colour(in.at(33 % edge, 33 % edge)));
  }
}

// A plain per-pixel tiling (on an already rolled layer) with the rotation evaluated
// directly, to hold the table-driven version to the bit.
Image referenceTiling(const Image& rolled, int step, int mix) {
  const int e = rolled.edge, h = e / 2;
  Image acc(e);
  for (std::size_t k = 0; k < acc.px.size(); ++k) acc.px[k] = rolled.px[k] & 0xFF000000u;
  for (int a = 0; a < 360; a += step)
    for (int i = 0; i < e; ++i)
      for (int j = 0; j < e; ++j) {
        const double ca = std::cos(a * std::numbers::pi / 180);
        const double sa = std::sin(a * std::numbers::pi / 180);
        const double sc = h + ((j - h) * ca - sa * (i - h));
        const double sr = h + ((j - h) * sa + ca * (i - h));
        Pixel v = 0;
        if (0 < sc && sc < e && 0 < sr && sr < e) v = rolled.at(int(sr), int(sc));
        Pixel& o = acc.at(i, j);
        Pixel r = 0;
        for (int b = 0; b < 4; ++b) {
          const int x = (o >> (8 * b)) & 0xFF, y = (v >> (8 * b)) & 0xFF;
          const int m = mix == 0 ? std::min(x + y, 255) : b == 3 ? x : std::max(x, y);
          r |= Pixel(m) << (8 * b);
        }
        o = r;
      }
  return acc;
}

TEST(Distortions, TilingRotatesCopiesAroundTheCentre) {
  Pixel* scratch = scratchImage();
  for (int edge : {32, 64}) {
    SCOPED_TRACE(edge);
    const Image in = patternImage(edge, 31337);
    Image rolled = in;
    roll(rolled.data(), scratch, edge, 40, 200, 0);
    for (auto [p3, step] : {std::pair{0, 15}, {10, 15}, {11, 15}, {12, 16}, {128, 180}, {200, 281}}) {
      for (int mix : {0, 1}) {
        Image img = in;
        tiling(img.data(), scratch, edge, 40, 200, p3, mix);
        ASSERT_EQ(img.px, referenceTiling(rolled, step, mix).px) << p3 << " " << mix;
      }
    }
  }
  // Steps below 15 degrees are raised to 15: p3 = 0 and 10 agree, 12 (16 degrees) differs.
  const Image in = patternImage(64, 5);
  Image a = in, b = in, c = in;
  tiling(a.data(), scratch, 64, 255, 255, 0, 1);
  tiling(b.data(), scratch, 64, 255, 255, 10, 1);
  tiling(c.data(), scratch, 64, 255, 255, 12, 1);
  EXPECT_EQ(a.px, b.px);
  EXPECT_NE(a.px, c.px);
  EXPECT_TRUE(sameAlpha(a, in));

  // p3 = 128: exactly the angles 0 and 180. On a picture of flat 8 x 8 blocks, each
  // block-centre pixel becomes the larger of itself and its mirror through the centre.
  Image blocks(64);
  for (int i = 0; i < 64; ++i)
    for (int j = 0; j < 64; ++j) blocks.at(i, j) = patternImage(8, 3).at(i / 8, j / 8);
  Image img = blocks;
  tiling(img.data(), scratch, 64, 255, 255, 128, 1);
  for (int i = 4; i < 64; i += 8)
    for (int j = 4; j < 64; j += 8) {
      const Pixel p = blocks.at(i, j), q = blocks.at(64 - i, 64 - j);
      const Pixel want = bgra(std::max(blue(p), blue(q)), std::max(green(p), green(q)),
                              std::max(red(p), red(q)), alpha(p));
      EXPECT_EQ(img.at(i, j), want);
      EXPECT_EQ(colour(img.at(64 - i, 64 - j)), colour(want));
    }

  // Additive mixing on a flat image: two copies inside, none on row and column 0
  // (the bounds are strict), and the alpha bytes add up as well.
  img = Image(32, bgra(10, 20, 200, 40));
  tiling(img.data(), scratch, 32, 255, 255, 128, 0);
  EXPECT_EQ(img.at(5, 9), bgra(20, 40, 255, 120));
  EXPECT_EQ(img.at(0, 9), bgra(0, 0, 0, 40));
  EXPECT_EQ(img.at(9, 0), bgra(0, 0, 0, 40));
  // Any other mix type only clears the colour.
  img = Image(32, bgra(10, 20, 200, 40));
  tiling(img.data(), scratch, 32, 255, 255, 128, 7);
  EXPECT_EQ(img.px, Image(32, bgra(0, 0, 0, 40)).px);
}

TEST(Distortions, ExtremeParametersStayInsideTheImageAndKeepAlpha) {
  // Run under the sanitizers: extreme and corner parameters at every size.
  Pixel* scratch = scratchImage();
  for (int edge : kEdges) {
    SCOPED_TRACE(edge);
    const Image in = patternImage(edge, 2024);
    for (int p : {0, 1, 127, 128, 254, 255}) {
      for (int q : {0, 255}) {
        Image img = in;
        sindistort(img.data(), scratch, edge, p, q, 255 - p, q);
        rotorzoom(img.data(), scratch, edge, p, q, p, q);
        twirl(img.data(), scratch, edge, p, q, p, 255 - q, 255);
        lenz(img.data(), scratch, edge, q, p, p, 255);
        pshift(img.data(), edge, p, q, 255, q);
        radialPshift(img.data(), scratch, edge, 255, p, q, p);
        roll(img.data(), scratch, edge, p, q, p % 4);
        mosaic(img.data(), scratch, edge, p);
        tiling(img.data(), scratch, edge, p, q, p, 1);
        ASSERT_TRUE(sameAlpha(img, in)) << p << " " << q;
      }
    }
  }
}

}  // namespace
}  // namespace vandrel::texgen
