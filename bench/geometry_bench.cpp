// Times the mesh build: grid points per second for a 32 x 32 sphere, bare and
// with a stack of ten modifiers whose spheres of influence hold the whole object.
//
//   build/geometry_bench

#include <benchmark/benchmark.h>

#include "geometry/mesh_build.h"
#include "geometry/mesh_state.h"
#include "materials/materials.h"
#include "render/frame.h"
#include "render/render_settings.h"
#include "scene/scene_store.h"

using namespace vandrel;

namespace {

void setUpSphere(int modifiers) {
  scene::resetSceneStore();
  scene::applyStartupDefaults();
  materials::resetMaterials();
  render::resetRenderSettings();
  geometry::resetMeshState();
  geometry::updateViewRotation(render::renderSettings.currentCamera);
  // Bulges, twists, local and global turns and a stretch, all reaching every point.
  const std::uint8_t kinds[10] = {0, 2, 3, 4, 8, 9, 10, 11, 13, 17};
  scene::ModifierList& list = scene::currentModifierList();
  list.count = static_cast<std::uint8_t>(modifiers);
  for (int k = 0; k < modifiers; ++k)
    list.modifiers[k] = scene::Modifier{8, -4, 2, 256, 20, kinds[k]};
}

void buildSphere(benchmark::State& state) {
  setUpSphere(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    geometry::buildCurrentObjectMesh(render::meshInputs());
    benchmark::DoNotOptimize(geometry::meshState.vertices.data());
  }
  state.counters["points/s"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * 33 * 33, benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(buildSphere)->Arg(0)->Arg(10)->ArgName("modifiers")->Unit(benchmark::kMicrosecond);
