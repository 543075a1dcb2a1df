// Times loading and saving a full pack (every texture rebuilt) and the undo
// checkpoint of a full scene store.
//
//   build/data_bench

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "pack/complex_pack.h"
#include "pack/document.h"
#include "platform/os/parallel.h"
#include "render/device_setup.h"
#include "scene/geometry_text.h"
#include "scene/scene_store.h"
#include "scene/undo.h"
#include "texgen/texture_log_file.h"
#include "texgen/texture_store.h"

using namespace vandrel;

namespace {

// Twelve operations of the everyday kind: generators, distortions, filters,
// colour steps and a mix.
const char kTwelveOperations[] =
    "tsize=256;\nPlasm(200,10,120,40);\nSindistort(20,40,10,60);\nNoise(60);\nblur(3);\n"
    "twirl(128,128,128,170,100);\nAdjustColor(128,120,180);\nCells(90,240,90,255);\n"
    "mixer(6,7,128,128,0);\nemboss();\nScaleColor(200,150,100);\nInvert();\nclear_alfa();\nend\n";

std::string fullPack() {
  pack::resetDocument();
  for (int slot = 1; slot <= 253; ++slot) {
    texgen::TextureStore& t = texgen::textureStore;
    t.currentSlot = slot;
    t.entryCount = 1;
    texgen::readLog(kTwelveOperations);
    t.slots[slot].entryCount = t.entryCount;
    t.slots[slot].edgeSize = t.edgeSize;
  }
  texgen::textureStore.currentSlot = 1;
  return pack::writePack();
}

// Argument: the thread count (the slots are rebuilt on that many cores).
void loadFullPack(benchmark::State& state) {
  const std::string text = fullPack();
  render::createDevice();
  os::setThreadCount(static_cast<int>(state.range(0)));
  for (auto _ : state) pack::readPack(text);
  os::setThreadCount(0);
  render::releaseDevice();
  state.counters["bytes"] = static_cast<double>(text.size());
}

void saveFullPack(benchmark::State& state) {
  fullPack();
  for (auto _ : state) benchmark::DoNotOptimize(pack::writePack());
}

// 127 scenes of 255 objects with a few modifiers each.
void checkpointFullStore(benchmark::State& state) {
  pack::resetDocument();
  for (int s = 0; s < scene::kMaxScenes; ++s) {
    if (s > 0) scene::newScene();
    while (scene::currentSceneRecord().objectCount < scene::kMaxObjects) {
      scene::insertObject(true);
      scene::currentModifierList().count = 3;
    }
  }
  for (auto _ : state) {
    if (state.range(0) == 0)
      scene::checkpoint();
    else
      benchmark::DoNotOptimize(scene::writeAllScenes());
  }
  state.counters["bytes"] = static_cast<double>(scene::writeAllScenes().size());
}

// One thread, then all of them; wall-clock time, the other threads' work included.
BENCHMARK(loadFullPack)
    ->ArgName("threads")
    ->Apply([](benchmark::internal::Benchmark* b) {
      b->Arg(1);
      if (os::threadCount() > 1) b->Arg(os::threadCount());
    })
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);
BENCHMARK(saveFullPack)->Unit(benchmark::kMillisecond);
// Argument 0: the whole checkpoint; 1: only the text it writes.
BENCHMARK(checkpointFullStore)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
