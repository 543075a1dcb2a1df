#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <deque>
#include <vector>

#include "texgen/image_util.h"
#include "texgen/ops.h"

namespace vandrel::texgen {
namespace {

using test::alpha;
using test::bgra;
using test::blue;
using test::green;
using test::grey;
using test::Image;
using test::patternImage;
using test::red;

int channel(Pixel p, int n) { return (p >> (8 * n)) & 0xFF; }

TEST(ColourMixer, TypesGiveTheirDocumentedResults) {
  const Image s1 = patternImage(32, 7), s2 = patternImage(32, 99);
  const Image base = patternImage(32, 5);
  auto mixed = [&](const Image& a, const Image& b, int w1, int w2, int type) {
    Image out = base;
    mixer(out.data(), a.px.data(), b.px.data(), 32, w1, w2, type);
    return out;
  };
  const Image black = mixed(s1, s1, 200, 200, 1);
  const Image maxImg = mixed(s1, s2, 128, 128, 4);
  const Image minImg = mixed(s1, s2, 128, 128, 5);
  for (std::size_t k = 0; k < base.px.size(); ++k) {
    EXPECT_EQ(black.px[k], base.px[k] & 0xFF000000u);
    EXPECT_EQ(alpha(maxImg.px[k]), alpha(base.px[k]));
    for (int n = 0; n < 3; ++n) {
      EXPECT_EQ(channel(maxImg.px[k], n), std::max(channel(s1.px[k], n), channel(s2.px[k], n)));
      EXPECT_EQ(channel(minImg.px[k], n), std::min(channel(s1.px[k], n), channel(s2.px[k], n)));
    }
  }
  const Image white(32, grey(255, 0));
  EXPECT_EQ(mixed(white, white, 255, 255, 0).at(3, 4), bgra(255, 255, 255, alpha(base.at(3, 4))));
  for (int type : {6, 255, -1}) EXPECT_EQ(mixed(s1, s2, 128, 128, type).px, base.px);

  // Hand-computed: a = 200 x 255 = 51000, b = 100 x 128 = 12800.
  const Image bright(32, bgra(200, 200, 200, 9)), dim(32, bgra(100, 100, 100, 9));
  EXPECT_EQ(blue(mixed(bright, dim, 255, 128, 3).at(0, 0)), 155);  // (796 x 12800) div 65536
  EXPECT_EQ(blue(mixed(bright, dim, 255, 128, 1).at(0, 0)), 149);  // 199 - 50
  EXPECT_EQ(blue(mixed(bright, dim, 255, 128, 2).at(0, 0)), 0);    // 50 - 199, clamped
  EXPECT_EQ(blue(mixed(dim, bright, 128, 255, 2).at(0, 0)), 149);
  EXPECT_EQ(blue(mixed(bright, dim, 255, 128, 0).at(0, 0)), 249);

  // The layer may be one of the sources: each pixel is read before it is written.
  Image self = s1;
  mixer(self.data(), self.data(), s2.px.data(), 32, 128, 128, 0);
  Image expected = s1;
  mixer(expected.data(), s1.px.data(), s2.px.data(), 32, 128, 128, 0);
  EXPECT_EQ(self.px, expected.px);
}

TEST(ColourAlpha, ClearAndAlphaOperationsTouchOnlyTheirBytes) {
  const Image in = patternImage(32, 3);
  Image img = in;
  clear(img.data(), 32);
  EXPECT_TRUE(std::all_of(img.px.begin(), img.px.end(), [](Pixel p) { return p == 0; }));

  Image opaque = in, noRgb = in, bToA = in, inv = in;
  clearAlfa(opaque.data(), 32);
  clearRgb(noRgb.data(), 32);
  copyBToAlfa(bToA.data(), 32);
  invert(inv.data(), 32);
  for (std::size_t k = 0; k < in.px.size(); ++k) {
    const Pixel p = in.px[k];
    EXPECT_EQ(opaque.px[k], (p & 0xFFFFFFu) | 0xFF000000u);
    EXPECT_EQ(noRgb.px[k], p & 0xFF000000u);
    EXPECT_EQ(bToA.px[k], bgra(blue(p), green(p), red(p), blue(p)));
    EXPECT_EQ(inv.px[k], bgra(255 - blue(p), 255 - green(p), 255 - red(p), alpha(p)));
  }
}

TEST(ColourScale, MatchesTruncatedRealQuotient) {
  const Image in = patternImage(64, 11);
  Image same = in;
  scaleColor(same.data(), 64, 128, 128, 128);
  EXPECT_EQ(same.px, in.px);
  for (auto [r, g, b] : {std::array{0, 255, 1}, std::array{3, 129, 200}}) {
    Image img = in;
    scaleColor(img.data(), 64, r, g, b);
    for (std::size_t k = 0; k < in.px.size(); ++k) {
      const Pixel p = in.px[k];
      auto scaled = [](int f, int v) { return std::min(255, static_cast<int>(f * v / 128.0)); };
      EXPECT_EQ(img.px[k],
                bgra(scaled(b, blue(p)), scaled(g, green(p)), scaled(r, red(p)), alpha(p)));
    }
  }
}

// Straightforward per-pixel AdjustColor, in the floating form.
void adjustReference(Image& img, int p1, int p2, int p3) {
  auto weight = [](int k) {
    if (k >= 84 && k <= 167) return 252;
    if (k >= 42 && k < 84) return (k - 42) * 6;
    if (k > 167 && k <= 209) return (209 - k) * 6 + 6;
    return 0;
  };
  const int t = 255 - p1;
  const int g = t + 85 > 255 ? t + 85 - 255 : t + 85;
  const int h = t + 170 > 255 ? t + 170 - 255 : t + 170;
  const int w[3] = {weight(t), weight(g), weight(h)};
  for (Pixel& p : img.px) {
    const int b[3] = {blue(p), green(p), red(p)};
    const int s[3] = {b[0] * w[0] + b[1] * w[2] + b[2] * w[1],
                      b[0] * w[1] + b[1] * w[0] + b[2] * w[2],
                      b[0] * w[2] + b[1] * w[1] + b[2] * w[0]};
    int out[3];
    for (int n = 0; n < 3; ++n) {
      const double v = (s[n] / 252.0 * 0.5 + (2 * p2 - 256)) * (4 * p3 / 256.0);
      out[n] = static_cast<int>(std::clamp(v, 0.0, 255.0));
    }
    p = bgra(out[0], out[1], out[2], alpha(p));
  }
}

TEST(ColourAdjust, EqualsThePerPixelFormula) {
  const Image in = patternImage(64, 21);
  Image same = in;
  adjustColor(same.data(), 64, 128, 128, 128);
  EXPECT_EQ(same.px, in.px);

  Image rotated = in;  // hue 215: weights 0, 252, 0 move each channel into the next
  adjustColor(rotated.data(), 64, 215, 128, 128);
  for (std::size_t k = 0; k < in.px.size(); ++k)
    EXPECT_EQ(rotated.px[k], bgra(red(in.px[k]), blue(in.px[k]), green(in.px[k]), alpha(in.px[k])));

  for (auto [p1, p2, p3] :
       {std::array{0, 0, 0}, std::array{255, 255, 255}, std::array{0, 255, 0},
        std::array{255, 0, 255}, std::array{37, 128, 96}, std::array{180, 77, 200},
        std::array{131, 200, 13}, std::array{90, 140, 255}}) {
    Image fast = in, ref = in;
    adjustColor(fast.data(), 64, p1, p2, p3);
    adjustReference(ref, p1, p2, p3);
    EXPECT_EQ(fast.px, ref.px) << p1 << " " << p2 << " " << p3;
  }

  // With hue 131 (weights 252, 6, 0) the pixels below reach every weighted sum up to
  // 43 x 255, so every level threshold is met exactly, for every contrast.
  Image sums(128);
  for (int k = 0; k < 128 * 128; ++k) sums.px[k] = bgra(k * 7 % 256, k % 42, k / 42 % 256, k % 251);
  for (int p2 : {0, 77, 128, 201}) {
    for (int p3 = 0; p3 <= 255; p3 += (p2 == 77 ? 1 : 17)) {
      Image fast = sums, ref = sums;
      adjustColor(fast.data(), 128, 131, p2, p3);
      adjustReference(ref, 131, p2, p3);
      ASSERT_EQ(fast.px, ref.px) << p2 << " " << p3;
    }
  }
}

// addparticle evaluated on every pixel, without any window.
Image particleReference(const Image& in, const double p[7]) {
  Image out = in;
  const int e = in.edge;
  const double cx = e * p[0] / 256, cy = e * p[1] / 256, R = e * p[5] / 256;
  const double m = (p[6] - 128) / 128;
  const double k[3] = {2 * m * (p[4] - 128), 2 * m * (p[3] - 128), 2 * m * (p[2] - 128)};
  for (int i = 0; i < e; ++i)
    for (int j = 0; j < e; ++j) {
      const double d = std::min(std::sqrt((j - cx) * (j - cx) + (i - cy) * (i - cy)), R);
      const double f = (R - d) / (R + 1);
      int v[3];
      for (int n = 0; n < 3; ++n)
        v[n] = static_cast<int>(std::clamp(channel(in.at(i, j), n) + f * k[n], 0.0, 255.0));
      out.at(i, j) = bgra(v[0], v[1], v[2], alpha(in.at(i, j)));
    }
  return out;
}

TEST(ColourParticle, LightsAConeAndLeavesTheRest) {
  Image img(32, grey(100, 77));
  addparticle(img.data(), 32, 128, 128, 255, 128, 0, 128, 160);  // centre 16,16, R 16, m 0.25
  EXPECT_EQ(img.at(16, 20), bgra(54, 100, 144, 77));  // f = 12/17: 100 + 44.8, 100 - 45.2
  EXPECT_EQ(img.at(16, 0), grey(100, 77));            // at distance R
  EXPECT_EQ(img.at(0, 0), grey(100, 77));

  const Image in = patternImage(64, 8);
  Image neutral = in;
  addparticle(neutral.data(), 64, 128, 128, 255, 0, 255, 255, 128);
  EXPECT_EQ(neutral.px, in.px);
  const double cases[][7] = {{128, 128, 255, 255, 255, 128, 255},
                             {0, 0, 0, 200, 30, 255, 0},
                             {255, 3, 10, 250, 128, 77, 201},
                             {40, 250, 255, 255, 0, 0, 255},
                             {255, 255, 129, 127, 64, 255, 255}};
  for (const auto& c : cases) {
    Image fast = in;
    addparticle(fast.data(), 64, c[0], c[1], c[2], c[3], c[4], c[5], c[6]);
    EXPECT_EQ(fast.px, particleReference(in, c).px) << c[0] << " " << c[1] << " " << c[5];
  }
}

// Border crossfade written with plain division.
Image crossfadeReference(const Image& in, int p1, int p2) {
  Image out = in;
  const int e = in.edge, w = p1 * e / 512;
  for (int a = 0; a < w; ++a)
    for (int c = 0; c < e; ++c) {
      Pixel& near = p2 == 0 ? out.at(c, a) : out.at(a, c);
      Pixel& far = p2 == 0 ? out.at(c, e - 1 - a) : out.at(e - 1 - a, c);
      int nb[3], fb[3];
      for (int n = 0; n < 3; ++n) {
        const int b = channel(near, n), d = channel(far, n);
        const int avgPart = (w - a) * ((b + d) / 2) / w;
        nb[n] = avgPart + a * b / w;
        fb[n] = avgPart + a * d / w;
      }
      near = bgra(nb[0], nb[1], nb[2], alpha(near));
      far = bgra(fb[0], fb[1], fb[2], alpha(far));
    }
  return out;
}

TEST(ColourBorderCrossfade, BlendsOppositeBordersIntoEachOther) {
  const Image in = patternImage(64, 4);
  for (auto [p1, p2] : {std::array{0, 0}, std::array{255, 2}, std::array{7, 1}}) {  // w = 0 for 7
    Image img = in;
    borderCrossfade(img.data(), 64, p1, p2);
    EXPECT_EQ(img.px, in.px);
  }
  Image img = in;
  borderCrossfade(img.data(), 64, 255, 0);  // w = 31
  for (int i = 0; i < 64; ++i) {
    for (int n = 0; n < 3; ++n) {
      const int avg = (channel(in.at(i, 0), n) + channel(in.at(i, 63), n)) / 2;
      EXPECT_EQ(channel(img.at(i, 0), n), avg);
      EXPECT_EQ(channel(img.at(i, 63), n), avg);
    }
    EXPECT_EQ(alpha(img.at(i, 0)), alpha(in.at(i, 0)));
    EXPECT_EQ(img.at(i, 31), in.at(i, 31));  // the zone stops at column 30
    EXPECT_EQ(img.at(i, 32), in.at(i, 32));
  }
  // w = 2, j = 1, b = 100, d = 50: e = 75 div 2 = 37; 37 + 50 and 37 + 25.
  Image two(32, grey(0, 0));
  two.at(5, 1) = grey(100, 1);
  two.at(5, 30) = grey(50, 2);
  borderCrossfade(two.data(), 32, 32, 0);
  EXPECT_EQ(two.at(5, 1), grey(87, 1));
  EXPECT_EQ(two.at(5, 30), grey(62, 2));

  for (int edge : {32, 512})
    for (int p1 = 0; p1 <= 255; p1 += (edge == 32 ? 1 : 37))
      for (int p2 : {0, 1}) {
        const Image src = patternImage(edge, p1 + 1);
        Image fast = src;
        borderCrossfade(fast.data(), edge, p1, p2);
        ASSERT_EQ(fast.px, crossfadeReference(src, p1, p2).px) << edge << " " << p1 << " " << p2;
      }
}

// Breadth-first 4-connected fill, the straightforward way.
Image fillReference(const Image& in, int p1, int p2, int r, int g, int b, int range) {
  Image out = in;
  const int e = in.edge;
  auto bright = [&](int i, int j) {
    return (blue(in.at(i, j)) + green(in.at(i, j)) + red(in.at(i, j))) / 3;
  };
  const int r0 = p2 * e / 256, c0 = p1 * e / 256, ref = bright(r0, c0);
  std::vector<char> seen(static_cast<std::size_t>(e) * e, 0);
  std::deque<std::pair<int, int>> queue{{r0, c0}};
  seen[r0 * e + c0] = 1;
  while (!queue.empty()) {
    auto [i, j] = queue.front();
    queue.pop_front();
    out.at(i, j) = bgra(b, g, r, alpha(in.at(i, j)));
    for (auto [di, dj] : {std::pair{0, -1}, {-1, 0}, {1, 0}, {0, 1}}) {
      const int ni = i + di, nj = j + dj;
      if (ni < 0 || nj < 0 || ni >= e || nj >= e || seen[ni * e + nj]) continue;
      const int c = bright(ni, nj);
      if (c > ref - range && c < ref + range) {
        seen[ni * e + nj] = 1;
        queue.push_back({ni, nj});
      }
    }
  }
  return out;
}

void runFill(Image& img, int p1, int p2, int r, int g, int b, int range) {
  Pixel* scratch = test::scratchImage();
  std::fill_n(scratch, img.px.size(), 0xFFFFFFFFu);  // leftovers of another operation
  solidfill(img.data(), scratch, img.edge, p1, p2, r, g, b, range);
}

TEST(ColourSolidfill, PaintsTheFourConnectedRegion) {
  Image line(32, grey(0, 40));
  for (int j = 3; j <= 20; ++j) line.at(10, j) = grey(200, 41);
  line.at(11, 21) = grey(200, 42);  // touches the line only diagonally
  Image filled = line;
  runFill(filled, 64, 80, 1, 2, 3, 1);  // start at row 10, column 8
  for (int i = 0; i < 32; ++i)
    for (int j = 0; j < 32; ++j) {
      const bool onLine = i == 10 && j >= 3 && j <= 20;
      EXPECT_EQ(filled.at(i, j), onLine ? bgra(3, 2, 1, 41) : line.at(i, j)) << i << "," << j;
    }
  Image single(32, grey(9, 5));
  runFill(single, 0, 255, 255, 0, 0, 0);
  EXPECT_EQ(single.at(31, 0), bgra(0, 0, 255, 5));
  EXPECT_EQ(std::count(single.px.begin(), single.px.end(), grey(9, 5)), 32 * 32 - 1);

  // Scattered brightness levels 100..102 and 140 make ragged regions.
  for (int edge : {32, 128, 512}) {
    Image in(edge);
    std::uint32_t s = 77u + edge;
    for (Pixel& p : in.px) {
      s = s * 1664525u + 1013904223u;
      const int level = (s >> 24) % 5 == 0 ? 140 : 100 + static_cast<int>((s >> 16) % 3);
      p = bgra(level, level + 1, level - 1, s & 0xFF);
    }
    for (auto [p1, p2, range] :
         {std::array{128, 128, 2}, std::array{0, 0, 3}, std::array{255, 17, 1}}) {
      Image fast = in;
      runFill(fast, p1, p2, 10, 20, 30, range);
      EXPECT_EQ(fast.px, fillReference(in, p1, p2, 10, 20, 30, range).px) << edge << " " << p1;
    }
  }

  // A uniform 512 image and a one-pixel-wide serpentine need many rounds and pending entries.
  Image uniform(512, grey(60, 3));
  runFill(uniform, 128, 128, 1, 1, 1, 1);
  EXPECT_TRUE(
      std::all_of(uniform.px.begin(), uniform.px.end(), [](Pixel p) { return p == grey(1, 3); }));
  Image snake(512, grey(0, 0));
  for (int i = 0; i < 512; i += 2) {
    for (int j = 0; j < 512; ++j) snake.at(i, j) = grey(90, 0);
    if (i + 1 < 512) snake.at(i + 1, (i / 2) % 2 == 0 ? 511 : 0) = grey(90, 0);
  }
  Image snakeFilled = snake;
  runFill(snakeFilled, 255, 255, 200, 200, 200, 1);
  EXPECT_EQ(snakeFilled.px, fillReference(snake, 255, 255, 200, 200, 200, 1).px);
  EXPECT_EQ(snakeFilled.at(0, 0), grey(200, 0));
}

TEST(ColourShapes, BoxAndCircleCoverTheirPixels) {
  const Image in(32, grey(7, 99));
  auto drawn = [&](const Image& img) {
    return std::count_if(img.px.begin(), img.px.end(), [](Pixel p) { return p != grey(7, 99); });
  };
  for (auto [w, h] : {std::array{0, 64}, std::array{64, 0}}) {
    Image img = in;
    box(img.data(), 32, 128, 128, w, h, 1, 2, 3);
    EXPECT_EQ(drawn(img), 0);
  }
  Image centred = in, corner = in, far = in;
  box(centred.data(), 32, 128, 128, 64, 64, 1, 2, 3);  // columns and rows 12..19
  box(corner.data(), 32, 0, 0, 64, 64, 1, 2, 3);       // -4..3, clipped to 0..3
  box(far.data(), 32, 255, 255, 64, 64, 1, 2, 3);      // 27..34, clipped to 27..31
  EXPECT_EQ(drawn(centred), 64);
  EXPECT_EQ(centred.at(12, 19), bgra(3, 2, 1, 99));
  EXPECT_EQ(drawn(corner), 16);
  EXPECT_EQ(corner.at(3, 3), bgra(3, 2, 1, 99));
  EXPECT_EQ(drawn(far), 25);
  EXPECT_EQ(far.at(27, 31), bgra(3, 2, 1, 99));

  Image none = in;
  circle(none.data(), 32, 128, 128, 0, 1, 2, 3);
  EXPECT_EQ(drawn(none), 0);
  Image disc = in;
  circle(disc.data(), 32, 128, 128, 32, 1, 2, 3);  // centre 16,16, radius 4
  EXPECT_EQ(drawn(disc), 45);                      // lattice points strictly inside
  EXPECT_EQ(disc.at(16, 19), bgra(3, 2, 1, 0));
  EXPECT_EQ(disc.at(16, 20), grey(7, 99));
  EXPECT_EQ(disc.at(13, 14), bgra(3, 2, 1, 0));  // 9 + 4 < 16
  EXPECT_EQ(disc.at(13, 13), grey(7, 99));       // 9 + 9
  Image edgeDisc = in;
  circle(edgeDisc.data(), 32, 255, 255, 32, 1, 2, 3);  // centre 32,32 lies outside
  EXPECT_EQ(drawn(edgeDisc), 8);                       // 3 + 3 + 2 in rows 31..29
  EXPECT_EQ(edgeDisc.at(31, 31), bgra(3, 2, 1, 0));
}

}  // namespace
}  // namespace vandrel::texgen
