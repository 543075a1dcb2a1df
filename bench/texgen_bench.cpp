// Times every texture operation at 256 and 512 with its default parameters, a
// memory copy of one layer as the physical floor, and the replay of each example
// log.
//
//   build/texgen_bench --benchmark_filter=256

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/os/files.h"
#include "texgen/catalogue.h"
#include "texgen/dispatcher.h"
#include "texgen/editor_hooks.h"
#include "texgen/ops.h"
#include "texgen/parameter_rows.h"
#include "texgen/texture_log_file.h"
#include "texgen/texture_store.h"

using namespace vandrel::texgen;

namespace {

void prepareStore(int edge) {
  fillCatalogue();
  resetTextureHooks();
  resetTextureStore();
  createLayerStack();
  textureStore.edgeSize = edge;
}

// Layer 1 holds a busy picture for the operation to work on, as a log would.
void prepareInput() {
  Pixel* input = layer(1);
  std::uint32_t s = 2463534242u;
  for (int i = 0; i < layerPixels(); ++i) {
    s ^= s << 13;
    s ^= s >> 17;
    s ^= s << 5;
    input[i] = s;
  }
  textureStore.entryCount = 2;
  copyLayer(1, 2);
}

void memcpyLayer(benchmark::State& state) {
  const int edge = static_cast<int>(state.range(0));
  std::vector<Pixel> a(edge * edge, 1), b(edge * edge);
  // A warm copy is the floor: the first copy takes the page faults of fresh memory.
  std::memcpy(b.data(), a.data(), a.size() * sizeof(Pixel));
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), a.size() * sizeof(Pixel));
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * a.size() * sizeof(Pixel));
}

void operation(benchmark::State& state, int code) {
  const int edge = static_cast<int>(state.range(0));
  prepareStore(edge);
  prepareInput();
  const OperationRecord& record = catalogue.records[code];
  for (int i = 1; i <= record.paramCount; ++i) textureHooks.rows->setPosition(i, record.values[i - 1]);
  for (auto _ : state) {
    runOperation(code);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * layerPixels() * sizeof(Pixel));
}

// The per-pixel operations and one blur pass alone, without the dispatcher's copy of
// the layer below, for comparison with the memcpy floor.
void kernel(benchmark::State& state, void (*run)(Pixel*, int)) {
  const int edge = static_cast<int>(state.range(0));
  prepareStore(edge);
  prepareInput();
  for (auto _ : state) {
    run(layer(2), edge);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * layerPixels() * sizeof(Pixel));
}

void replayExample(benchmark::State& state, const std::string& path) {
  const int edge = static_cast<int>(state.range(0));
  prepareStore(edge);
  std::string text, error;
  if (!vandrel::os::readFile(path, kMaxLogFileBytes, &text, &error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  readLog(text);
  textureStore.edgeSize = edge;
  for (auto _ : state) {
    replayCurrentSlot();
    benchmark::ClobberMemory();
  }
}

int registerAll() {
  benchmark::RegisterBenchmark("memcpy", memcpyLayer)->Arg(256)->Arg(512)->Unit(benchmark::kMicrosecond);
  for (int code = 1; code <= 40; ++code) {
    if (!isOperationCode(code)) continue;
    std::string name = std::string("op/") + operationName(code);
    benchmark::RegisterBenchmark(name.c_str(), operation, code)
        ->Arg(256)
        ->Arg(512)
        ->Unit(benchmark::kMicrosecond);
  }
  const std::pair<const char*, void (*)(Pixel*, int)> kernels[] = {
      {"Invert", invert},
      {"ScaleColor", [](Pixel* l, int e) { scaleColor(l, e, 200, 100, 50); }},
      {"AdjustColor", [](Pixel* l, int e) { adjustColor(l, e, 100, 140, 160); }},
      {"clear_rgb", clearRgb},
      {"clear_alfa", clearAlfa},
      {"copy_b_to_alfa", copyBToAlfa},
      {"mixer", [](Pixel* l, int e) { mixer(l, layer(1), layer(0), e, 128, 128, 3); }},
      {"blur pass", blurPass},
      {"motion blur pass", motionBlurPass},
  };
  for (const auto& [name, run] : kernels)
    benchmark::RegisterBenchmark((std::string("kernel/") + name).c_str(), kernel, run)
        ->Arg(256)
        ->Arg(512)
        ->Unit(benchmark::kMicrosecond);
  const std::filesystem::path examples = std::filesystem::path(VANDREL_SOURCE_DIR) / "examples";
  std::vector<std::filesystem::path> logs;
  if (std::filesystem::is_directory(examples))
    for (const auto& e : std::filesystem::directory_iterator(examples))
      if (e.path().extension() == ".vtx") logs.push_back(e.path());
  std::sort(logs.begin(), logs.end());
  for (const auto& log : logs) {
    std::string name = "replay/" + log.stem().string();
    benchmark::RegisterBenchmark(name.c_str(), replayExample, log.string())
        ->Arg(256)
        ->Arg(512)
        ->Unit(benchmark::kMillisecond);
  }
  return 0;
}

const int registered = registerAll();

}  // namespace
