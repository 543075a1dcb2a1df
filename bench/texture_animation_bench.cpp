// One frame of a sinus texture animation with depth 1, as the user waits for it
// between two frames of a run: the last log entry recomputed at 256, the
// preview's redraw, one 3D frame of the demo pack (the animated slot drawn from
// slot 254) and both windows shown at once. One benchmark per example log; the
// same without the preview and the 3D frame tells the texture work apart, and
// with every entry recomputed shows what the deepest run costs per frame (the
// example logs end with clear_alfa, so depth 1 recomputes little).
//
//   build/texture_animation_bench

#include <QApplication>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/ui/cursors.h"
#include "render/frame.h"
#include "editor_fixture.h"
#include "editor/shell/editor.h"
#include "texedit/sinus_animation.h"
#include "texedit/texture_animation.h"
#include "texgen/editor_hooks.h"
#include "texgen/texture_log_file.h"
#include "texgen/texture_store.h"

namespace {

using namespace vandrel;

// Every parameter of every entry swings, each with its own speed and phase.
void fillSinusTables() {
  texedit::SinusAnimation& s = texedit::sinusAnimation;
  for (int r = 1; r < texedit::kSinusRows; ++r)
    for (int j = 1; j <= texedit::kSinusParams; ++j) {
      s.amplitude[r][j] = 20 + (r * 7 + j * 13) % 40;
      s.frequency[r][j] = 8 + (r * 11 + j * 5) % 64;
      s.phase[r][j] = (r * 29 + j * 17) % 256;
    }
}

void sinusFrame(benchmark::State& state, const std::string& log, bool show, bool allEntries) {
  if (!vandrel::bench::startDemoEditor(state)) return;
  texgen::LogReadResult read;
  std::string error;
  if (!texgen::loadLogFile(log, &read, &error) || texgen::textureStore.edgeSize != 256) {
    state.SkipWithError(("the log did not load at 256: " + error).c_str());
    shell::stopEditor();
    return;
  }
  fillSinusTables();
  const int animated = texgen::textureStore.currentSlot;
  const int count = texgen::textureStore.entryCount;
  const std::vector<texgen::TextureOp> source(texgen::currentSlot().log, texgen::currentSlot().log + texgen::kLogLength);
  if (texgen::textureHooks.recreateSlotTexture)
    texgen::textureHooks.recreateSlotTexture(texedit::kAnimationSlot, 256);
  render::frameState.animation = {texedit::kAnimationSinus, animated, 0};
  const int slot = texedit::enterAnimationSlot();
  texedit::computeSinusFrame(source.data(), 0.0, 1, true);

  double t = 0.0;
  for (auto _ : state) {
    t = t >= 252.0 ? 4.0 : t + 4.0;
    texedit::computeSinusFrame(source.data(), t, allEntries ? 1 : count - 1, false);
    if (!show) continue;
    if (texgen::textureHooks.redrawPreview) texgen::textureHooks.redrawPreview();
    render::renderFrame();
    ui::showNowRegistered();
  }
  state.counters["entries"] = count - 1;
  texedit::leaveAnimationSlot(slot);
  shell::stopEditor();
}

const bool registered = [] {
  const std::vector<std::filesystem::path> logs = vandrel::bench::exampleLogs();
  struct Variant {
    const char* name;
    bool show, allEntries;
  };
  for (const Variant v : {Variant{"sinusFrameDepth1/", true, false}, {"sinusFrameDepth1ComputeOnly/", false, false},
                          {"sinusFrameAllEntriesComputeOnly/", false, true}})
    for (const auto& path : logs)
      benchmark::RegisterBenchmark((v.name + path.stem().string()).c_str(), sinusFrame, path.string(), v.show,
                                   v.allEntries)
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime();
  return true;
}();

}  // namespace
