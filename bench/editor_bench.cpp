// The editor's main loop on the demo pack, offscreen: waiting events, one frame,
// its present into the 3D view and the view's repaint.
#include <QApplication>

#include <benchmark/benchmark.h>

#include <string>

#include "shell/editor.h"

namespace {

QApplication& application() {
  static int argc = 1;
  static char name[] = "editor_bench";
  static char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication app(argc, argv);
  return app;
}

void editorLoopOnDemo(benchmark::State& state) {
  application();
  vandrel::shell::EditorOptions options;
  options.pack = std::string(VANDREL_SOURCE_DIR) + "/examples/demo.vsc";
  if (!vandrel::shell::startEditor(options)) {
    state.SkipWithError("the editor did not start");
    return;
  }
  for (auto _ : state) vandrel::shell::runOnce();
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  vandrel::shell::stopEditor();
}

}  // namespace

BENCHMARK(editorLoopOnDemo)->Unit(benchmark::kMillisecond)->UseRealTime();
