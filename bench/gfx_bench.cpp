// Times the software device on lit, textured, fogged, depth-tested triangles at
// 640 x 480: a frame of 50,000 small triangles covering the screen twice, and
// large triangles alone; then pixel filling on one thread and on all of them: a
// full-screen textured quad added to the picture, 500 large alpha-blended
// triangles, and 20,000 and 100,000 small lit triangles, each with the
// eight-pixel filler and with the one-pixel filler.
//
//   build/gfx_bench

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "platform/gfx/device.h"
#include "platform/gfx/rasterizer.h"
#include "platform/os/parallel.h"
#include "render/device_setup.h"

using namespace vandrel::gfx;

namespace {

// Grid layers facing the camera through the renderer's fixed view and projection:
// x in -4..4 and z in -3..3 fill the screen at depth y.
std::vector<Vertex> gridLayers(int columns, int rows, int layers) {
  std::vector<Vertex> v;
  v.reserve(static_cast<std::size_t>(columns) * rows * 6 * layers);
  for (int layer = 0; layer < layers; ++layer) {
    // The far layer first, so that every pixel of both layers is shaded.
    const float depth = 0.5f * (layers - 1 - layer);
    auto at = [&](int c, int r) {
      const float x = -4.0f * (1.0f + depth / 4) + 8.0f * (1.0f + depth / 4) * c / columns;
      const float z = 3.0f * (1.0f + depth / 4) - 6.0f * (1.0f + depth / 4) * r / rows;
      return Vertex{x, depth, z, 0.3f, -0.9f, 0.3f, 0xFFFFFFFFu, 4.0f * c / columns, 4.0f * r / rows};
    };
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < columns; ++c) {
        Vertex a = at(c, r), b = at(c + 1, r), d = at(c, r + 1), e = at(c + 1, r + 1);
        v.insert(v.end(), {a, b, d, b, e, d});
      }
  }
  return v;
}

void setUpFrameStates(Device& device, std::shared_ptr<Texture> texture) {
  device.setTransform(D3DTS_VIEW, vandrel::render::viewMatrix());
  device.setTransform(D3DTS_PROJECTION, vandrel::render::projectionMatrix());
  device.setRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device.setRenderState(D3DRS_LIGHTING, 1);
  device.setRenderState(D3DRS_SPECULARENABLE, 1);
  device.setRenderState(D3DRS_AMBIENT, 0x00FFFFFF);
  device.setRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
  device.setRenderState(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL);
  device.setRenderState(D3DRS_NORMALIZENORMALS, 1);
  device.setRenderState(D3DRS_FOGENABLE, 1);
  device.setRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
  device.setRenderState(D3DRS_FOGCOLOR, 0x00406080);
  device.setRenderState(D3DRS_FOGSTART, floatBits(2.0f));
  device.setRenderState(D3DRS_FOGEND, floatBits(12.0f));
  device.setSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  D3DMATERIAL9 material{{0.8f, 0.7f, 0.6f, 1}, {0.2f, 0.2f, 0.2f, 1}, {0.5f, 0.5f, 0.5f, 1}, {0, 0, 0, 0}, 20};
  device.setMaterial(material);
  D3DLIGHT9 sun{};
  sun.Type = D3DLIGHT_DIRECTIONAL;
  sun.Diffuse = {1, 1, 1, 0};
  sun.Specular = {1, 1, 1, 0};
  sun.Direction = {-0.3f, 1, -0.4f};
  D3DLIGHT9 lamp{};
  lamp.Type = D3DLIGHT_POINT;
  lamp.Diffuse = {1, 0.8f, 0.5f, 0};
  lamp.Position = {1, -2, 1};
  lamp.Range = 20;
  lamp.Attenuation0 = 1;
  device.setLight(0, sun);
  device.setLight(1, lamp);
  device.lightEnable(0, true);
  device.lightEnable(1, true);
  device.setFVF(kFvfVertex);
  device.setTexture(0, std::move(texture));
}

std::shared_ptr<Texture> checkerTexture(Device& device) {
  auto t = device.createTexture(256, 0, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) t->pixels()[y * 256 + x] = ((x ^ y) & 32) ? 0xFFE0C080u : 0xFF305070u;
  return t;
}

