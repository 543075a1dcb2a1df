#include "texedit/texture_editing.h"

#include <iterator>

#include "platform/os/files.h"
#include "render/frame.h"
#include "texgen/catalogue.h"
#include "texgen/dispatcher.h"
#include "texgen/editor_hooks.h"
#include "texgen/ops.h"
#include "texgen/parameter_rows.h"
#include "texgen/texture_store.h"

namespace vandrel::texedit {

TextureEditorState textureEditorState;

void resetTextureEditorState() { textureEditorState = TextureEditorState{}; }

namespace {

constexpr int kTimingRuns = 50;

using texgen::textureHooks;
using texgen::textureStore;

bool isListedCode(int code) { return code >= 0 && code < texgen::kCatalogueEntries; }

void redrawPreview() {
  if (textureHooks.redrawPreview) textureHooks.redrawPreview();
}

void selectFunction(int code) {
  if (textureHooks.selectFunction) textureHooks.selectFunction(code);
}

void hideRows() {
  if (textureHooks.hideRows) textureHooks.hideRows();
}

void runAndShow(int code) {
  texgen::runOperation(code);
  redrawPreview();
}

// The entry at history item `item` (0 = the newest).
int entryOfItem(int item) { return textureStore.entryCount - item - 1; }

// Function `code` with the rows' parameters becomes the entry at the working
// position. Changing an entry replaces it; only a real append needs room.
Commit storeEntry(int code) {
  texgen::TextureStore& s = textureStore;
  if (!texgen::isOperationCode(code)) return Commit::nothing;  // headings append nothing
  if (textureEditorState.changeMode == 0 && s.entryCount >= texgen::currentCapacity()) return Commit::logFull;
  texgen::copyLayer(s.entryCount, s.entryCount + 1);
  texgen::TextureOp& entry = texgen::currentEntry();
  entry = texgen::TextureOp{};
  entry.words[0] = code;
  for (int i = 1; i <= texgen::parameterCount(code); ++i) entry.setParam(i, textureHooks.rows->position(i));
  if (textureHooks.insertHistoryAtTop)
    textureHooks.insertHistoryAtTop((std::to_string(s.entryCount) + texgen::operationName(code)).c_str());
  ++s.entryCount;
  return Commit::stored;
}

Commit settleChange(bool storePending, int code) {
  TextureEditorState& st = textureEditorState;
  texgen::TextureStore& s = textureStore;
  Commit done = Commit::nothing;
  if (!st.changeMode) return done;
  // When a pack load has replaced the slot behind the editor's back, there is
  // nothing of the change left to settle.
  if (s.currentSlot == st.changeSlot && s.entryCount == st.changedEntry) {
    if (textureHooks.removeHistoryAtTop) textureHooks.removeHistoryAtTop(st.savedCount - s.entryCount);
    if (storePending) done = storeEntry(code);
    texgen::replayFrom(s.entryCount, st.savedCount);
  }
  st.changeMode = 0;
  hideRows();
  selectFunction(texgen::kHeadingGenerators);
  return done;
}

}  // namespace

int committedCount() {
  const TextureEditorState& st = textureEditorState;
  return st.changeMode ? st.savedCount : textureStore.entryCount;
}

Commit commit(int code) { return textureEditorState.changeMode ? settleChange(true, code) : storeEntry(code); }

void leaveChangeMode() { settleChange(false, 0); }

void beginChange(int item) {
  TextureEditorState& st = textureEditorState;
  texgen::TextureStore& s = textureStore;
  if (st.changeMode || item < 0) return;
  const int m = entryOfItem(item);
  if (m < 1) return;
  st.changeMode = 1;
  st.savedCount = s.entryCount;
  st.changeSlot = s.currentSlot;
  st.changedEntry = m;
  s.entryCount = m;
  texgen::copyLayer(m, m + 1);
  const int code = texgen::currentEntry().code();
  selectFunction(code);
  hideRows();
  texgen::loadEntryIntoRows(m);
  runAndShow(code);
}

void deleteHistoryItem(int item) {
  if (textureEditorState.changeMode || item < 0) return;
  texgen::deleteEntry(entryOfItem(item));
  redrawPreview();
  selectFunction(texgen::kHeadingGenerators);
}

void eraseLog() {
  if (textureEditorState.changeMode) return;
  textureStore.entryCount = 1;
  texgen::clearLayer(1);
  texgen::clearLayer(0);
  if (textureHooks.clearHistory) textureHooks.clearHistory();
  redrawPreview();
  selectFunction(texgen::kHeadingGenerators);
}

void stepSlot(int delta) {
  // A pending change is settled by the slot selection's own hook, while the
  // changed slot is still current.
  int n = textureStore.currentSlot;
  if (delta < 0 && n > 1) --n;
  if (delta > 0 && n < texgen::kSlotCount) ++n;
  texgen::selectSlot(n);
}

bool chooseSize(int item, int code) {
  if (item < 0 || item >= static_cast<int>(std::size(texgen::kEdgeSizes))) return true;
  const int edge = texgen::kEdgeSizes[item];
  bool fits = true;
  if (edge != textureStore.edgeSize) {
    leaveChangeMode();
    fits = texgen::changeEdgeSize(edge);
  }
  showRecordInRows(code);
  runAndShow(code);
  return fits;
}

void pickFunction(int code) {
  hideRows();
  showRecordInRows(code);
  runAndShow(code);
}

void restoreFunction(int code) {
  texgen::restoreRecord(code);
  showRecordInRows(code);
  runAndShow(code);
}

void stepRow(int row, int delta, int code) {
  texgen::ParameterRows& rows = *textureHooks.rows;
  int p = rows.position(row);
  if (delta > 0 && p < texgen::kParamMax) ++p;
  if (delta < 0 && p > 0) --p;
  rows.setPosition(row, p);
  rows.showNumber(row, std::to_string(p));
  runAndShow(code);
}

void rowsMoved(int code) {
  if (isListedCode(code)) {
    texgen::OperationRecord& record = texgen::catalogue.records[code];
    for (int i = 1; i <= record.paramCount; ++i) record.values[i - 1] = textureHooks.rows->position(i);
  }
  runAndShow(code);
  render::renderFrame();
}

void showRecordInRows(int code) {
  if (code <= 0 || !isListedCode(code)) return;
  const texgen::OperationRecord& record = texgen::catalogue.records[code];
  texgen::ParameterRows& rows = *textureHooks.rows;
  for (int i = 1; i <= record.paramCount; ++i) {
    rows.setPosition(i, record.values[i - 1]);
    rows.showNumber(i, std::to_string(rows.position(i)));
  }
  if (textureHooks.showRows) textureHooks.showRows(code);
}

bool loadLog(const std::string& path, texgen::LogReadResult* read, std::string* error) {
  // Read and checked before anything changes: a refused file leaves the log as it was.
  std::string text;
  if (!os::readFile(path, &text, error)) return false;
  if (const os::TextProblem problem = texgen::checkLogText(text)) {
    if (error) *error = os::refusalMessage(path, text, problem);
    return false;
  }
  leaveChangeMode();
  if (textureHooks.clearHistory) textureHooks.clearHistory();
  textureStore.entryCount = 1;
  *read = texgen::readLog(text);
  texgen::replayCurrentSlot();
  return true;
}

int timingTest() {
  texgen::TextureStore& s = textureStore;
  const auto t0 = static_cast<int>(render::tickCount() % render::kClockPeriod);
  for (int run = 0; run < kTimingRuns; ++run) {
    texgen::copyLayer(s.entryCount - 1, s.entryCount);
    texgen::addparticle(texgen::layer(s.entryCount), s.edgeSize, 128, 128, 255, 255, 255, 128, 255);
  }
  const auto t1 = static_cast<int>(render::tickCount() % render::kClockPeriod);
  return t1 - t0;
}

}  // namespace vandrel::texedit
