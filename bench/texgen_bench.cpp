// Times every texture operation at 256 and 512 with its default parameters, the
// per-pixel kernels alone, and the replay of each example log, each with one
// thread and with all of them ("threads:N"; wall-clock time). Two floors for one
// layer: glibc's memcpy, and a plain copy loop of the widest vectors the processor
// has, which is what a per-pixel loop can at best approach (glibc's copy of 256 KiB
// takes a slow path on some processors). Each operation and kernel reports
// "xfloor": its time over the plain copy of the same layer.
//
//   build/texgen_bench --benchmark_filter=256

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <utility>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/os/files.h"
#include "platform/os/parallel.h"
#include "texgen/catalogue.h"
#include "texgen/dispatcher.h"
#include "texgen/editor_hooks.h"
#include "texgen/ops.h"
#include "texgen/parameter_rows.h"
#include "texgen/texture_log_file.h"
#include "texgen/texture_store.h"
#include "texgen/vector_width.h"

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

// A copy loop the compiler keeps a loop (it would otherwise turn it into a memcpy
// call), built for the widest vectors the processor has.
#if defined(__GNUC__) && !defined(__clang__)
__attribute__((optimize("no-tree-loop-distribute-patterns")))
#endif
VANDREL_WIDE_VECTORS
void copyLoop(Pixel* __restrict to, const Pixel* __restrict from, std::size_t n) {
  for (std::size_t k = 0; k < n; ++k) to[k] = from[k];
}

// Copies of one layer from a warm source to a warm destination: the first copy
// takes the page faults of fresh memory.
struct LayerCopy {
  std::vector<Pixel> a, b;
  explicit LayerCopy(int edge) : a(std::size_t(edge) * edge, 1), b(a.size()) { plain(); }
  void plain() { copyLoop(b.data(), a.data(), a.size()); }
  void library() { std::memcpy(b.data(), a.data(), a.size() * sizeof(Pixel)); }
};

void memcpyLayer(benchmark::State& state) {
  LayerCopy copy(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    copy.library();
    benchmark::DoNotOptimize(copy.b.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * copy.a.size() * sizeof(Pixel));
}

void copyLayerLoop(benchmark::State& state) {
  LayerCopy copy(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    copy.plain();
    benchmark::DoNotOptimize(copy.b.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * copy.a.size() * sizeof(Pixel));
}

// Seconds of the plain copy of one layer at this edge: the best of many batches of
// warm runs, measured once.
double floorSeconds(int edge) {
  static std::vector<std::pair<int, double>> known;
  for (const auto& [e, seconds] : known)
    if (e == edge) return seconds;
  LayerCopy copy(edge);
  constexpr int kBatch = 16;
  double best = 1e9;
  for (int run = 0; run < 100; ++run) {
    const auto t0 = std::chrono::steady_clock::now();
    for (int k = 0; k < kBatch; ++k) {
      copy.plain();
      benchmark::ClobberMemory();
    }
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() / kBatch);
  }
  known.emplace_back(edge, best);
  return best;
}

// The thread count for the run (range 1) while it lasts.
struct Threads {
  explicit Threads(const benchmark::State& state) { vandrel::os::setThreadCount(static_cast<int>(state.range(1))); }
  ~Threads() { vandrel::os::setThreadCount(0); }
};

// The benchmark loop, also timed by hand for "xfloor": the wall-clock time of one
// run over the plain copy of a layer of this edge.
template <class Body>
void timedLoop(benchmark::State& state, int edge, Body body) {
  const auto t0 = std::chrono::steady_clock::now();
  for (auto _ : state) {
    body();
    benchmark::ClobberMemory();
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  state.counters["xfloor"] = seconds / static_cast<double>(state.iterations()) / floorSeconds(edge);
}

void operation(benchmark::State& state, int code) {
  const int edge = static_cast<int>(state.range(0));
  const Threads threads(state);
  prepareStore(edge);
  prepareInput();
  const OperationRecord& record = catalogue.records[code];
  for (int i = 1; i <= record.paramCount; ++i) textureHooks.rows->setPosition(i, record.values[i - 1]);
  timedLoop(state, edge, [code] { runOperation(code); });
  state.SetBytesProcessed(state.iterations() * layerPixels() * sizeof(Pixel));
}

// The per-pixel operations and one blur pass alone, without the dispatcher's copy of
// the layer below, for comparison with the memcpy floor.
void kernel(benchmark::State& state, void (*run)(Pixel*, int)) {
  const int edge = static_cast<int>(state.range(0));
  const Threads threads(state);
  prepareStore(edge);
  prepareInput();
  timedLoop(state, edge, [run, edge] { run(layer(2), edge); });
  state.SetBytesProcessed(state.iterations() * layerPixels() * sizeof(Pixel));
}

void replayExample(benchmark::State& state, const std::string& path) {
  const int edge = static_cast<int>(state.range(0));
  const Threads threads(state);
  prepareStore(edge);
  std::string text, error;
  if (!vandrel::os::readFile(path, &text, &error)) {
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

// Edges 256 and 512, each with one thread and with all of them.
void sizesAndThreads(benchmark::internal::Benchmark* b) {
  const int all = vandrel::os::threadCount();
  b->ArgNames({"", "threads"});
  for (int edge : {256, 512})
    for (int threads : {1, all})
      if (threads == 1 || all > 1) b->Args({edge, threads});
  b->UseRealTime();
}

int registerAll() {
  benchmark::RegisterBenchmark("memcpy", memcpyLayer)->Arg(256)->Arg(512)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("copy", copyLayerLoop)->Arg(256)->Arg(512)->Unit(benchmark::kMicrosecond);
  for (int code = 1; code <= 40; ++code) {
    if (!isOperationCode(code)) continue;
    std::string name = std::string("op/") + operationName(code);
    benchmark::RegisterBenchmark(name.c_str(), operation, code)->Apply(sizesAndThreads)->Unit(benchmark::kMicrosecond);
  }
  const std::pair<const char*, void (*)(Pixel*, int)> kernels[] = {
      {"Invert", invert},
      {"ScaleColor", [](Pixel* l, int e) { scaleColor(l, e, 200, 100, 50); }},
      {"AdjustColor", [](Pixel* l, int e) { adjustColor(l, e, 100, 140, 160); }},
      {"clear_rgb", clearRgb},
      {"clear_alfa", clearAlfa},
      {"copy_b_to_alfa", copyBToAlfa},
      {"mixer", [](Pixel* l, int e) { mixer(l, layer(1), layer(0), e, 128, 128, 3); }},
      {"blur pass", [](Pixel* l, int e) { blurPass(l, l, e); }},
      {"motion blur pass", [](Pixel* l, int e) { motionBlurPass(l, l, e); }},
  };
  for (const auto& [name, run] : kernels)
    benchmark::RegisterBenchmark((std::string("kernel/") + name).c_str(), kernel, run)
        ->Apply(sizesAndThreads)
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
        ->Apply(sizesAndThreads)
        ->Unit(benchmark::kMillisecond);
  }
  return 0;
}

const int registered = registerAll();

}  // namespace
