// Filters: the in-place blurs, the radial blur and the 3 x 3 neighbourhood filters.
// The optimised code is compared with plain per-pixel, per-channel versions below.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

#include "texgen/image_util.h"

namespace vandrel::texgen::test {
namespace {

int channel(Pixel p, int k) { return (p >> (8 * k)) & 0xFF; }
Pixel withChannels(const int ch[3], Pixel alphaFrom) { return bgra(ch[0], ch[1], ch[2], alpha(alphaFrom)); }

// Exactly sized and full of rubbish: a filter can neither rely on its content nor run
// past the image without the sanitizer noticing.
std::vector<Pixel> dirtyScratch(int edge) { return std::vector<Pixel>(std::size_t(edge) * edge, 0xDEADBEEFu); }

using Filter = void (*)(Pixel*, Pixel*, int);
Image run(Filter f, Image img) {
  std::vector<Pixel> scratch = dirtyScratch(img.edge);
  f(img.data(), scratch.data(), img.edge);
  return img;
}

// In place, pixel by pixel: memory before the current pair already holds new values.
void referenceBlurPass(Image& img, bool motion) {
  const int e = img.edge;
  Pixel* px = img.data();
  for (int p = e; p < e * (e - 1); p += 2) {
    const Pixel oldFirst = px[p];
    for (int q = p; q < p + 2; ++q) {
      const Pixel left = q == p ? px[q - 1] : oldFirst;
      const int div = motion ? 4 : 8;
      int ch[3];
      for (int k = 0; k < 3; ++k) {
        int v = channel(px[q], k) / 2;
        v = std::min(v + channel(left, k) / div, 255);
        v = std::min(v + channel(px[q + 1], k) / div, 255);
        if (!motion) v = std::min(v + channel(px[q - e], k) / 8, 255);
        if (!motion) v = std::min(v + channel(px[q + e], k) / 8, 255);
        ch[k] = v;
      }
      px[q] = withChannels(ch, px[q]);
    }
  }
  for (int j = 0; j < e; ++j) {
    img.at(0, j) = (img.at(0, j) & 0xFF000000u) | (img.at(1, j) & 0xFFFFFFu);
    img.at(e - 1, j) = (img.at(e - 1, j) & 0xFF000000u) | (img.at(e - 2, j) & 0xFFFFFFu);
  }
}

Image referenceRadialBlur(const Image& in, int zoom) {
  const int e = in.edge, c = e / 2;
  Image out = in;
  for (int i = 0; i < e; ++i)
    for (int j = 0; j < e; ++j) {
      const int sc = static_cast<int>(c + (j - c) * (255 - zoom) * 0.00392156862745098);
      const int sr = static_cast<int>(c + (i - c) * (255 - zoom) * 0.00392156862745098);
      if (sc < 0 || sc >= e || sr < 0 || sr >= e) continue;
      int ch[3];
      for (int k = 0; k < 3; ++k) ch[k] = (channel(in.at(sr, sc), k) + channel(in.at(i, j), k)) / 2;
      out.at(i, j) = withChannels(ch, in.at(i, j));
    }
  return out;
}

// n[0..8] = TL, T, TR, L, C, R, BL, B, BR of one channel.
using Kernel = std::function<int(const int* n)>;

Image reference3x3(const Image& in, const Kernel& kernel) {
  const int e = in.edge;
  Image out(e);
  for (int i = 0; i < e; ++i)
    for (int j = 0; j < e; ++j) {
      int ch[3];
      for (int k = 0; k < 3; ++k) {
        int n[9], m = 0;
        for (int di = -1; di <= 1; ++di)
          for (int dj = -1; dj <= 1; ++dj)
            n[m++] = channel(in.at(std::clamp(i + di, 0, e - 1), std::clamp(j + dj, 0, e - 1)), k);
        ch[k] = std::clamp(kernel(n), 0, 255);
      }
      out.at(i, j) = withChannels(ch, in.at(i, j));
    }
  return out;
}

int medianByFiveLargest(const int* n) {
  int top[5] = {-1, -1, -1, -1, -1};  // descending
  for (int m = 0; m < 9; ++m) {
    int pos = 5;
    while (pos > 0 && top[pos - 1] < n[m]) {
      if (pos < 5) top[pos] = top[pos - 1];
      --pos;
    }
    if (pos < 5) top[pos] = n[m];
  }
  return top[4];
}

// --- blur and motion blur -------------------------------------------------------

TEST(FiltersBlur, SingleColourLosesOnlyRounding) {
  Image blurred(32, bgra(255, 200, 16, 77)), motion(32, bgra(255, 200, 16, 77));
  blurPass(blurred.data(), 32);
  motionBlurPass(motion.data(), 32);
  EXPECT_EQ(blurred.px, Image(32, bgra(251, 200, 16, 77)).px);  // 127 + 4 x 31
  EXPECT_EQ(motion.px, Image(32, bgra(253, 200, 16, 77)).px);   // 127 + 2 x 63

  // No flat value ever gets brighter, however often the pass runs.
  for (int v = 0; v < 256; ++v) {
    Image a(32, grey(v, 255)), b(32, grey(v, 255));
    for (int pass = 0; pass < 3; ++pass) {
      const int beforeA = blue(a.at(5, 5)), beforeB = blue(b.at(5, 5));
      blurPass(a.data(), 32);
      motionBlurPass(b.data(), 32);
      ASSERT_LE(blue(a.at(5, 5)), beforeA) << v;
      ASSERT_LE(blue(b.at(5, 5)), beforeB) << v;
    }
  }
}

TEST(FiltersBlur, NeighboursFollowMemoryOrderAndPassOrder) {
  // The last pixel of row 0 is the left neighbour of (1, 0) and the upper one of
  // (1, 31); (2, 0) sees both new values. Row 0 is then rebuilt from row 1.
  Image img(32, grey(0, 10));
  img.at(0, 31) = grey(255, 10);
  blurPass(img.data(), 32);
  EXPECT_EQ(blue(img.at(1, 0)), 31);
  EXPECT_EQ(blue(img.at(1, 31)), 31);
  EXPECT_EQ(blue(img.at(2, 0)), 6);  // 31 div 8 from the left and from above
  EXPECT_EQ(img.at(0, 31), img.at(1, 31));

  // The first pixel of row 2 is the right neighbour of (1, 31); the second pixel of
  // its pair sees its old value.
  Image second(32, grey(0, 10));
  second.at(2, 0) = grey(255, 10);
  blurPass(second.data(), 32);
  EXPECT_EQ(blue(second.at(1, 31)), 31);
  EXPECT_EQ(blue(second.at(2, 0)), 127 + 3 + 3);
  EXPECT_EQ(blue(second.at(2, 1)), 31);

  Image motion(32, grey(0, 10));
  motion.at(0, 31) = grey(255, 10);
  motion.at(1, 3) = grey(255, 10);
  motionBlurPass(motion.data(), 32);
  const int row1[6] = {63, 0, 63, 127, 31, 0};  // (1, 4) sees the new (1, 3)
  for (int j = 0; j < 6; ++j) EXPECT_EQ(blue(motion.at(1, j)), row1[j]) << j;
}

TEST(FiltersBlur, MatchesReferenceKeepsAlphaAndOuterRows) {
  for (int edge : {32, 64})
    for (std::uint32_t seed : {1u, 777u, 0xC0FFEEu})
      for (bool motion : {false, true}) {
        const Image original = patternImage(edge, seed);
        Image fast = original, slow = original;
        for (int pass = 0; pass < 4; ++pass) {
          (motion ? motionBlurPass : blurPass)(fast.data(), edge);
          referenceBlurPass(slow, motion);
          ASSERT_EQ(fast.px, slow.px) << "edge " << edge << " seed " << seed << " motion " << motion;
        }
        for (int j = 0; j < edge; ++j) {
          EXPECT_EQ(fast.at(0, j) & 0xFFFFFFu, fast.at(1, j) & 0xFFFFFFu);
          EXPECT_EQ(fast.at(edge - 1, j) & 0xFFFFFFu, fast.at(edge - 2, j) & 0xFFFFFFu);
        }
        for (std::size_t k = 0; k < fast.px.size(); ++k) ASSERT_EQ(alpha(fast.px[k]), alpha(original.px[k]));
      }
}

// --- radial blur ---------------------------------------------------------------

TEST(FiltersRadialBlur, ZoomZeroFullZoomAndSourcesOutside) {
  for (int edge : {32, 64, 128, 256, 512}) {
    const Image original = patternImage(edge, 5);
    std::vector<Pixel> scratch = dirtyScratch(edge);
    Image img = original;
    radialBlurPass(img.data(), scratch.data(), edge, 0);
    ASSERT_EQ(img.px, original.px) << edge;
  }

  // Zoom 255 reads the centre pixel everywhere; the centre itself stays.
  Image img(32);
  for (int i = 0; i < 32; ++i)
    for (int j = 0; j < 32; ++j) img.at(i, j) = bgra(0, 20, 255, i * 8 + j % 8);
  img.at(16, 16) = bgra(200, 101, 7, 9);
  std::vector<Pixel> scratch = dirtyScratch(32);
  radialBlurPass(img.data(), scratch.data(), 32, 255);
  EXPECT_EQ(img.at(16, 16), bgra(200, 101, 7, 9));
  EXPECT_EQ(img.at(0, 0), bgra(100, 60, 131, 0));
  EXPECT_EQ(img.at(31, 30), bgra(100, 60, 131, 31 * 8 + 6));

  // Beyond the trackbar range, zoom 510 mirrors through the centre (source edge - x):
  // row 0 and column 0 would read index 32 and stay; a huge zoom changes nothing.
  const Image original = patternImage(32, 8);
  img = original;
  radialBlurPass(img.data(), scratch.data(), 32, 510);
  for (int k = 0; k < 32; ++k) EXPECT_TRUE(img.at(0, k) == original.at(0, k) && img.at(k, 0) == original.at(k, 0));
  int mean[3];
  for (int k = 0; k < 3; ++k) mean[k] = (channel(original.at(1, 2), k) + channel(original.at(31, 30), k)) / 2;
  EXPECT_EQ(img.at(1, 2), withChannels(mean, original.at(1, 2)));
  img = original;
  radialBlurPass(img.data(), scratch.data(), 32, 100000);
  EXPECT_EQ(img.px, original.px);
}

TEST(FiltersRadialBlur, MatchesReference) {
  for (int edge : {32, 64})
    for (int zoom : {1, 37, 128, 200, 254, 510}) {
      Image fast = patternImage(edge, 31 + zoom), slow = fast;
      std::vector<Pixel> scratch = dirtyScratch(edge);
      for (int pass = 0; pass < 3; ++pass) {
        radialBlurPass(fast.data(), scratch.data(), edge, zoom);
        slow = referenceRadialBlur(slow, zoom);
        ASSERT_EQ(fast.px, slow.px) << "edge " << edge << " zoom " << zoom << " pass " << pass;
      }
    }
}

// --- 3 x 3 filters -------------------------------------------------------------

TEST(Filters3x3, MatchReferenceAtEveryBorder) {
  const struct {
    const char* name;
    Filter filter;
    Kernel kernel;
  } cases[] = {
      {"median", median, medianByFiveLargest},
      {"dilate", dilate, [](const int* n) { return *std::max_element(n, n + 9); }},
      {"erode", erode, [](const int* n) { return *std::min_element(n, n + 9); }},
      {"edge", edgeDetect, [](const int* n) { return 2 * std::abs(n[0] + 2 * n[1] + n[2] - n[6] - 2 * n[7] - n[8]); }},
      {"emboss", emboss,
       [](const int* n) {
         const int v = (n[6] + n[7] + n[8]) - (n[0] + n[1] + n[2]) + 128;
         const int h = (n[2] + n[5] + n[8]) - (n[0] + n[3] + n[6]) + 128;
         return static_cast<int>(std::sqrt(double(v * v + h * h)));
       }},
      {"sharpen", sharpen,
       [](const int* n) { return 5 * n[4] / 2 - (n[1] + n[7] + n[3] + n[5]) / 4 - (n[0] + n[2] + n[6] + n[8]) / 8; }},
  };
  for (const auto& c : cases)
    for (int edge : {32, 64})
      for (std::uint32_t seed : {3u, 4242u})
        for (Pixel colourMask : {0xFFFFFFFFu, 0xFF3F3F3Fu}) {  // 0..63: emboss mostly below its clamp
          Image input = patternImage(edge, seed);
          for (Pixel& p : input.px) p &= colourMask;
          ASSERT_EQ(run(c.filter, input).px, reference3x3(input, c.kernel).px) << c.name << " edge " << edge;
        }
}

TEST(Filters3x3, MedianDilateErodeShapes) {
  Image spots(32, grey(100, 50));
  spots.at(9, 17) = grey(255, 50);
  spots.at(0, 0) = grey(255, 50);  // counted four times in its own neighbourhood
  spots.at(31, 31) = grey(0, 50);
  EXPECT_EQ(run(median, spots).px, Image(32, grey(100, 50)).px);

  Image dot(32, grey(0, 200));
  dot.at(10, 20) = bgra(200, 150, 100, 200);
  const Image square = run(dilate, dot);
  for (int i = 0; i < 32; ++i)
    for (int j = 0; j < 32; ++j) {
      const bool inside = std::abs(i - 10) <= 1 && std::abs(j - 20) <= 1;
      ASSERT_EQ(square.at(i, j), inside ? bgra(200, 150, 100, 200) : grey(0, 200)) << i << "," << j;
    }
  EXPECT_EQ(run(erode, square).px, dot.px);

  // In a corner the square is 2 x 2, and erode still gives back the single pixel.
  Image corner(32, grey(0, 1));
  corner.at(31, 0) = grey(90, 1);
  const Image cornerSquare = run(dilate, corner);
  int lit = 0;
  for (Pixel p : cornerSquare.px) lit += p == grey(90, 1);
  EXPECT_EQ(lit, 4);
  EXPECT_EQ(cornerSquare.at(30, 1), grey(90, 1));
  EXPECT_EQ(run(erode, cornerSquare).px, corner.px);
}

TEST(Filters3x3, EdgeSeesOnlyHorizontalEdges) {
  Image stripes(32), boundary(32);
  for (int i = 0; i < 32; ++i)
    for (int j = 0; j < 32; ++j) {
      stripes.at(i, j) = grey((j / 2) % 2 ? 255 : 0, i);
      boundary.at(i, j) = i < 16 ? bgra(0, 0, 7, j) : bgra(255, 10, 0, j);
    }
  const Image flat = run(edgeDetect, stripes), lit = run(edgeDetect, boundary);
  for (int i = 0; i < 32; ++i)
    for (int j = 0; j < 32; ++j) {
      ASSERT_EQ(flat.at(i, j), grey(0, i));
      // Rows 15 and 16 straddle the boundary: 2 x 4 x 255 clamps, 2 x 4 x 10, 2 x 4 x 7.
      ASSERT_EQ(lit.at(i, j), i == 15 || i == 16 ? bgra(255, 80, 56, j) : grey(0, j)) << i << "," << j;
    }
}

TEST(Filters3x3, EmbossAndSharpenOnFlatAndStepped) {
  for (int v : {0, 1, 3, 128, 255}) {
    const Image flat(32, grey(v, 33));
    EXPECT_EQ(run(emboss, flat).px, Image(32, grey(181, 33)).px) << v;
    EXPECT_EQ(run(sharpen, flat).px, flat.px) << v;
  }

  // Vertical steps of +10 and -10: h = 128 +- 30 beside the step, v = 128.
  Image rising(32), falling(32);
  for (int i = 0; i < 32; ++i)
    for (int j = 0; j < 32; ++j) {
      rising.at(i, j) = grey(j < 16 ? 0 : 10, 0);
      falling.at(i, j) = grey(j < 16 ? 10 : 0, 0);
    }
  const Image a = run(emboss, rising), b = run(emboss, falling);
  for (int i : {0, 7, 31}) {
    EXPECT_EQ(blue(a.at(i, 15)), 203);  // sqrt(158^2 + 128^2) = 203.3
    EXPECT_EQ(blue(a.at(i, 16)), 203);
    EXPECT_EQ(blue(b.at(i, 16)), 161);  // sqrt(98^2 + 128^2) = 161.2
    EXPECT_EQ(blue(a.at(i, 0)), 181);
    EXPECT_EQ(blue(a.at(i, 31)), 181);
  }

  Image bump(32, grey(100, 7));
  bump.at(0, 0) = grey(120, 7);
  bump.at(20, 11) = grey(120, 7);
  const Image s = run(sharpen, bump);
  EXPECT_EQ(s.at(20, 11), grey(150, 7));  // 300 - 100 - 50
  EXPECT_EQ(s.at(19, 11), grey(95, 7));   // 250 - 105 - 50
  EXPECT_EQ(s.at(21, 12), grey(98, 7));   // 250 - 100 - 52
  EXPECT_EQ(s.at(0, 0), grey(138, 7));    // its own upper and left neighbour: 300 - 110 - 52
}

}  // namespace
}  // namespace vandrel::texgen::test
