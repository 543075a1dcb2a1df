#include "platform/gfx/rasterizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <random>
#include <utility>
#include <vector>

namespace vandrel::gfx {
namespace {

constexpr int kSize = 64;
constexpr D3DCOLOR kGrey = 0x00787878;

struct Target {
  std::vector<std::uint32_t> colour = std::vector<std::uint32_t>(kSize * kSize, kGrey);
  std::vector<std::uint16_t> depth = std::vector<std::uint16_t>(kSize * kSize, 0xFFFF);
  RenderTarget rt{colour.data(), kSize, depth.data(), kSize, kSize};
  std::uint32_t at(int x, int y) const { return colour[y * kSize + x]; }
  std::uint16_t z(int x, int y) const { return depth[y * kSize + x]; }
  int changed() const {
    int n = 0;
    for (std::uint32_t c : colour) n += c != kGrey;
    return n;
  }
};

// A vertex that lands on screen position (sx, sy) with depth z, scaled by w.
ShadedVertex vtx(float sx, float sy, float z = 0.5f, D3DCOLOR c = 0xFFFFFFFF, float w = 1.0f) {
  ShadedVertex v{};
  v.x = (sx / (kSize / 2.0f) - 1.0f) * w;
  v.y = (1.0f - sy / (kSize / 2.0f)) * w;
  v.z = z * w;
  v.w = w;
  v.diffuse[0] = static_cast<float>(c >> 16 & 0xFF) / 255.0f;
  v.diffuse[1] = static_cast<float>(c >> 8 & 0xFF) / 255.0f;
  v.diffuse[2] = static_cast<float>(c & 0xFF) / 255.0f;
  v.diffuse[3] = static_cast<float>(c >> 24) / 255.0f;
  v.fog = 1.0f;
  return v;
}

DeviceState defaults() {
  DeviceState s;
  resetToDefaults(s);
  return s;
}

// Covers pixels x + y < 64 of the target.
void bigTriangle(const DeviceState& s, Target& t, float z, D3DCOLOR c) {
  const ShadedVertex v[3] = {vtx(0, 0, z, c), vtx(64, 0, z, c), vtx(0, 64, z, c)};
  drawTriangles(s, v, 1, t.rt);
}

std::shared_ptr<Texture> texture(int edge, D3DFORMAT format, std::vector<std::uint32_t> texels) {
  auto tex = std::make_shared<Texture>(edge, 1, 0, format);
  for (std::size_t i = 0; i < texels.size(); ++i) tex->pixels()[i] = texels[i];
  return tex;
}

TEST(Rasterizer, CoverageFollowsTheTopLeftRuleWithoutGapsOrOverlap) {
  DeviceState s = defaults();
  s.renderStates[D3DRS_ALPHABLENDENABLE] = 1;  // ONE + ONE: a pixel drawn twice doubles
  s.renderStates[D3DRS_DESTBLEND] = D3DBLEND_ONE;
  Target t;
  std::fill(t.colour.begin(), t.colour.end(), 0u);
  const D3DCOLOR c = 0xFF333333;
  const ShadedVertex v[6] = {vtx(1, 1, .5f, c), vtx(5, 1, .5f, c), vtx(1, 5, .5f, c),
                             vtx(5, 1, .5f, c), vtx(5, 5, .5f, c), vtx(1, 5, .5f, c)};
  // Top and left edges are in, the diagonal (a right edge here) is out.
  drawTriangles(s, v, 1, t.rt);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      EXPECT_EQ(t.at(x, y), x >= 1 && y >= 1 && x + y < 6 ? c : 0u) << x << "," << y;
  // The second triangle takes the diagonal (its left edge), not its right and bottom edges.
  drawTriangles(s, v + 3, 1, t.rt);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      EXPECT_EQ(t.at(x, y), x >= 1 && y >= 1 && x <= 4 && y <= 4 ? c : 0u) << x << "," << y;
}

TEST(Rasterizer, NearerSurfaceWinsInEitherOrderAndDepthIsStoredIn16Bits) {
  DeviceState s = defaults();
  for (bool nearFirst : {true, false}) {
    Target t;
    bigTriangle(s, t, nearFirst ? 0.25f : 0.75f, nearFirst ? 0xFFFF0000 : 0xFF00FF00);
    bigTriangle(s, t, nearFirst ? 0.75f : 0.25f, nearFirst ? 0xFF00FF00 : 0xFFFF0000);
    EXPECT_EQ(t.at(10, 10), 0xFFFF0000u);
    EXPECT_EQ(t.z(10, 10), 16384);   // round(0.25 * 65535)
    EXPECT_EQ(t.z(40, 40), 0xFFFF);  // outside the triangle
  }
  Target t;
  bigTriangle(s, t, 0.25f, 0xFFFF0000);
  s.renderStates[D3DRS_ZFUNC] = D3DCMP_GREATER;
  s.renderStates[D3DRS_ZWRITEENABLE] = 0;
  bigTriangle(s, t, 0.75f, 0xFF00FF00);  // farther passes GREATER, depth kept
  EXPECT_EQ(t.at(10, 10), 0xFF00FF00u);
  EXPECT_EQ(t.z(10, 10), 16384);
  s.renderStates[D3DRS_ZFUNC] = D3DCMP_LESS;
  s.renderStates[D3DRS_ZWRITEENABLE] = 1;
  s.renderStates[D3DRS_ZENABLE] = D3DZB_FALSE;
  bigTriangle(s, t, 0.9f, 0xFF0000FF);  // no test, no write
  EXPECT_EQ(t.at(10, 10), 0xFF0000FFu);
  EXPECT_EQ(t.z(10, 10), 16384);
}

TEST(Rasterizer, CullModesRemoveTheirWindingAndZeroAreaDrawsNothing) {
  const ShadedVertex cw[3] = {vtx(0, 0), vtx(20, 0), vtx(0, 20)};
  const ShadedVertex ccw[3] = {vtx(0, 0), vtx(0, 20), vtx(20, 0)};
  struct Case {
    DWORD mode;
    bool drawsCw, drawsCcw;
  };
  for (Case c : {Case{D3DCULL_NONE, true, true}, Case{D3DCULL_CW, false, true},
                 Case{D3DCULL_CCW, true, false}}) {
    DeviceState s = defaults();
    s.renderStates[D3DRS_CULLMODE] = c.mode;
    Target a, b;
    drawTriangles(s, cw, 1, a.rt);
    drawTriangles(s, ccw, 1, b.rt);
    EXPECT_EQ(a.changed(), c.drawsCw ? 210 : 0) << c.mode;  // 20 + 19 + ... + 1
    EXPECT_EQ(b.changed(), c.drawsCcw ? 210 : 0) << c.mode;
  }
  DeviceState s = defaults();
  s.renderStates[D3DRS_CULLMODE] = D3DCULL_NONE;
  const ShadedVertex flat[3] = {vtx(0, 0), vtx(10, 10), vtx(20, 20)};
  Target t;
  drawTriangles(s, flat, 1, t.rt);
  EXPECT_EQ(t.changed(), 0);
}

TEST(Rasterizer, WireframeDrawsOnlyTheEdgesOfSurvivingTriangles) {
  DeviceState s = defaults();
  s.renderStates[D3DRS_FILLMODE] = D3DFILL_WIREFRAME;
  const ShadedVertex v[3] = {vtx(2, 2), vtx(12, 2), vtx(2, 12)};
  Target t;
  drawTriangles(s, v, 1, t.rt);
  EXPECT_EQ(t.changed(), 30);  // three edges of 11 pixels sharing 3 corners
  for (auto [x, y] : {std::pair{2, 2}, {12, 2}, {2, 12}, {7, 2}, {2, 7}, {7, 7}})
    EXPECT_EQ(t.at(x, y), 0xFFFFFFFFu) << x << "," << y;
  EXPECT_EQ(t.at(5, 5), kGrey);
  const ShadedVertex back[3] = {vtx(2, 2), vtx(2, 12), vtx(12, 2)};
  Target culled;
  drawTriangles(s, back, 1, culled.rt);
  EXPECT_EQ(culled.changed(), 0);
}

TEST(Rasterizer, BlendOperationsAgainstGrey) {
  struct Case {
    DWORD op;
    D3DCOLOR expected;
  };
  // Source (200, 64, 120) alpha 1 over (120, 120, 120) alpha 0, factors ONE and ONE.
  for (Case c : {Case{D3DBLENDOP_ADD, 0xFFFFB8F0}, Case{D3DBLENDOP_SUBTRACT, 0xFF500000},
                 Case{D3DBLENDOP_REVSUBTRACT, 0x00003800}, Case{D3DBLENDOP_MIN, 0x00784078},
                 Case{D3DBLENDOP_MAX, 0xFFC87878}}) {
    DeviceState s = defaults();
    s.renderStates[D3DRS_ALPHABLENDENABLE] = 1;
    s.renderStates[D3DRS_BLENDOP] = c.op;
    s.renderStates[D3DRS_DESTBLEND] = D3DBLEND_ONE;
    Target t;
    bigTriangle(s, t, 0.5f, 0xFFC84078);
    EXPECT_EQ(t.at(10, 10), c.expected) << c.op;
  }
  // Classic transparency with the vertex alpha 64/255.
  DeviceState s = defaults();
  s.renderStates[D3DRS_ALPHABLENDENABLE] = 1;
  s.renderStates[D3DRS_SRCBLEND] = D3DBLEND_SRCALPHA;
  s.renderStates[D3DRS_DESTBLEND] = D3DBLEND_INVSRCALPHA;
  s.stageStates[0][D3DTSS_ALPHAOP] = D3DTOP_SELECTARG2;
  Target t;
  bigTriangle(s, t, 0.5f, 0x40C84078);
  EXPECT_EQ(t.at(10, 10), 0x108C6A78u);  // 200a + 120(1-a) = 140.1, 105.9, 120; a*a = 16.1
}

TEST(Rasterizer, AlphaTestRejectsWithoutWritingDepth) {
  DeviceState s = defaults();
  s.renderStates[D3DRS_ALPHATESTENABLE] = 1;
  s.renderStates[D3DRS_ALPHAFUNC] = D3DCMP_GREATEREQUAL;
  s.renderStates[D3DRS_ALPHAREF] = 1;
  s.stageStates[0][D3DTSS_ALPHAOP] = D3DTOP_SELECTARG2;  // alpha from the vertices
  Target t;
  bigTriangle(s, t, 0.25f, 0x00FFFFFF);
  EXPECT_EQ(t.at(10, 10), kGrey);
  EXPECT_EQ(t.z(10, 10), 0xFFFF);
  bigTriangle(s, t, 0.25f, 0x01FFFFFF);
  EXPECT_EQ(t.at(10, 10), 0x01FFFFFFu);
  EXPECT_EQ(t.z(10, 10), 16384);
}

TEST(Rasterizer, FogMixesTowardsTheFogColourButNotAlpha) {
  DeviceState s = defaults();
  s.renderStates[D3DRS_FOGENABLE] = 1;
  s.renderStates[D3DRS_FOGCOLOR] = 0x00C80000;
  for (auto [f, expected] :
       {std::pair{1.0f, 0xFF0066CCu}, {0.5f, 0xFF643366u}, {0.0f, 0xFFC80000u}}) {
    ShadedVertex v[3] = {vtx(0, 0, .5f, 0xFF0066CC), vtx(64, 0, .5f, 0xFF0066CC),
                         vtx(0, 64, .5f, 0xFF0066CC)};
    for (ShadedVertex& x : v) x.fog = f;
    Target t;
    drawTriangles(s, v, 1, t.rt);
    EXPECT_EQ(t.at(10, 10), expected) << f;
  }
}

TEST(Rasterizer, SecondStageAddsSubtractsAndModulates) {
  struct Case {
    DWORD op;
    D3DCOLOR expected;
  };
  // Stage 0: (96, 64, 32) from a texture without alpha; stage 1 texture (48, 48, 48).
  for (Case c : {Case{D3DTOP_ADD, 0xFF907050}, Case{D3DTOP_SUBTRACT, 0xFF000010},
                 Case{D3DTOP_MODULATE, 0xFF120C06}}) {
    DeviceState s = defaults();
    s.textures[0] = texture(1, D3DFMT_X8R8G8B8, {0x00604020});
    s.textures[1] = texture(1, D3DFMT_X8R8G8B8, {0x00303030});
    s.stageStates[1][D3DTSS_COLOROP] = c.op;
    Target t;
    bigTriangle(s, t, 0.5f, 0xFFFFFFFF);
    EXPECT_EQ(t.at(10, 10), c.expected) << c.op;
    // Stage 1 without its texture passes stage 0's result on, whatever its operation.
    s.textures[1].reset();
    bigTriangle(s, t, 0.5f, 0xFFFFFFFF);
    EXPECT_EQ(t.at(10, 10), 0xFF604020u) << c.op;
  }
}

TEST(Rasterizer, MagnifiedCheckerIsBlendedByLinearAndBlockyByPoint) {
  for (bool linear : {true, false}) {
    DeviceState s = defaults();
    s.textures[0] = texture(2, D3DFMT_A8R8G8B8, {0xFFFFFFFF, 0xFF000000, 0xFF000000, 0xFFFFFFFF});
    // Only the magnification filter applies: 2 x 2 texels over 64 x 64 pixels.
    s.samplerStates[0][D3DSAMP_MAGFILTER] = linear ? D3DTEXF_LINEAR : D3DTEXF_POINT;
    s.samplerStates[0][D3DSAMP_MINFILTER] = linear ? D3DTEXF_POINT : D3DTEXF_LINEAR;
    ShadedVertex v[6] = {vtx(0, 0), vtx(64, 0), vtx(0, 64), vtx(64, 0), vtx(64, 64), vtx(0, 64)};
    for (ShadedVertex& x : v) {
      x.tex[0][0] = x.x > 0 ? 1.0f : 0.0f;
      x.tex[0][1] = x.y < 0 ? 1.0f : 0.0f;
    }
    Target t;
    drawTriangles(s, v, 2, t.rt);
    const auto blue = [&](int x, int y) { return static_cast<int>(t.at(x, y) & 0xFF); };
    if (linear) {
      EXPECT_NEAR(blue(24, 16), 191, 1);  // u * 2 - 0.5 = 0.25: three quarters white
      EXPECT_NEAR(blue(40, 16), 64, 1);
    } else {
      EXPECT_EQ(blue(24, 16), 255);
      EXPECT_EQ(blue(40, 16), 0);
      EXPECT_EQ(blue(24, 40), 0);
      EXPECT_EQ(blue(40, 40), 255);
    }
  }
}

TEST(Rasterizer, FlatShadingTakesTheFirstVertexAndGouraudInterpolates) {
  const ShadedVertex v[3] = {vtx(0, 0, .5f, 0xFFFF0000), vtx(60, 0, .5f, 0xFF00FF00),
                             vtx(0, 60, .5f, 0xFF0000FF)};
  DeviceState s = defaults();
  Target gouraud;
  drawTriangles(s, v, 1, gouraud.rt);
  EXPECT_EQ(gouraud.at(12, 24), 0xFF663366u);  // weights 0.4, 0.2, 0.4
  // Perspective-correct: halfway from w = 1 to w = 3 on screen is a quarter of the way.
  const ShadedVertex deep[3] = {vtx(0, 0, .5f, 0xFF000000), vtx(64, 0, .5f, 0xFFFF0000, 3),
                                vtx(0, 64, .5f, 0xFF000000)};
  Target p;
  drawTriangles(s, deep, 1, p.rt);
  EXPECT_NEAR(static_cast<int>(p.at(32, 1) >> 16 & 0xFF), 64, 1);
  s.renderStates[D3DRS_SHADEMODE] = D3DSHADE_FLAT;
  Target flat;
  drawTriangles(s, v, 1, flat.rt);
  for (auto [x, y] : {std::pair{1, 1}, {12, 24}, {55, 1}, {1, 55}})
    EXPECT_EQ(flat.at(x, y), 0xFFFF0000u);
}

TEST(Rasterizer, NearPlaneClipsAndBadVerticesNeverCrash) {
  DeviceState s = defaults();
  s.renderStates[D3DRS_SHADEMODE] = D3DSHADE_FLAT;
  // z/w = 0.5 x: the left half is in front of the near plane. The first vertex
  // is clipped away but still gives the flat colour.
  ShadedVertex v[3] = {vtx(0, 0, 0, 0xFFFF0000), vtx(64, 0, 0, 0xFF00FF00),
                       vtx(64, 64, 0, 0xFF00FF00)};
  for (ShadedVertex& x : v) x.z = 0.5f * x.x;
  Target t;
  drawTriangles(s, v, 1, t.rt);
  EXPECT_EQ(t.at(20, 5), kGrey);
  EXPECT_EQ(t.at(40, 10), 0xFFFF0000u);
  EXPECT_EQ(t.z(40, 10), 8192);    // z = 0.5 * (40 / 32 - 1) = 0.125
  EXPECT_EQ(t.at(40, 50), kGrey);  // below the diagonal

  // A vertex behind the eye (w < 0, projecting above): the part in front runs
  // from the other two downwards, widening towards the horizon.
  const ShadedVertex behind[3] = {vtx(32, 32, .5f), vtx(48, 32, .5f),
                                  vtx(32, 16, .5f, 0xFFFFFFFF, -1)};
  Target b;
  drawTriangles(s, behind, 1, b.rt);
  EXPECT_EQ(b.at(34, 40), 0xFFFFFFFFu);
  EXPECT_EQ(b.at(60, 63), 0xFFFFFFFFu);
  EXPECT_EQ(b.at(34, 31), kGrey);
  EXPECT_EQ(b.at(30, 40), kGrey);

  const float nan = std::numeric_limits<float>::quiet_NaN(),
              inf = std::numeric_limits<float>::infinity();
  s.renderStates[D3DRS_CULLMODE] = D3DCULL_NONE;
  for (float bad : {nan, inf, -inf}) {
    ShadedVertex w[3] = {vtx(0, 0), vtx(64, 0), vtx(0, 64)};
    w[1].tex[0][0] = bad;
    Target n;
    drawTriangles(s, w, 1, n.rt);
    drawLines(s, w, 1, n.rt);
    EXPECT_EQ(n.changed(), 0);
  }
  // Huge but finite: clipped in double precision, no overflow.
  const ShadedVertex huge[6] = {vtx(32, 32),     vtx(1e30f, 40),
                                vtx(40, -1e30f), vtx(0, 0, .5f, 0xFFFFFFFF, 1e-30f),
                                vtx(3e38f, 0),   vtx(0, 0, -3e38f)};
  Target h;
  drawTriangles(s, huge, 2, h.rt);
  drawLines(s, huge, 3, h.rt);
  s.renderStates[D3DRS_FILLMODE] = D3DFILL_WIREFRAME;
  drawTriangles(s, huge, 2, h.rt);
}

TEST(Rasterizer, LinesDrawBothEndsWithPerspectiveCorrectColour) {
  DeviceState s = defaults();
  const ShadedVertex lines[4] = {vtx(2, 3), vtx(9, 3), vtx(12, 1), vtx(14, 12)};
  Target t;
  drawLines(s, lines, 2, t.rt);
  EXPECT_EQ(t.changed(), 8 + 12);  // x 2..9, then y 1..12, one pixel each
  for (auto [x, y] : {std::pair{2, 3}, {9, 3}, {12, 1}, {14, 12}})
    EXPECT_EQ(t.at(x, y), 0xFFFFFFFFu);
  EXPECT_EQ(t.at(10, 3), kGrey);

  // Black to red from w = 1 to w = 3: at the screen midpoint the red weight is
  // (0.5 / 3) / (0.5 / 1 + 0.5 / 3) = 0.25.
  const ShadedVertex ramp[2] = {vtx(0, 32, .5f, 0xFF000000), vtx(32, 32, .5f, 0xFFFF0000, 3)};
  Target r;
  drawLines(s, ramp, 1, r.rt);
  EXPECT_NEAR(static_cast<int>(r.at(16, 32) >> 16 & 0xFF), 64, 1);

  // Depth-tested like triangles: hidden behind z = 0.25.
  std::fill(r.depth.begin(), r.depth.end(), std::uint16_t{16384});
  const ShadedVertex hidden[2] = {vtx(0, 50, .75f), vtx(63, 50, .75f)};
  drawLines(s, hidden, 1, r.rt);
  EXPECT_EQ(r.at(30, 50), kGrey);
}

// Random states the eight-pixel filler covers, random buffers and random
// triangles (clipped, steep in w, with wild coordinates and fog factors).
class RandomDraw {
 public:
  explicit RandomDraw(unsigned seed) : random_(seed) {}

