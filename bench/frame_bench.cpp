// Times one whole frame of a busy scene: 200 spheres of 32 x 32 with three
// modifiers each and a sun, meshes rebuilt and drawn by the software device at
// 640 x 480, clones expanded, the texture uploaded and entry 0 copied back; and
// the demo pack's frame (with each pixel filler); two cubes on the largest grids.
// Each on one thread and on every core.
//
//   build/frame_bench

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/scene_commands.h"
#include "geometry/mesh_state.h"
#include "materials/materials.h"
#include "platform/gfx/rasterizer.h"
#include "platform/os/parallel.h"
#include "pack/document.h"
#include "render/device_setup.h"
#include "render/frame.h"
#include "scene/catalogues.h"
#include "scene/scene_store.h"

using namespace vandrel;

namespace {

constexpr int kObjects = 200;

// crowded 0: a 20 x 10 wall of small spheres 8 units away, side by side, all
// visible; 1: larger spheres 3 to 12 units away in front of one another.
void buildBusyScene(bool crowded) {
  pack::resetDocument();
  geometry::resetMeshState();
  render::resetFrameState();
  render::createDevice();
  materials::Material& m = materials::materialStore.materials[1];
  m.Diffuse = {0.8f, 0.6f, 0.4f, 1};
  m.Ambient = {0.1f, 0.1f, 0.1f, 0};
  m.Specular = {0.5f, 0.5f, 0.5f, 0};
  m.Power = 8;
  scene::Scene& sc = scene::currentSceneRecord();
  sc.objectCount = kObjects + 1;
  const std::uint8_t kinds[3] = {0, 2, 9};  // a bulge, a twist and a turn
  for (int k = 0; k < kObjects; ++k) {
    scene::SceneObject& o = scene::objectRecord(0, k);
    o = scene::newSceneObject();
    o.material = 1;
    o.texture = render::kWhiteTexture;
    if (crowded) {
      o.scaleX = o.scaleY = o.scaleZ = 40;
      o.posX = static_cast<std::int16_t>((k % 20 - 10) * 48);
      o.posY = static_cast<std::int16_t>((k / 20 % 5 - 2) * 48);
      o.posZ = static_cast<std::int16_t>(64 - (k / 100) * 256 - (k % 7) * 64);
    } else {
      o.scaleX = o.scaleY = o.scaleZ = 16;
      o.posX = static_cast<std::int16_t>((k % 20) * 48 - 456);
      o.posY = static_cast<std::int16_t>((k / 20) * 64 - 288);
      o.posZ = -256;
    }
    scene::ModifierList& list = scene::modifierList(0, k);
    list.count = 3;
    for (int i = 0; i < 3; ++i) list.modifiers[i] = scene::Modifier{8, -4, 2, 24, 20, kinds[i]};
  }
  scene::SceneObject& sun = scene::objectRecord(0, kObjects);
  sun = scene::newSceneObject();
  sun.primitive = scene::kSun;
  sun.material = 1;
  sun.posX = 200;
  sun.posZ = 300;
  render::frameState.view.cleanView = 1;
}

// Sets the thread count and the filler (1: eight pixels at a time where the
// processor can, 0: one at a time) for one benchmark, and restores the defaults.
struct Threads {
  explicit Threads(std::int64_t n, std::int64_t wide = 1) {
    os::setThreadCount(static_cast<int>(n));
    gfx::setWideFilling(wide != 0);
  }
  ~Threads() {
    os::setThreadCount(0);
    gfx::setWideFilling(true);
  }
};

void renderBusyFrame(benchmark::State& state) {
  const Threads threads(state.range(1));
  buildBusyScene(state.range(0) != 0);
  for (auto _ : state) {
    render::renderFrameAt(1.0f);
    benchmark::DoNotOptimize(render::deviceSetup.device->backBuffer());
  }
  const std::uint32_t* image = render::deviceSetup.device->backBuffer();
  int covered = 0;
  for (int i = 0; i < 640 * 480; ++i) covered += image[i] != render::kBackgroundColour;
  state.counters["covered"] = covered / (640.0 * 480.0);
  render::releaseDevice();
}

// The demo pack's first scene, as the README's command renders it.
void renderDemoFrame(benchmark::State& state) {
  const Threads threads(state.range(0), state.range(1));
  app::SceneCommandOptions options;
  options.input = std::string(VANDREL_SOURCE_DIR) + "/examples/demo.vsc";
  const std::string problem = app::prepareScene(options);
  if (!problem.empty()) {
    state.SkipWithError(problem.c_str());
    return;
  }
  render::resetFrameState();
  for (auto _ : state) {
    render::renderFrameAt(0.0f);
    benchmark::DoNotOptimize(render::deviceSetup.device->backBuffer());
  }
  render::releaseDevice();
}

// Two cubes on grids of 127 x 127 and of 255 x 255 (1.56 million triangles): a
// frame's cost must grow with its triangles, not faster, however large a mesh is.
void renderHugeGridFrame(benchmark::State& state) {
  const Threads threads(state.range(1));
  pack::resetDocument();
  geometry::resetMeshState();
  render::resetFrameState();
  render::createDevice();
  scene::Scene& sc = scene::currentSceneRecord();
  sc.objectCount = 2;
  for (int k = 0; k < 2; ++k) {
    scene::SceneObject& o = scene::objectRecord(0, k);
    o = scene::newSceneObject();
    o.primitive = scene::kCube;
    o.gridN = o.gridM = static_cast<std::uint8_t>(state.range(0));
    o.scaleX = o.scaleY = o.scaleZ = 80;
    o.texture = render::kWhiteTexture;
    o.posX = static_cast<std::int16_t>(k ? 100 : -100);
    o.posZ = -400;
  }
  int triangles = 0;
  for (auto _ : state) {
    render::renderFrameAt(0.0f);
    triangles = geometry::meshState.triangleCount * 2;
    benchmark::DoNotOptimize(render::deviceSetup.device->backBuffer());
  }
  state.counters["triangles/s"] =
      benchmark::Counter(static_cast<double>(triangles), benchmark::Counter::kIsIterationInvariantRate);
  const std::uint32_t* image = render::deviceSetup.device->backBuffer();
  int covered = 0;
  for (int i = 0; i < 640 * 480; ++i) covered += image[i] != render::kBackgroundColour;
  state.counters["covered"] = covered / (640.0 * 480.0);
  render::releaseDevice();
}

// One thread, then every core of the machine.
std::vector<std::int64_t> threadCounts() {
  if (os::threadCount() == 1) return {1};
  return {1, os::threadCount()};
}

}  // namespace

BENCHMARK(renderDemoFrame)
    ->ArgsProduct({threadCounts(), {0, 1}})
    ->ArgNames({"threads", "wide"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(renderBusyFrame)
    ->Apply([](benchmark::internal::Benchmark* b) {
      for (std::int64_t crowded : {0, 1})
        for (std::int64_t threads : threadCounts()) b->Args({crowded, threads});
    })
    ->ArgNames({"crowded", "threads"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(renderHugeGridFrame)
    ->ArgsProduct({{127, 255}, threadCounts()})
    ->ArgNames({"grid", "threads"})
    ->Unit(benchmark::kMillisecond);
