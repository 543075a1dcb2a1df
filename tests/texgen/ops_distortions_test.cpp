#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "texgen/image_util.h"
#include "texgen/ops.h"

namespace vandrel::texgen::test {
namespace {

Pixel* const scratch = scratchImage();
Pixel colour(Pixel p) { return p & 0xFFFFFFu; }
int channel(Pixel p, int c) { return (p >> (8 * c)) & 0xFF; }
Pixel pos(int row, int col) { return Pixel(row) << 12 | Pixel(col); }

// Colour bytes name the pixel's own position, so a result tells where each pixel was
// read from; alpha bytes are random.
Image positionImage(int edge) {
  Image img = patternImage(edge, 777);
  for (int k = 0; k < edge * edge; ++k) img.px[k] = (img.px[k] & 0xFF000000u) | pos(k / edge, k % edge);
  return img;
}

// Runs op on a copy of `in`; every alpha byte must stay.
template <class Op>
Image apply(const Image& in, Op op) {
  Image img = in;
  op(img.data());
  int changed = 0;
  for (std::size_t k = 0; k < in.px.size(); ++k) changed += alpha(img.px[k]) != alpha(in.px[k]);
  EXPECT_EQ(changed, 0);
  return img;
}

// Each {row, col, source row, source col}: on a position image, the pixel was read there.
void expectReads(const Image& img, std::initializer_list<std::array<int, 4>> reads) {
  for (const auto& r : reads) EXPECT_EQ(colour(img.at(r[0], r[1])), pos(r[2], r[3])) << r[0] << "," << r[1];
}

TEST(Distortions, NeutralParametersReproduceTheInputAndExtremesStayInside) {
  for (int edge : {32, 512}) {
    const Image in = patternImage(edge);
    auto same = [&](auto op) { EXPECT_EQ(apply(in, op).px, in.px) << edge; };
    same([&](Pixel* p) { sindistort(p, scratch, edge, 0, 0, 0, 0); });
    same([&](Pixel* p) { sindistort(p, scratch, edge, 0, 200, 0, 77); });  // zero amplitude, any frequency
    same([&](Pixel* p) { lenz(p, scratch, edge, 128, 128, 128, 200); });
    same([&](Pixel* p) { lenz(p, scratch, edge, 40, 90, 0, 0); });  // radius 1: no pixel can move
    same([&](Pixel* p) { twirl(p, scratch, edge, 128, 128, 0, 255, edge == 32 ? 7 : 0); });  // radius 0
    same([&](Pixel* p) { roll(p, scratch, edge, 255, 255, 0); });
    same([&](Pixel* p) { roll(p, scratch, edge, 17, 99, 4); });
    same([&](Pixel* p) { mosaic(p, scratch, edge, 0); });
    same([&](Pixel* p) { pshift(p, edge, 0, 0, 0, 255); });
    same([&](Pixel* p) { radialPshift(p, scratch, edge, 0, 0, 0, 255); });
    // Extreme and corner parameters (the sanitizer build watches the accesses).
    for (int p : {0, 1, 127, 128, 254, 255})
      for (int q : {0, 255})
        apply(in, [&](Pixel* img) {
          sindistort(img, scratch, edge, p, q, 255 - p, q);
          rotorzoom(img, scratch, edge, p, q, p, q);
          twirl(img, scratch, edge, p, q, p, 255 - q, 255);
          lenz(img, scratch, edge, q, p, p, 255);
          pshift(img, edge, p, q, 255, q);
          radialPshift(img, scratch, edge, 255, p, q, p);
          roll(img, scratch, edge, p, q, p % 4);
          mosaic(img, scratch, edge, p);
          tiling(img, scratch, edge, p, q, p, 1);
        });
  }
}

TEST(Distortions, TwirlAndLenzMoveHandComputedPixelsInsideTheirDiscOnly) {
  const Image in = positionImage(32);
  // Centre (16, 16). 64 steps turn by 64 x 0.02453125 = 1.57 rad, a bit short of a
  // quarter turn: 5 to the right reads from just under 5 below, 5 below from column 11.00001.
  expectReads(apply(in, [&](Pixel* p) { twirl(p, scratch, 32, 128, 128, 192, 128, 64); }),
              {{16, 21, 20, 16}, {21, 16, 16, 11}, {16, 16, 16, 16}, {16, 24, 23, 16}});
  // Twist alone: 64 steps scaled by (R - d) / R, none at the rim.
  expectReads(apply(in, [&](Pixel* p) { twirl(p, scratch, 32, 128, 128, 128, 192, 64); }),
              {{16, 18, 17, 16}, {16, 20, 18, 18}, {16, 22, 18, 21}, {16, 24, 16, 24}});
  // Radius 8, strength 160: k = 1 + (8 - d) / 8; at d 2, 3.5 truncates to 3.
  expectReads(apply(in, [&](Pixel* p) { lenz(p, scratch, 32, 128, 128, 160, 64); }),
              {{16, 20, 16, 22}, {16, 18, 16, 19}, {12, 16, 10, 16}, {16, 24, 16, 24}});
  // Strength 96 magnifies: k = d / 8; d 5.657 gives 2.83 -> 2.
  expectReads(apply(in, [&](Pixel* p) { lenz(p, scratch, 32, 128, 128, 96, 64); }),
              {{16, 20, 16, 18}, {20, 20, 18, 18}});

  // Outside the disc nothing moves. A neutral twirl goes through atan2 and back, so a few
  // coordinates land a hair below a whole number and truncate; nearly all pixels stay.
  for (int edge : {32, 512}) {
    const Image pattern = patternImage(edge, 99);
    const int cx = 100 * edge / 256, cy = 60 * edge / 256, r = 70 * edge / 256;
    const Image tw = apply(pattern, [&](Pixel* p) { twirl(p, scratch, edge, 100, 60, 200, 10, 70); });
    const Image lz = apply(pattern, [&](Pixel* p) { lenz(p, scratch, edge, 100, 60, 30, 70); });
    const Image same = apply(pattern, [&](Pixel* p) { twirl(p, scratch, edge, 100, 60, 128, 128, 70); });
    int stayed = 0;
    for (int i = 0; i < edge; ++i)
      for (int j = 0; j < edge; ++j) {
        const bool outside = (i - cy) * (i - cy) + (j - cx) * (j - cx) > r * r;
        ASSERT_TRUE(!outside || (tw.at(i, j) == pattern.at(i, j) && lz.at(i, j) == pattern.at(i, j))) << i << "," << j;
        stayed += same.at(i, j) == pattern.at(i, j);
      }
    EXPECT_GT(stayed, edge * edge - r * r / 2);
  }
}

TEST(Distortions, SindistortShiftsRowsAndColumnsBySines) {
  const Image in = positionImage(32);
  // Frequency 45 at edge 32 is 360 per step: rows 8 and 24 sit at 1.57 and 4.71 rad,
  // where the sine is +-0.9999997, so an amplitude of 8 columns truncates to 7.
  const Image cols = apply(in, [&](Pixel* p) { sindistort(p, scratch, 32, 0, 0, 64, 45); });
  for (int j = 0; j < 32; ++j)
    expectReads(cols, {{0, j, 0, j}, {8, j, 8, (j + 7) % 32}, {16, j, 16, j}, {24, j, 24, (j + 25) % 32}});
  // Along columns rows move by +-7.9999975, truncated toward zero before wrapping, so
  // rows 7 and 8 both read row 0 in column 24.
  expectReads(apply(in, [&](Pixel* p) { sindistort(p, scratch, 32, 64, 45, 0, 0); }),
              {{0, 8, 7, 8}, {30, 8, 5, 8}, {0, 24, 25, 24}, {7, 24, 0, 24}, {8, 24, 0, 24}, {20, 24, 12, 24},
               {5, 0, 5, 0}});

  // Every pixel against the plain formula: shifts past either border, and beyond the
  // trackbar more than a whole edge away.
  const int edge = 64;
  const Image positions = positionImage(edge);
  for (const auto& a : {std::array{255, 200, 255, 13}, {128, 255, 90, 255}, {300, 77, 600, 31}}) {
    const int ampX = a[0], freqX = a[1], ampY = a[2], freqY = a[3];
    const Image out = apply(positions, [&](Pixel* p) { sindistort(p, scratch, edge, ampX, freqX, ampY, freqY); });
    const int ax = edge * ampX / 256, ay = edge * ampY / 256, fx = freqX * 256 / edge, fy = freqY * 256 / edge;
    auto wrap = [](int v) { return (v % edge + edge) % edge; };
    for (int i = 0; i < edge; ++i)
      for (int j = 0; j < edge; ++j) {
        const int sr = wrap(static_cast<int>(i + ax * std::sin(j * fx * 0.000545138888888889)));
        const int sc = wrap(j + static_cast<int>(ay * std::sin(i * fy * 0.000545138888888889)));
        ASSERT_EQ(colour(out.at(i, j)), pos(sr, sc)) << ampX << " " << i << "," << j;
      }
  }
}

TEST(Distortions, RotorzoomNeutralShiftsAndBlackOutside) {
  for (int edge : {32, 256, 512}) {
    const Image in = positionImage(edge);
    // 1:1 without rotation starts 0.0048 x edge into the image: an exact copy up to 128,
    // then a shift by 1 (256) or 2 (512) pixels with black beyond the last row/column.
    const int k = edge / 256;
    const Image img = apply(in, [&](Pixel* p) { rotorzoom(p, scratch, edge, 128, 128, 0, 64); });
    for (int i = 0; i < edge; ++i)
      for (int j = 0; j < edge; ++j)
        ASSERT_EQ(colour(img.at(i, j)), i + k < edge && j + k < edge ? pos(i + k, j + k) : 0u) << i << "," << j;
    // x and y move the view by whole pixels.
    const int sx = edge * 160 / 256 - edge / 2, sy = edge * 96 / 256 - edge / 2;
    const Image moved = apply(in, [&](Pixel* p) { rotorzoom(p, scratch, edge, 160, 96, 0, 64); });
    expectReads(moved, {{edge / 2, 0, edge / 2 + sy + k, sx + k},
                        {edge - 1, edge - 1 - sx - k, edge - 1 + sy + k, edge - 1}});
    EXPECT_EQ(colour(moved.at(edge / 2, edge - sx - k)), 0u);
    // Zooming out by 4 leaves a black frame.
    const Image out = apply(in, [&](Pixel* p) { rotorzoom(p, scratch, edge, 128, 128, 37, 255); });
    EXPECT_TRUE(colour(out.at(0, 0)) == 0 && colour(out.at(edge - 1, edge / 2)) == 0);
    EXPECT_NE(colour(out.at(edge / 2, edge / 2)), 0u);
  }
  // Half a turn (pi taken as 3.14) mirrors through the centre, give or take a pixel.
  const Image half = apply(positionImage(64), [&](Pixel* p) { rotorzoom(p, scratch, 64, 128, 128, 128, 64); });
  for (int i = 4; i < 60; i += 5)
    for (int j = 4; j < 60; j += 5)
      EXPECT_TRUE(std::abs(int(colour(half.at(i, j)) >> 12) + i - 63) <= 1 &&
                  std::abs(int(half.at(i, j) & 0xFFF) + j - 63) <= 1) << i << "," << j;
}

TEST(Distortions, PshiftReadsAheadInMemoryOrder) {
  const auto reference = [](const Image& in, const std::array<int, 4>& q) {
    const int n = in.edge * in.edge;
    Image out = in;
    for (int p = 0; p < n; ++p) {
      int s[3];
      for (int c = 0; c < 3; ++c)
        s[c] = channel(in.px[std::min(p + q[c] * in.edge / 256 * channel(in.px[p], c) / 64, n - 1)], c);
      const int g = (s[0] + s[1] + s[2]) * (255 - q[3]) / 765;
      out.px[p] = bgra(g + q[3] * s[0] / 255, g + q[3] * s[1] / 255, g + q[3] * s[2] / 255, alpha(in.px[p]));
    }
    return out;
  };
  for (int edge : {32, 64})
    for (const auto& q : {std::array{255, 255, 255, 255}, {37, 200, 90, 130}, {0, 0, 0, 0}}) {
      const Image in = patternImage(edge, 4242);
      EXPECT_EQ(apply(in, [&](Pixel* p) { pshift(p, edge, q[0], q[1], q[2], q[3]); }).px, reference(in, q).px);
    }
  // Edge 32, shift 255 -> k 31: blue 128 reads 62 places ahead, so the last 63 pixels
  // read the last pixel (blue 255) and the rest read blue 128.
  Image img(32, bgra(128, 0, 0, 9));
  img.px.back() = bgra(255, 0, 0, 9);
  pshift(img.data(), 32, 255, 0, 0, 255);
  for (int p = 0; p < 32 * 32; ++p) ASSERT_EQ(img.px[p], bgra(p >= 1023 - 62 ? 255 : 128, 0, 0, 9)) << p;
}

TEST(Distortions, RadialPshiftSamplesBrightChannelsNearerTheCentre) {
  Image img(32, bgra(255, 0, 0, 3));
  img.at(2, 2) = bgra(254, 0, 0, 3);
  img.at(4, 4) = bgra(253, 0, 0, 3);
  img.at(29, 29) = bgra(100, 0, 0, 3);
  radialPshift(img.data(), scratch, 32, 255, 0, 0, 255);
  // k0 = 31; blue 255 gives q = 73441: -16 x 65536 div q = -14 reads row and column 2;
  // blue 254 at (2, 2): -14 x 65536 div 73410 = -12 reads (4, 4). Truncation toward
  // zero on both sides of the centre: 15 x 65536 div 73441 = 13, so (31, 31) reads (29, 29).
  EXPECT_TRUE(blue(img.at(0, 0)) == 254 && blue(img.at(2, 2)) == 253 && alpha(img.at(2, 2)) == 3);
  EXPECT_TRUE(blue(img.at(31, 31)) == 100 && blue(img.at(31, 30)) == 255 && blue(img.at(16, 16)) == 255);
  img = Image(32, bgra(10, 20, 32, 77));
  radialPshift(img.data(), scratch, 32, 0, 0, 0, 0);
  EXPECT_EQ(img.at(31, 0), bgra(20, 20, 20, 77));
}

TEST(Distortions, RollScrollsAndMirrors) {
  const Image in = positionImage(32);
  // Edge 32: p1 = 7 -> 1 column, p2 = 135 -> (16 - 17) x 2 = -2 rows; modes 1..3 mirror.
  for (int mode = 0; mode <= 3; ++mode) {
    const Image m = apply(in, [&](Pixel* p) { roll(p, scratch, 32, 7, 135, mode); });
    for (int i = 0; i < 32; ++i)
      for (int j = 0; j < 32; ++j)
        ASSERT_EQ(colour(m.at(mode >= 2 ? 31 - i : i, mode % 2 ? 31 - j : j)), pos((i + 30) % 32, (j + 1) % 32))
            << mode;
  }
  // Every p2 is a pure cyclic translation that stays inside the image, from a whole
  // edge down (small p2) to a whole edge up (p2 = 255).
  for (int edge : {32, 512}) {
    const Image src = positionImage(edge);
    for (int p2 = 0; p2 < 256; p2 += edge == 32 ? 1 : 17) {
      Image img = src;
      roll(img.data(), scratch, edge, 255, p2, 0);
      const int shift = int(colour(img.at(0, 0)) >> 12);
      ASSERT_EQ(shift, (2 * edge - 2 * ((p2 + 1) * edge / 256)) % edge) << edge << " " << p2;
      for (int i = 0; i < edge; i += 7)
        for (int j = 0; j < edge; j += 5) ASSERT_EQ(colour(img.at(i, j)), pos((i + shift) % edge, j)) << p2;
    }
  }
}

TEST(Distortions, MosaicRepeatsTheImage) {
  for (int edge : {32, 512}) {
    const Image in = positionImage(edge);
    const Image img = apply(in, [&](Pixel* p) { mosaic(p, scratch, edge, 1); });
    for (int i = 0; i < edge; ++i)
      for (int j = 0; j < edge; ++j) ASSERT_EQ(colour(img.at(i, j)), pos(2 * i % edge, 2 * j % edge));
    // Three copies: column 11 -> 33 mod edge.
    expectReads(apply(in, [&](Pixel* p) { mosaic(p, scratch, edge, 2); }), {{11, 11, 33 % edge, 33 % edge}});
  }
}

// A plain per-pixel tiling of an already rolled layer, the rotation evaluated directly.
Image referenceTiling(const Image& rolled, int step, int mix) {
  const int e = rolled.edge, h = e / 2;
  Image acc(e);
  for (std::size_t k = 0; k < acc.px.size(); ++k) acc.px[k] = rolled.px[k] & 0xFF000000u;
  for (int a = 0; a < 360; a += step)
    for (int i = 0; i < e; ++i)
      for (int j = 0; j < e; ++j) {
        const double ca = std::cos(a * std::numbers::pi / 180), sa = std::sin(a * std::numbers::pi / 180);
        const double sc = h + ((j - h) * ca - sa * (i - h)), sr = h + ((j - h) * sa + ca * (i - h));
        const Pixel v = 0 < sc && sc < e && 0 < sr && sr < e ? rolled.at(int(sr), int(sc)) : 0;
        Pixel r = 0;
        for (int b = 0; b < 4; ++b) {
          const int x = channel(acc.at(i, j), b), y = channel(v, b);
          r |= Pixel(mix == 0 ? std::min(x + y, 255) : b == 3 ? x : std::max(x, y)) << (8 * b);
        }
        acc.at(i, j) = r;
      }
  return acc;
}

TEST(Distortions, TilingRotatesCopiesAroundTheCentre) {
  const Image in = patternImage(32, 31337);
  Image rolled = in;
  roll(rolled.data(), scratch, 32, 40, 200, 0);
  // Steps below 15 degrees are raised to 15.
  for (const auto& t : {std::array{0, 15}, {10, 15}, {12, 16}, {128, 180}, {200, 281}})
    for (int mix : {0, 1}) {
      Image img = in;
      tiling(img.data(), scratch, 32, 40, 200, t[0], mix);
      ASSERT_EQ(img.px, referenceTiling(rolled, t[1], mix).px) << t[0] << " " << mix;
    }
  // Additive mixing on a flat image: two copies inside, none on row and column 0 (the
  // bounds are strict), alpha bytes added too. Other mix types only clear the colour.
  Image add(32, bgra(10, 20, 200, 40)), other = add;
  tiling(add.data(), scratch, 32, 255, 255, 128, 0);
  tiling(other.data(), scratch, 32, 255, 255, 128, 7);
  EXPECT_EQ(add.at(5, 9), bgra(20, 40, 255, 120));
  EXPECT_TRUE(add.at(0, 9) == bgra(0, 0, 0, 40) && add.at(9, 0) == bgra(0, 0, 0, 40));
  EXPECT_EQ(other.px, Image(32, bgra(0, 0, 0, 40)).px);
}

}  // namespace
}  // namespace vandrel::texgen::test
