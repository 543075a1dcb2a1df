// One trackbar step in the texture editor, as the user waits for it: the record
// update, the dispatch at the working position, the preview's redraw and one 3D
// frame of the demo pack. Each example log is loaded into slot 1 at edge 256 with
// its last entry's function selected (and, second, its last entry that has
// parameters, since the examples end with a parameterless clean-up step).
#include <QApplication>
#include <QSlider>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/commands.h"
#include "editor_fixture.h"
#include "editor/shell/editor.h"
#include "editor/texedit/texture_editor_dialog.h"
#include "texgen/catalogue.h"
#include "texgen/dispatcher.h"
#include "texgen/editor_hooks.h"
#include "texgen/texture_log_file.h"
#include "texgen/texture_store.h"

namespace {

using namespace vandrel;

enum class Entry { last, lastWithParameters };

void trackbarStep(benchmark::State& state, const std::filesystem::path& log, Entry which) {
  if (!vandrel::bench::startDemoEditor(state)) return;
  // The shell may create the dialog itself; otherwise the bench makes its own.
  auto* dialog = dynamic_cast<texedit::TextureEditorDialog*>(ui::commandTarget(ui::WindowId::textureEditor));
  std::unique_ptr<texedit::TextureEditorDialog> own;
  if (!dialog) {
    own = std::make_unique<texedit::TextureEditorDialog>();
    own->show();
    dialog = own.get();
  }

  dialog->selectSlot(1);
  texgen::LogReadResult read;
  std::string error;
  if (!texgen::loadLogFile(log.string(), &read, &error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  if (texgen::textureStore.edgeSize != 256) texgen::changeEdgeSize(256);
  int entry = texgen::textureStore.entryCount - 1;
  if (which == Entry::lastWithParameters)
    while (entry > 1 && texgen::parameterCount(texgen::currentSlot().log[entry].code()) == 0) --entry;
  const int code = texgen::currentSlot().log[entry].code();
  // The rows hold that entry's parameters, as the replay leaves them for the last one.
  texgen::loadEntryIntoRows(entry);
  dialog->setSelection(texedit::kFunctionList, code);

  auto* slider = static_cast<QSlider*>(dialog->control(texedit::kParameterRows[0].trackbar));
  const int start = slider->value();
  const int other = start < 255 ? start + 1 : start - 1;
  bool flip = false;
  for (auto _ : state) {
    flip = !flip;
    slider->setValue(flip ? other : start);  // what a drag sends: the dialog's own handler runs
  }
  state.SetLabel(log.stem().string() + ": " + texgen::operationName(code) +
                 (texgen::textureHooks.redrawPreview ? "" : " (no preview redraw hooked)"));
  own.reset();
  shell::stopEditor();
}

const bool registered = [] {
  for (const auto& log : vandrel::bench::exampleLogs()) {
    for (Entry which : {Entry::last, Entry::lastWithParameters}) {
      const std::string name = std::string(which == Entry::last ? "trackbarStepLastEntry/" : "trackbarStepParametric/") +
                               log.stem().string();
      benchmark::RegisterBenchmark(name.c_str(), [log, which](benchmark::State& s) { trackbarStep(s, log, which); })
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime();
    }
  }
  return true;
}();

}  // namespace
