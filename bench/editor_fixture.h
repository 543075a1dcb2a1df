#pragma once
// What the editor's benchmarks share: an offscreen application, the editor
// started on the demo pack, and the example texture logs.

#include <QApplication>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "editor/shell/editor.h"

namespace vandrel::bench {

inline QApplication& offscreenApplication() {
  static int argc = 1;
  static char name[] = "vandrel_bench";
  static char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication app(argc, argv);
  return app;
}

// The editor on examples/demo.vsc; false (and the benchmark skipped) when it did not start.
inline bool startDemoEditor(benchmark::State& state) {
  offscreenApplication();
  shell::EditorOptions options;
  options.pack = std::string(VANDREL_SOURCE_DIR) + "/examples/demo.vsc";
  if (shell::startEditor(options)) return true;
  state.SkipWithError("the editor did not start");
  return false;
}

inline std::vector<std::filesystem::path> exampleLogs() {
  std::vector<std::filesystem::path> logs;
  for (const auto& e : std::filesystem::directory_iterator(std::filesystem::path(VANDREL_SOURCE_DIR) / "examples"))
    if (e.path().extension() == ".vtx") logs.push_back(e.path());
  std::sort(logs.begin(), logs.end());
  return logs;
}

}  // namespace vandrel::bench