void drawGrid(benchmark::State& state, int columns, int rows, int layers) {
  Device device;
  setUpFrameStates(device, checkerTexture(device));
  const std::vector<Vertex> vertices = gridLayers(columns, rows, layers);
  const int triangles = static_cast<int>(vertices.size() / 3);
  for (auto _ : state) {
    device.clear(D3DCLEAR_ZBUFFER | D3DCLEAR_TARGET, 0x00787878, 1.0f);
    device.drawPrimitiveUP(D3DPT_TRIANGLELIST, triangles, vertices.data(), sizeof(Vertex));
    benchmark::DoNotOptimize(device.backBuffer());
  }
  state.counters["triangles/s"] =
      benchmark::Counter(static_cast<double>(triangles), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["pixels/s"] = benchmark::Counter(640.0 * 480 * layers,
                                                  benchmark::Counter::kIsIterationInvariantRate);
}

// 50,000 triangles of about 12 pixels, two layers over the whole screen.
void frameOfSmallTriangles(benchmark::State& state) { drawGrid(state, 125, 100, 2); }
// About 20 pixels each, one layer.
void smallTriangles(benchmark::State& state) { drawGrid(state, 96, 80, 1); }
// Two triangles per layer, each half the screen.
void largeTriangles(benchmark::State& state) { drawGrid(state, 1, 1, 2); }

BENCHMARK(frameOfSmallTriangles)->Unit(benchmark::kMillisecond);
BENCHMARK(smallTriangles)->Unit(benchmark::kMillisecond);
BENCHMARK(largeTriangles)->Unit(benchmark::kMillisecond);

// Sets the thread count and the filler (1: eight pixels at a time where the
// processor can, 0: one at a time) for one benchmark, and restores the defaults.
struct Threads {
  explicit Threads(std::int64_t n, std::int64_t wide = 1) {
    vandrel::os::setThreadCount(static_cast<int>(n));
    setWideFilling(wide != 0);
  }
  ~Threads() {
    vandrel::os::setThreadCount(0);
    setWideFilling(true);
  }
};

// Clip-space positions (identity transforms, no lighting): the vertex colour is the diffuse colour.
void setUpFlatStates(Device& device, std::shared_ptr<Texture> texture) {
  device.setRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device.setRenderState(D3DRS_LIGHTING, 0);
  device.setSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  device.setSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  device.setFVF(kFvfVertex);
  device.setTexture(0, std::move(texture));
}

Vertex clipVertex(float x, float y, float z, D3DCOLOR colour, float u, float v) {
  return Vertex{x, y, z, 0, 0, -1, colour, u, v};
}

// The whole screen with a 256 x 256 texture, bilinear, added to what is there
// (ONE + ONE), depth tested: every pixel passes, as in a glow pass.
void fullScreenQuad(benchmark::State& state) {
  const Threads threads(state.range(0), state.range(1));
  Device device;
  setUpFlatStates(device, checkerTexture(device));
  device.setRenderState(D3DRS_ALPHABLENDENABLE, 1);
  device.setRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
  device.setRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  const D3DCOLOR c = 0xFF202020;
  const Vertex a = clipVertex(-1, 1, 0.5f, c, 0, 0), b = clipVertex(1, 1, 0.5f, c, 1, 0);
  const Vertex d = clipVertex(-1, -1, 0.5f, c, 0, 1), e = clipVertex(1, -1, 0.5f, c, 1, 1);
  const Vertex quad[6] = {a, b, d, b, e, d};
  device.clear(D3DCLEAR_ZBUFFER | D3DCLEAR_TARGET, 0x00000000, 1.0f);
  for (auto _ : state) {
    device.drawPrimitiveUP(D3DPT_TRIANGLELIST, 2, quad, sizeof(Vertex));
    benchmark::DoNotOptimize(device.backBuffer());
  }
  state.counters["pixels/s"] =
      benchmark::Counter(640.0 * 480, benchmark::Counter::kIsIterationInvariantRate);
}

// 500 triangles of about a fifth of the screen each, spread over it, textured with
// a varying alpha and blended SRCALPHA / INVSRCALPHA, depth tested without writes.
void blendedTriangles(benchmark::State& state) {
  const Threads threads(state.range(0), state.range(1));
  Device device;
  auto texture = checkerTexture(device);
  for (int i = 0; i < 256 * 256; ++i)
    texture->pixels()[i] =
        (texture->pixels()[i] & 0x00FFFFFFu) | static_cast<std::uint32_t>(i % 251) << 24;
  setUpFlatStates(device, texture);
  device.setRenderState(D3DRS_ALPHABLENDENABLE, 1);
  device.setRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device.setRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device.setRenderState(D3DRS_ZWRITEENABLE, 0);
  std::vector<Vertex> vertices;
  std::uint32_t seed = 12345;
  const auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<float>(seed >> 8) / 16777216.0f;  // 0..1
  };
  for (int i = 0; i < 500; ++i) {
    const float cx = next() * 1.6f - 0.8f, cy = next() * 1.6f - 0.8f;
    const D3DCOLOR colour = 0xFF000000u | (seed & 0x00FFFFFFu);
    for (int k = 0; k < 3; ++k) {
      const float x = cx + next() * 1.2f - 0.6f, y = cy + next() * 1.2f - 0.6f;
      vertices.push_back(clipVertex(x, y, 0.2f + 0.6f * next(), colour, x, y));
    }
  }
  device.clear(D3DCLEAR_ZBUFFER | D3DCLEAR_TARGET, 0x00787878, 1.0f);
  for (auto _ : state) {
    device.drawPrimitiveUP(D3DPT_TRIANGLELIST, 500, vertices.data(), sizeof(Vertex));
    benchmark::DoNotOptimize(device.backBuffer());
  }
}

// Lit, textured, fogged triangles in one layer over the screen: 20,000 of about
// 15 pixels and 100,000 of about 3.
void smallLitTriangles(benchmark::State& state) {
  const Threads threads(state.range(1), state.range(2));
  if (state.range(0) == 20000)
    drawGrid(state, 100, 100, 1);
  else
    drawGrid(state, 250, 200, 1);
}

std::vector<std::int64_t> threadCounts() {
  if (vandrel::os::threadCount() == 1) return {1};
  return {1, vandrel::os::threadCount()};
}

BENCHMARK(fullScreenQuad)
    ->ArgsProduct({threadCounts(), {0, 1}})
    ->ArgNames({"threads", "wide"})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(blendedTriangles)
    ->ArgsProduct({threadCounts(), {0, 1}})
    ->ArgNames({"threads", "wide"})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(smallLitTriangles)
    ->ArgsProduct({{20000, 100000}, threadCounts(), {0, 1}})
    ->ArgNames({"triangles", "threads", "wide"})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
