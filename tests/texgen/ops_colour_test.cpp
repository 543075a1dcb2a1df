#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <vector>

#include "texgen/image_util.h"

namespace vandrel::texgen::test {
namespace {

int channel(Pixel p, int n) { return (p >> (8 * n)) & 0xFF; }
template <class F>
Pixel perChannel(Pixel alphaFrom, F f) { return bgra(f(0), f(1), f(2), alpha(alphaFrom)); }

TEST(ColourMixer, TypesGiveTheirDocumentedResults) {
  const Image s1 = patternImage(32, 7), s2 = patternImage(32, 99), base = patternImage(32, 5);
  auto mixed = [&](const Image& a, const Image& b, int w1, int w2, int type) {
    Image out = base;
    mixer(out.data(), a.px.data(), b.px.data(), 32, w1, w2, type);
    return out;
  };
  const Image hi = mixed(s1, s2, 128, 128, 4), lo = mixed(s1, s2, 128, 128, 5);
  for (std::size_t k = 0; k < base.px.size(); ++k) {
    const Pixel a = s1.px[k], b = s2.px[k];
    ASSERT_EQ(hi.px[k], perChannel(base.px[k], [&](int n) { return std::max(channel(a, n), channel(b, n)); }));
    ASSERT_EQ(lo.px[k], perChannel(base.px[k], [&](int n) { return std::min(channel(a, n), channel(b, n)); }));
  }
  for (int type : {6, 255, -1}) EXPECT_EQ(mixed(s1, s2, 128, 128, type).px, base.px);
  const Image white(32, grey(255, 0));
  EXPECT_EQ(mixed(white, white, 255, 255, 0).at(3, 4), bgra(255, 255, 255, alpha(base.at(3, 4))));
  // a = 200 x 255 = 51000, b = 100 x 128 = 12800; type 3 is (a x 4 div 256) x b div 65536.
  const Image bright(32, grey(200, 9)), dim(32, grey(100, 9));
  for (const auto& w : {std::array{0, 249}, {1, 149}, {2, 0}, {3, 155}})
    EXPECT_EQ(blue(mixed(bright, dim, 255, 128, w[0]).at(0, 0)), w[1]) << w[0];
  for (const auto& w : {std::array{1, 0}, {2, 149}})  // the other way round
    EXPECT_EQ(blue(mixed(dim, bright, 128, 255, w[0]).at(0, 0)), w[1]) << w[0];
  // Each weighted byte is truncated on its own: 149.4 + 102.6 gives 251.
  EXPECT_EQ(blue(mixed(Image(32, grey(150, 0)), Image(32, grey(103, 0)), 255, 255, 0).at(0, 0)), 251);
  // The layer may be one of the sources: each pixel is read before it is written.
  Image self = s1, copy = s1;
  mixer(self.data(), self.data(), s2.px.data(), 32, 128, 128, 0);
  mixer(copy.data(), s1.px.data(), s2.px.data(), 32, 128, 128, 0);
  EXPECT_EQ(self.px, copy.px);
}

TEST(ColourPerPixel, AlphaOperationsInvertAndScaleTouchOnlyTheirBytes) {
  const Image in = patternImage(64, 3);
  auto after = [&](void (*op)(Pixel*, int)) { Image img = in; op(img.data(), 64); return img; };
  const Image opaque = after(clearAlfa), noRgb = after(clearRgb), bToA = after(copyBToAlfa), inv = after(invert);
  EXPECT_EQ(after(clear).px, Image(64).px);
  Image same = in, scaled = in;
  scaleColor(same.data(), 64, 128, 128, 128);
  scaleColor(scaled.data(), 64, 3, 129, 255);
  EXPECT_EQ(same.px, in.px);
  const int f[3] = {255, 129, 3};  // blue, green, red
  for (std::size_t k = 0; k < in.px.size(); ++k) {
    const Pixel p = in.px[k];
    ASSERT_TRUE(opaque.px[k] == (p | 0xFF000000u) && noRgb.px[k] == (p & 0xFF000000u) && inv.px[k] == (p ^ 0xFFFFFFu));
    ASSERT_EQ(bToA.px[k], (p & 0xFFFFFFu) | Pixel(blue(p)) << 24);
    ASSERT_EQ(scaled.px[k], perChannel(p, [&](int n) { return std::min(255, int(f[n] * channel(p, n) / 128.0)); }));
  }
}

// Plain per-pixel AdjustColor in the floating form.
void adjustReference(Image& img, int p1, int p2, int p3) {
  auto weight = [](int k) { return k < 42 || k > 209 ? 0 : k < 84 ? (k - 42) * 6 : k < 168 ? 252 : (209 - k) * 6 + 6; };
  const int t = 255 - p1, g = t + 85 > 255 ? t - 170 : t + 85, h = t + 170 > 255 ? t - 85 : t + 170;
  const int w[3] = {weight(t), weight(g), weight(h)};
  for (Pixel& p : img.px) {
    const int b[3] = {blue(p), green(p), red(p)};
    const int s[3] = {b[0] * w[0] + b[1] * w[2] + b[2] * w[1], b[0] * w[1] + b[1] * w[0] + b[2] * w[2],
                      b[0] * w[2] + b[1] * w[1] + b[2] * w[0]};
    p = perChannel(p, [&](int n) {
      return static_cast<int>(std::clamp((s[n] / 252.0 * 0.5 + (2 * p2 - 256)) * (4 * p3 / 256.0), 0.0, 255.0));
    });
  }
}

TEST(ColourAdjust, IntegerFastPathEqualsTheFloatingFormula) {
  const Image in = patternImage(64, 21);
  Image same = in, rotated = in;
  adjustColor(same.data(), 64, 128, 128, 128);
  adjustColor(rotated.data(), 64, 215, 128, 128);  // weights 0, 252, 0 move each channel on
  EXPECT_EQ(same.px, in.px);
  for (std::size_t k = 0; k < in.px.size(); ++k)
    ASSERT_EQ(rotated.px[k], bgra(red(in.px[k]), blue(in.px[k]), green(in.px[k]), alpha(in.px[k])));
  // With hue 131 (weights 252, 6, 0) the second image reaches every weighted sum up to
  // 43 x 255, so every level threshold is met exactly, for every contrast.
  Image sums(128);
  for (int k = 0; k < 128 * 128; ++k) sums.px[k] = bgra(k * 7 % 256, k % 42, k / 42 % 256, k % 251);
  for (const Image& src : {in, sums})
    for (int p1 : {0, 37, 131, 180, 255})
      for (int p2 : {0, 77, 128, 201, 255})
        for (int p3 = 0; p3 <= 255; p3 += (p1 == 131 && p2 == 77 ? 1 : 17)) {
          Image fast = src, ref = src;
          adjustColor(fast.data(), src.edge, p1, p2, p3);
          adjustReference(ref, p1, p2, p3);
          ASSERT_EQ(fast.px, ref.px) << p1 << " " << p2 << " " << p3;
        }
}

TEST(ColourParticle, LightsAConeAndLeavesTheRest) {
  Image img(32, grey(100, 77));
  addparticle(img.data(), 32, 128, 128, 255, 128, 0, 128, 160);  // centre 16,16, R 16, m 0.25
  EXPECT_EQ(img.at(16, 20), bgra(54, 100, 144, 77));               // f = 12/17: 100 + 44.8, 100 - 45.2
  EXPECT_TRUE(img.at(16, 0) == grey(100, 77) && img.at(0, 0) == grey(100, 77));  // at and past R
  // Every pixel evaluated plainly, without any window.
  const Image in = patternImage(64, 8);
  for (const auto& c : {std::array<double, 7>{128, 128, 255, 0, 255, 255, 128}, {128., 128, 255, 255, 255, 128, 255},
                        {0., 0, 0, 200, 30, 255, 0}, {255., 3, 10, 250, 128, 77, 201}, {40., 250, 255, 255, 0, 0, 255},
                        {255., 255, 129, 127, 64, 255, 255}}) {
    Image fast = in, ref = in;
    addparticle(fast.data(), 64, c[0], c[1], c[2], c[3], c[4], c[5], c[6]);
    const double cx = c[0] / 4, cy = c[1] / 4, R = c[5] / 4, m = (c[6] - 128) / 128;
    for (int i = 0; i < 64; ++i)
      for (int j = 0; j < 64; ++j) {
        const double f = (R - std::min(std::sqrt((j - cx) * (j - cx) + (i - cy) * (i - cy)), R)) / (R + 1);
        ref.at(i, j) = perChannel(in.at(i, j), [&](int n) {
          return int(std::clamp(channel(in.at(i, j), n) + f * (2 * m * (c[4 - n] - 128)), 0.0, 255.0));
        });
      }
    EXPECT_EQ(fast.px, ref.px) << c[0] << " " << c[1] << " " << c[5];
  }
}

TEST(ColourBorderCrossfade, BlendsOppositeBordersIntoEachOther) {
  // w = 2, j = 1, b = 100, d = 50: e = 75 div 2 = 37; 37 + 50 and 37 + 25.
  Image two(32, grey(0, 0));
  two.at(5, 1) = grey(100, 1);
  two.at(5, 30) = grey(50, 2);
  borderCrossfade(two.data(), 32, 32, 0);
  EXPECT_TRUE(two.at(5, 1) == grey(87, 1) && two.at(5, 30) == grey(62, 2));
  // Plain division; w = 0 (p1 < 512 / edge) and directions other than 0 and 1 change nothing.
  for (int edge : {32, 512})
    for (int p1 = 0; p1 <= 255; p1 += (edge == 32 ? 1 : 37))
      for (int p2 : {0, 1, 2}) {
        const Image in = patternImage(edge, p1 + 1);
        Image fast = in, ref = in;
        borderCrossfade(fast.data(), edge, p1, p2);
        const int w = p2 < 2 ? p1 * edge / 512 : 0;
        for (int a = 0; a < w; ++a)
          for (int c = 0; c < edge; ++c) {
            Pixel& near = p2 == 0 ? ref.at(c, a) : ref.at(a, c);
            Pixel& far = p2 == 0 ? ref.at(c, edge - 1 - a) : ref.at(edge - 1 - a, c);
            const Pixel b = near, d = far;
            auto avg = [&](int n) { return (w - a) * ((channel(b, n) + channel(d, n)) / 2) / w; };
            near = perChannel(b, [&](int n) { return avg(n) + a * channel(b, n) / w; });
            far = perChannel(d, [&](int n) { return avg(n) + a * channel(d, n) / w; });
          }
        ASSERT_EQ(fast.px, ref.px) << edge << " " << p1 << " " << p2;
      }
}

// Breadth-first 4-connected fill, the straightforward way.
Image fillReference(const Image& in, int p1, int p2, int r, int g, int b, int range) {
  Image out = in;
  const int e = in.edge;
  auto bright = [&](int i, int j) { return (blue(in.at(i, j)) + green(in.at(i, j)) + red(in.at(i, j))) / 3; };
  const int r0 = p2 * e / 256, c0 = p1 * e / 256, ref = bright(r0, c0);
  std::vector<char> seen(std::size_t(e) * e, 0);
  std::deque<std::array<int, 2>> queue{{r0, c0}};
  seen[r0 * e + c0] = 1;
  while (!queue.empty()) {
    const auto [i, j] = queue.front();
    queue.pop_front();
    out.at(i, j) = bgra(b, g, r, alpha(in.at(i, j)));
    for (const auto& [ni, nj] : {std::array{i, j - 1}, {i - 1, j}, {i + 1, j}, {i, j + 1}}) {
      if (ni < 0 || nj < 0 || ni >= e || nj >= e || seen[ni * e + nj]) continue;
      if (std::abs(bright(ni, nj) - ref) >= range) continue;
      seen[ni * e + nj] = 1;
      queue.push_back({ni, nj});
    }
  }
  return out;
}

TEST(ColourSolidfill, PaintsTheFourConnectedRegionLikeAPlainFill) {
  auto fill = [](const Image& in, int p1, int p2, int range) {
    Image img = in;
    Pixel* scratch = scratchImage();
    std::fill_n(scratch, img.px.size(), 0xFFFFFFFFu);  // leftovers of another operation
    solidfill(img.data(), scratch, img.edge, p1, p2, 10, 20, 30, range);
    EXPECT_EQ(img.px, fillReference(in, p1, p2, 10, 20, 30, range).px) << in.edge << " " << p1 << " " << p2;
    return img;
  };
  Image line(32, grey(0, 40));
  for (int j = 3; j <= 20; ++j) line.at(10, j) = grey(200, 41);
  line.at(11, 21) = grey(200, 42);  // touches the line only diagonally
  const Image filled = fill(line, 64, 80, 1);  // start at row 10, column 8
  EXPECT_EQ(std::count(filled.px.begin(), filled.px.end(), bgra(30, 20, 10, 41)), 18);
  EXPECT_EQ(filled.at(11, 21), line.at(11, 21));
  const Image single = fill(Image(32, grey(9, 5)), 0, 255, 0);  // range 0: only the start
  EXPECT_EQ(single.at(31, 0), bgra(30, 20, 10, 5));
  // Scattered brightness levels 100..102 and 140 make ragged regions.
  for (int edge : {32, 512}) {
    Image in = patternImage(edge, 77);
    for (Pixel& p : in.px) p = (p >> 8) % 5 == 0 ? bgra(140, 141, 139, p >> 24) : grey(100 + p % 3, p >> 24);
    for (const auto& t : {std::array{128, 128, 2}, {0, 0, 3}, {255, 17, 1}}) fill(in, t[0], t[1], t[2]);
  }
  // A uniform image and a one-pixel-wide serpentine need many rounds and pending entries.
  fill(Image(512, grey(60, 3)), 128, 128, 1);
  Image snake(512, grey(0, 0));
  for (int i = 0; i < 512; i += 2) {
    for (int j = 0; j < 512; ++j) snake.at(i, j) = grey(90, 0);
    if (i + 1 < 512) snake.at(i + 1, (i / 2) % 2 == 0 ? 511 : 0) = grey(90, 0);
  }
  EXPECT_EQ(fill(snake, 255, 255, 1).at(0, 0), bgra(30, 20, 10, 0));
}

TEST(ColourShapes, BoxAndCircleCoverTheirPixels) {
  const Pixel bg = grey(7, 99), boxed = bgra(3, 2, 1, 99), circled = bgra(3, 2, 1, 0);  // circle clears alpha
  // The number of pixels drawn, one pixel just inside and one just outside.
  auto expectShape = [&](auto draw, long count, std::array<int, 2> in, std::array<int, 2> out, Pixel ink) {
    Image img(32, bg);
    draw(img.data());
    EXPECT_EQ(std::count_if(img.px.begin(), img.px.end(), [&](Pixel p) { return p != bg; }), count);
    EXPECT_TRUE(img.at(in[0], in[1]) == ink && img.at(out[0], out[1]) == bg) << count;
  };
  expectShape([](Pixel* p) { box(p, 32, 128, 128, 0, 64, 1, 2, 3), box(p, 32, 128, 128, 64, 0, 1, 2, 3); }, 0,
              {16, 16}, {16, 16}, bg);
  expectShape([](Pixel* p) { box(p, 32, 128, 128, 64, 64, 1, 2, 3); }, 64, {12, 19}, {11, 19}, boxed);  // 12..19
  expectShape([](Pixel* p) { box(p, 32, 0, 0, 64, 64, 1, 2, 3); }, 16, {3, 3}, {3, 4}, boxed);  // -4..3, clipped
  expectShape([](Pixel* p) { box(p, 32, 255, 255, 64, 64, 1, 2, 3); }, 25, {27, 31}, {26, 31}, boxed);  // 27..34
  expectShape([](Pixel* p) { circle(p, 32, 128, 128, 0, 1, 2, 3); }, 0, {16, 16}, {16, 16}, bg);
  // Centre 16,16, radius 4: the lattice points strictly inside (9 + 4 < 16, 9 + 9 is not).
  expectShape([](Pixel* p) { circle(p, 32, 128, 128, 32, 1, 2, 3); }, 45, {16, 19}, {16, 20}, circled);
  expectShape([](Pixel* p) { circle(p, 32, 128, 128, 32, 1, 2, 3); }, 45, {13, 14}, {13, 13}, circled);
  // Centre 32,32 lies outside: 3 + 3 + 2 pixels in rows 31..29.
  expectShape([](Pixel* p) { circle(p, 32, 255, 255, 32, 1, 2, 3); }, 8, {31, 31}, {28, 31}, circled);
}

}  // namespace
}  // namespace vandrel::texgen::test
