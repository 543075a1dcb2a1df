// The editor's main loop on the demo pack, offscreen: waiting events, one frame,
// its present into the 3D view and the view's repaint.
#include <benchmark/benchmark.h>

#include "editor_fixture.h"
#include "editor/shell/editor.h"

namespace {

void editorLoopOnDemo(benchmark::State& state) {
  if (!vandrel::bench::startDemoEditor(state)) return;
  for (auto _ : state) vandrel::shell::runOnce();
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  vandrel::shell::stopEditor();
}

}  // namespace

BENCHMARK(editorLoopOnDemo)->Unit(benchmark::kMillisecond)->UseRealTime();