  DeviceState states() {
    DeviceState s = defaults();
    s.renderStates[D3DRS_CULLMODE] = D3DCULL_NONE;
    s.renderStates[D3DRS_ZENABLE] = pick(4) != 0;
    s.renderStates[D3DRS_ZWRITEENABLE] = pick(2);
    s.renderStates[D3DRS_ZFUNC] = 1 + pick(8);
    s.renderStates[D3DRS_SHADEMODE] = pick(4) ? D3DSHADE_GOURAUD : D3DSHADE_FLAT;
    s.renderStates[D3DRS_SPECULARENABLE] = pick(2);
    s.renderStates[D3DRS_FOGENABLE] = pick(2);
    s.renderStates[D3DRS_FOGCOLOR] = word();
    s.renderStates[D3DRS_ALPHATESTENABLE] = pick(3) == 0;
    s.renderStates[D3DRS_ALPHAFUNC] = 1 + pick(8);
    s.renderStates[D3DRS_ALPHAREF] = pick(256);
    s.renderStates[D3DRS_ALPHABLENDENABLE] = pick(2);
    s.renderStates[D3DRS_BLENDOP] = 1 + pick(5);
    s.renderStates[D3DRS_SRCBLEND] = 1 + pick(6);
    s.renderStates[D3DRS_DESTBLEND] = 1 + pick(6);
    const DWORD ops[] = {D3DTOP_DISABLE, D3DTOP_SELECTARG1, D3DTOP_SELECTARG2, D3DTOP_MODULATE,
                         D3DTOP_ADD, D3DTOP_SUBTRACT};
    const DWORD args[] = {D3DTA_DIFFUSE, D3DTA_CURRENT, D3DTA_TEXTURE};
    for (int stage = 0; stage < 2; ++stage) {
      // Mostly the renderer's own programs: the product form at stage 0.
      if (stage == 0 && pick(2) == 0) {
        s.stageStates[0][D3DTSS_COLOROP] = D3DTOP_MODULATE;
      } else {
        s.stageStates[stage][D3DTSS_COLOROP] = ops[pick(6)];
        s.stageStates[stage][D3DTSS_ALPHAOP] = ops[pick(6)];
        for (auto arg : {D3DTSS_COLORARG1, D3DTSS_COLORARG2, D3DTSS_ALPHAARG1, D3DTSS_ALPHAARG2})
          s.stageStates[stage][arg] = args[pick(3)];
      }
      s.samplerStates[stage][D3DSAMP_MAGFILTER] = 1 + pick(2);
      s.samplerStates[stage][D3DSAMP_MINFILTER] = 1 + pick(2);
      if (pick(5) == 0) continue;  // no texture bound
      const int edge = 1 << pick(7);
      std::vector<std::uint32_t> texels(static_cast<std::size_t>(edge) * edge);
      for (std::uint32_t& t : texels) t = word();
      s.textures[stage] = texture(edge, pick(2) ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8, texels);
    }
    return s;
  }

