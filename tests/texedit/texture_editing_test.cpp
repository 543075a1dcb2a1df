#include "texedit/texture_editing.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "texgen/catalogue.h"
#include "texgen/dispatcher.h"
#include "texgen/editor_hooks.h"
#include "texgen/parameter_rows.h"
#include "texgen/store_fixture.h"
#include "texgen/texture_store.h"

namespace vandrel::texedit {
namespace {

using namespace texgen;
using Strings = std::vector<std::string>;

// What the editor's lists show, as the hooks tell it.
Strings history;
int selectedFunction = -1;
int redraws = 0;

class TextureEditing : public test::TextureStoreTest {
 protected:
  void SetUp() override {
    TextureStoreTest::SetUp();
    history.clear();
    selectedFunction = -1;
    redraws = 0;
    TextureHooks& h = textureHooks;
    h.clearHistory = [] { history.clear(); };
    h.insertHistoryAtTop = [](const char* label) { history.insert(history.begin(), label); };
    h.removeHistoryAtTop = [](int count) { history.erase(history.begin(), history.begin() + count); };
    h.selectFunction = [](int code) { selectedFunction = code; };
    h.redrawPreview = [] { ++redraws; };
    // As the editor has them: a slot change first settles the change, and the
    // writers save the committed log.
    h.beforeSlotChange = [] { leaveChangeMode(); };
    h.committedEntryCount = &committedCount;
  }

  static ParameterRows& rows() { return *textureHooks.rows; }
  static void append(int code) {
    pickFunction(code);
    ASSERT_EQ(commit(code), Commit::stored);
  }
  static int param(int entry, int i) { return currentSlot().log[entry].param(i); }
  static std::string file(const std::string& name, const std::string& text) {
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
};

TEST_F(TextureEditing, AnEmptyHistoryAndTheHeadingsLeaveTheLogAlone) {
  deleteHistoryItem(-1);
  beginChange(-1);
  EXPECT_EQ(textureEditorState.changeMode, 0);
  EXPECT_EQ(commit(kHeadingFilters), Commit::nothing);
  EXPECT_EQ(textureStore.entryCount, 1);
  EXPECT_TRUE(history.empty());
}

TEST_F(TextureEditing, CommitAppendsWhatTheRowsHoldAndTwiceAppendsTwice) {
  pickFunction(kPlasm);
  rows().setPosition(1, 200);
  rowsMoved(kPlasm);
  EXPECT_EQ(catalogue.records[kPlasm].values[0], 200);
  commit(kPlasm);
  commit(kPlasm);
  EXPECT_EQ(history, (Strings{"2Plasm", "1Plasm"}));
  for (int entry : {1, 2}) EXPECT_EQ(param(entry, 1), 200) << entry;
  EXPECT_EQ(param(2, 3), 255);
}

TEST_F(TextureEditing, RowStepsStopAtTheEndsButStillRunWithoutStoringTheValues) {
  pickFunction(kNoise);  // amplitude 255
  redraws = 0;
  stepRow(1, 1, kNoise);
  EXPECT_EQ(rows().position(1), 255);
  rows().setPosition(1, 0);
  stepRow(1, -1, kNoise);
  stepRow(1, 1, kNoise);
  EXPECT_EQ(static_cast<PlainParameterRows&>(rows()).number(1), "1");
  EXPECT_EQ(redraws, 3);
  EXPECT_EQ(catalogue.records[kNoise].values[0], 255);
}

TEST_F(TextureEditing, AChangeReplacesItsEntryAndReplaysTheRest) {
  for (int code : {kChessfield, kInvert, kNoise}) append(code);
  beginChange(2);
  EXPECT_EQ(selectedFunction, kChessfield);
  EXPECT_EQ(textureStore.entryCount, 1);
  EXPECT_EQ(committedEntryCount(), 4);  // what a save writes meanwhile
  deleteHistoryItem(0);  // neither acts during a change
  eraseLog();
  rows().setPosition(1, 7);
  rowsMoved(kChessfield);
  EXPECT_EQ(commit(kChessfield), Commit::stored);
  EXPECT_EQ(textureEditorState.changeMode, 0);
  EXPECT_EQ(history, (Strings{"3Noise", "2Invert", "1Chessfield"}));
  EXPECT_EQ(param(1, 1), 7);
  const std::vector<Pixel> changed = currentImage();
  replayCurrentSlot();
  EXPECT_EQ(currentImage(), changed);
}

// A change left pending by a slot, size or file switch is settled on its own
// slot first, as "ОК" would settle it without storing.
TEST_F(TextureEditing, APendingChangeNeverFollowsToAnotherSlot) {
  const std::string log = file("log.vtx", "texture generation log\ntsize=32;\nInvert();\nend\n");
  LogReadResult read;
  const std::pair<const char*, std::function<void()>> switches[] = {
      {"next slot", [] { stepSlot(1); }},
      {"size", [] { chooseSize(2, kNoise); }},
      {"load", [&] { loadLog(log, &read, nullptr); }},
      {"another slot", [] { selectSlot(9); }},
  };
  for (const auto& [name, run] : switches) {
    selectSlot(1);
    eraseLog();
    for (int code : {kChessfield, kInvert, kNoise}) append(code);
    const int committed = param(1, 1);
    beginChange(2);
    rows().setPosition(1, committed + 1);
    run();
    EXPECT_EQ(textureEditorState.changeMode, 0) << name;
    const int count = textureStore.currentSlot == 1 ? textureStore.entryCount : textureStore.slots[1].entryCount;
    const bool loaded = std::string(name) == "load";
    EXPECT_EQ(count, loaded ? 2 : 4) << name;
    if (!loaded) {
      EXPECT_EQ(textureStore.slots[1].log[1].param(1), committed) << name;
    }
  }
}

// At 512 only 95 layers fit: 93 operations.
TEST_F(TextureEditing, AppendsAndSizesStopAtTheLayersThatFitAndTheSameSizeOnlyRuns) {
  for (int i = 0; i < 94; ++i) append(kInvert);
  EXPECT_FALSE(chooseSize(4, kInvert));
  EXPECT_EQ(textureStore.edgeSize, 32);
  deleteHistoryItem(0);
  EXPECT_TRUE(chooseSize(4, kInvert));
  EXPECT_EQ(history.front(), "Invert");  // replayed at the new size
  EXPECT_EQ(commit(kInvert), Commit::logFull);
  EXPECT_EQ(textureStore.entryCount, 94);

  clearLayer(textureStore.entryCount);
  EXPECT_TRUE(chooseSize(4, kInvert));  // no replay, but Invert runs again
  EXPECT_EQ(history.front(), "Invert");
  EXPECT_EQ(layer(textureStore.entryCount)[5], layer(textureStore.entryCount - 1)[5] ^ 0xFFFFFFu);
}

TEST_F(TextureEditing, ARefusedLogChangesNothingAndUnknownLinesAreSkipped) {
  append(kChessfield);
  LogReadResult read;
  std::string error;
  EXPECT_FALSE(loadLog(file("bad.vtx", "tsize=64;\nNoise(3);\nend\n"), &read, &error));
  EXPECT_NE(error.find("bad.vtx"), std::string::npos);
  EXPECT_EQ(history, Strings{"1Chessfield"});
  ASSERT_TRUE(loadLog(file("u.vtx", "texture generation log\ntsize=64;\nfoo(1);\nNoise(3);\nbar();\nend\n"), &read,
                      &error));
  EXPECT_EQ(history, Strings{"1Noise"});
  EXPECT_EQ(read.unknownLines, (std::vector<int>{3, 5}));
}

}  // namespace
}  // namespace vandrel::texedit
