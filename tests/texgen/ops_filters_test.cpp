// The optimised blurs and 3 x 3 filters are held to plain per-pixel, per-channel versions.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "texgen/image_util.h"

namespace vandrel::texgen::test {
namespace {

int channel(Pixel p, int k) { return (p >> (8 * k)) & 0xFF; }
template <class F>
Pixel perChannel(Pixel alphaFrom, F f) { return bgra(f(0), f(1), f(2), alpha(alphaFrom)); }

// The scratch image is exactly sized and full of rubbish: a filter can neither rely on
// its content nor run past it unnoticed by the sanitizer.
template <class F>
Image run(Image img, F filter) {
  std::vector<Pixel> scratch(img.px.size(), 0xDEADBEEFu);
  filter(img.data(), scratch.data(), img.edge);
  return img;
}
// Radial blur reads a copy and writes every pixel of the layer, rubbish before.
auto radial(int zoom) {
  return [zoom](Pixel* p, Pixel* s, int e) {
    std::copy_n(p, e * e, s);
    std::fill_n(p, e * e, 0xDEADBEEFu);
    radialBlurPass(s, p, e, zoom);
  };
}
// The layer is full of rubbish too: a 3 x 3 filter must write every pixel of it.
template <class F>
Image filtered(const Image& below, F filter) {
  Image layer(below.edge, 0xDEADBEEFu);
  filter(below.px.data(), layer.data(), below.edge);
  return layer;
}
void blurInPlace(Image& img) { blurPass(img.data(), img.data(), img.edge); }
void motionBlurInPlace(Image& img) { motionBlurPass(img.data(), img.data(), img.edge); }

// In place, pixel by pixel: memory before the current pair already holds new values.
void referenceBlurPass(Image& img, bool motion) {
  const int e = img.edge, d = motion ? 4 : 8;
  Pixel* px = img.data();
  for (int p = e; p < e * (e - 1); p += 2) {
    const Pixel oldFirst = px[p];
    for (int q = p; q < p + 2; ++q) {
      const Pixel left = q == p ? px[q - 1] : oldFirst;
      px[q] = perChannel(px[q], [&](int k) {
        return channel(px[q], k) / 2 + channel(left, k) / d + channel(px[q + 1], k) / d +
               (motion ? 0 : channel(px[q - e], k) / 8 + channel(px[q + e], k) / 8);
      });
    }
  }
  for (int j = 0; j < e; ++j) {  // the outer rows take the colour of their inner neighbours
    img.at(0, j) = (img.at(0, j) & 0xFF000000u) | (img.at(1, j) & 0xFFFFFFu);
    img.at(e - 1, j) = (img.at(e - 1, j) & 0xFF000000u) | (img.at(e - 2, j) & 0xFFFFFFu);
  }
}

TEST(FiltersBlur, NeighboursFollowMemoryOrderAndPassOrder) {
  // A single colour loses only rounding: 127 + 4 x 31 and 127 + 2 x 63.
  Image blurred(32, bgra(255, 200, 16, 77)), motion(32, bgra(255, 200, 16, 77));
  blurInPlace(blurred);
  motionBlurInPlace(motion);
  EXPECT_EQ(blurred.px, Image(32, bgra(251, 200, 16, 77)).px);
  EXPECT_EQ(motion.px, Image(32, bgra(253, 200, 16, 77)).px);
  // The last pixel of row 0 is the left neighbour of (1, 0) and the upper one of (1, 31);
  // (2, 0) sees both new values. Row 0 is then rebuilt from row 1.
  Image img(32, grey(0, 10));
  img.at(0, 31) = grey(255, 10);
  blurInPlace(img);
  EXPECT_TRUE(blue(img.at(1, 0)) == 31 && blue(img.at(1, 31)) == 31 && img.at(0, 31) == img.at(1, 31));
  EXPECT_EQ(blue(img.at(2, 0)), 6);
  // The first pixel of row 2 is the right neighbour of (1, 31); the second pixel of its
  // pair sees its old value.
  img = Image(32, grey(0, 10));
  img.at(2, 0) = grey(255, 10);
  blurInPlace(img);
  EXPECT_TRUE(blue(img.at(1, 31)) == 31 && blue(img.at(2, 0)) == 127 + 3 + 3 && blue(img.at(2, 1)) == 31);
  motion = Image(32, grey(0, 10));
  motion.at(0, 31) = motion.at(1, 3) = grey(255, 10);
  motionBlurInPlace(motion);
  const int row1[6] = {63, 0, 63, 127, 31, 0};  // (1, 4) sees the new (1, 3)
  for (int j = 0; j < 6; ++j) EXPECT_EQ(blue(motion.at(1, j)), row1[j]) << j;
}

TEST(FiltersBlur, PackedPassesMatchThePlainReference) {
  for (int edge : {32, 34, 64})  // at 34 a step of eight pixels straddles two rows
    for (std::uint32_t seed : {1u, 0xC0FFEEu})
      for (bool motion : {false, true}) {
        // The first pass reads the layer below, the later ones the layer itself.
        const Image below = patternImage(edge, seed);
        Image fast(edge, 0xDEADBEEFu), slow = below;
        for (int pass = 0; pass < 4; ++pass) {
          (motion ? motionBlurPass : blurPass)(pass ? fast.data() : below.px.data(), fast.data(), edge);
          referenceBlurPass(slow, motion);
          ASSERT_EQ(fast.px, slow.px) << "edge " << edge << " seed " << seed << " motion " << motion;
        }
      }
}

Image referenceRadialBlur(const Image& in, int zoom) {
  const int e = in.edge, c = e / 2;
  Image out = in;
  for (int i = 0; i < e; ++i)
    for (int j = 0; j < e; ++j) {
      const int sc = static_cast<int>(c + (j - c) * (255 - zoom) * 0.00392156862745098);
      const int sr = static_cast<int>(c + (i - c) * (255 - zoom) * 0.00392156862745098);
      const Pixel a = in.at(i, j), b = sc >= 0 && sc < e && sr >= 0 && sr < e ? in.at(sr, sc) : a;
      out.at(i, j) = perChannel(a, [&](int k) { return (channel(a, k) + channel(b, k)) / 2; });
    }
  return out;
}

TEST(FiltersRadialBlur, MatchesReferenceAndHandledZooms) {
  for (int edge : {32, 64})
    for (int zoom : {1, 37, 128, 200, 254, 510}) {
      Image fast = patternImage(edge, 31 + zoom), slow = fast;
      for (int pass = 0; pass < 3; ++pass) {
        fast = run(fast, radial(zoom));
        slow = referenceRadialBlur(slow, zoom);
        ASSERT_EQ(fast.px, slow.px) << "edge " << edge << " zoom " << zoom << " pass " << pass;
      }
    }
  // Zoom 0 and a huge zoom change nothing; zoom 255 reads the centre pixel everywhere.
  for (int edge : {32, 512}) EXPECT_EQ(run(patternImage(edge, 5), radial(0)).px, patternImage(edge, 5).px);
  EXPECT_EQ(run(patternImage(32, 8), radial(100000)).px, patternImage(32, 8).px);
  Image img(32, bgra(0, 20, 255, 3));
  img.at(16, 16) = bgra(200, 101, 7, 9);
  img = run(img, radial(255));
  EXPECT_TRUE(img.at(16, 16) == bgra(200, 101, 7, 9) && img.at(0, 0) == bgra(100, 60, 131, 3));
  EXPECT_EQ(img.at(31, 30), bgra(100, 60, 131, 3));
}

// n[0..8] = TL, T, TR, L, C, R, BL, B, BR of one channel, borders clamped.
template <class Kernel>
Image reference3x3(const Image& in, Kernel kernel) {
  const int e = in.edge;
  auto clampEdge = [e](int v) { return std::clamp(v, 0, e - 1); };
  Image out(e);
  for (int i = 0; i < e; ++i)
    for (int j = 0; j < e; ++j)
      out.at(i, j) = perChannel(in.at(i, j), [&](int k) {
        int n[9], m = 0;
        for (int di = -1; di <= 1; ++di)
          for (int dj = -1; dj <= 1; ++dj) n[m++] = channel(in.at(clampEdge(i + di), clampEdge(j + dj)), k);
        return std::clamp(kernel(n), 0, 255);
      });
  return out;
}

TEST(Filters3x3, MatchReferenceAtEveryBorder) {
  auto check = [](auto filter, auto kernel, const char* name) {
    for (int edge : {32, 37, 64})  // 37: every vector loop ends in a part of a vector
      for (Pixel mask : {0xFFFFFFFFu, 0xFF3F3F3Fu}) {  // 0..63: emboss mostly below its clamp
        Image in = patternImage(edge, edge + mask % 7);
        for (Pixel& p : in.px) p &= mask;
        ASSERT_EQ(filtered(in, filter).px, reference3x3(in, kernel).px) << name << " edge " << edge;
      }
  };
  check(median, [](const int* n) { std::vector<int> m(n, n + 9); std::ranges::sort(m); return m[4]; }, "median");
  check(dilate, [](const int* n) { return *std::max_element(n, n + 9); }, "dilate");
  check(erode, [](const int* n) { return *std::min_element(n, n + 9); }, "erode");
  check(edgeDetect, [](const int* n) { return 2 * std::abs(n[0] + 2 * n[1] + n[2] - n[6] - 2 * n[7] - n[8]); }, "edge");
  check(emboss, [](const int* n) {
    const int v = (n[6] + n[7] + n[8]) - (n[0] + n[1] + n[2]) + 128;
    const int h = (n[2] + n[5] + n[8]) - (n[0] + n[3] + n[6]) + 128;
    return static_cast<int>(std::sqrt(double(v * v + h * h)));
  }, "emboss");
  check(sharpen, [](const int* n) {
    return 5 * n[4] / 2 - (n[1] + n[7] + n[3] + n[5]) / 4 - (n[0] + n[2] + n[6] + n[8]) / 8;
  }, "sharpen");
}

TEST(Filters3x3, HandWorkedPixels) {
  // Median: a border pixel counts four times in its own neighbourhood and still goes.
  Image spots(32, grey(100, 50));
  spots.at(9, 17) = spots.at(0, 0) = grey(255, 50);
  EXPECT_EQ(filtered(spots, median).px, Image(32, grey(100, 50)).px);
  // Dilate grows a corner pixel into a 2 x 2 square; erode gives the pixel back.
  Image corner(32, grey(0, 1));
  const Pixel dot = corner.at(31, 0) = bgra(90, 80, 70, 1);
  const Image square = filtered(corner, dilate);
  EXPECT_TRUE(std::count(square.px.begin(), square.px.end(), dot) == 4 && square.at(30, 1) == dot);
  EXPECT_EQ(filtered(square, erode).px, corner.px);
  // Edge sees only horizontal edges: rows 15 and 16 straddle the boundary, 2 x 4 x 255
  // clamps, 2 x 4 x 10, 2 x 4 x 7; vertical ones give nothing.
  Image rows(32), cols(32);
  for (int i = 0; i < 32; ++i)
    for (int j = 0; j < 32; ++j) {
      rows.at(i, j) = i < 16 ? bgra(0, 0, 7, j) : bgra(255, 10, 0, j);
      cols.at(i, j) = grey(j < 16 ? 0 : 10, i);
    }
  const Image lit = filtered(rows, edgeDetect), none = filtered(cols, edgeDetect), embossed = filtered(cols, emboss);
  for (int i = 0; i < 32; ++i)
    for (int j = 0; j < 32; ++j)
      ASSERT_TRUE(none.at(i, j) == grey(0, i) &&
                  lit.at(i, j) == (i == 15 || i == 16 ? bgra(255, 80, 56, j) : grey(0, j))) << i << "," << j;
  // Emboss: flat gives sqrt(2) x 128 = 181, beside the step h = 158: 203.3. Sharpen keeps
  // a flat image; 5c div 2 - edge neighbours div 4 - corners div 8, and (0, 0) is its own
  // upper and left neighbour: 300 - 110 - 52.
  EXPECT_TRUE(embossed.at(7, 0) == grey(181, 7) && embossed.at(7, 15) == grey(203, 7));
  EXPECT_EQ(embossed.at(7, 16), grey(203, 7));
  Image bump(32, grey(100, 7));
  EXPECT_EQ(filtered(bump, sharpen).px, bump.px);
  bump.at(0, 0) = bump.at(20, 11) = grey(120, 7);
  const Image s = filtered(bump, sharpen);
  EXPECT_TRUE(s.at(20, 11) == grey(150, 7) && s.at(19, 11) == grey(95, 7) && s.at(21, 12) == grey(98, 7));
  EXPECT_EQ(s.at(0, 0), grey(138, 7));
}

}  // namespace
}  // namespace vandrel::texgen::test