  ShadedVertex vertex() {
    ShadedVertex v{};
    const float w = pick(3) ? 1.0f : real(0.05f, 20.0f);
    v.x = real(-1.4f, 1.4f) * w;
    v.y = real(-1.4f, 1.4f) * w;
    v.z = real(-0.1f, 1.1f) * w;
    v.w = w;
    for (float& c : v.diffuse) c = real(0.0f, 1.0f);
    for (float& c : v.specular) c = real(0.0f, 1.0f);
    v.fog = real(-0.2f, 1.2f);
    for (auto& uv : v.tex)
      for (float& t : uv) t = real(-3.0f, 3.0f);
    return v;
  }

  std::uint32_t word() { return static_cast<std::uint32_t>(random_()); }

 private:
  DWORD pick(int n) { return static_cast<DWORD>(random_() % static_cast<unsigned>(n)); }
  float real(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(random_); }
  std::mt19937 random_;
};

TEST(Rasterizer, EightPixelFillerGivesTheBitsOfTheOnePixelFiller) {
  if (!wideFilling()) GTEST_SKIP() << "this processor has no AVX2";
  RandomDraw r(2024);
  for (int draw = 0; draw < 400; ++draw) {
    // Odd widths and a wider pitch, so that runs end at every lane and rows do
    // not line up; now and then a target narrower than eight pixels.
    const int width = draw % 8 == 0 ? 5 : 83, height = 57, pitch = width + 8;
    const DeviceState s = r.states();
    std::vector<ShadedVertex> v(3 * 6);
    for (ShadedVertex& x : v) x = r.vertex();
    std::vector<std::uint32_t> colour(static_cast<std::size_t>(pitch) * height);
    std::vector<std::uint16_t> depth(static_cast<std::size_t>(width) * height);
    for (std::uint32_t& c : colour) c = r.word();
    for (std::uint16_t& z : depth) z = static_cast<std::uint16_t>(r.word());
    std::vector<std::uint32_t> colourOne = colour;
    std::vector<std::uint16_t> depthOne = depth;
    RenderTarget wide{colour.data(), pitch, depth.data(), width, height};
    RenderTarget one{colourOne.data(), pitch, depthOne.data(), width, height};
    drawTriangles(s, v.data(), 6, wide);
    setWideFilling(false);
    drawTriangles(s, v.data(), 6, one);
    setWideFilling(true);
    ASSERT_EQ(colour, colourOne) << "draw " << draw;
    ASSERT_EQ(depth, depthOne) << "draw " << draw;
  }
}

}  // namespace
}  // namespace vandrel::gfx
