#include "editor/texedit/texture_editor_dialog.h"

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTabBar>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/scratch_folder.h"
#include "pack/complex_pack.h"
#include "pack/document.h"
#include "platform/ui/prompts.h"
#include "platform/ui/tool_windows.h"
#include "texgen/catalogue.h"
#include "texgen/dispatcher.h"
#include "texgen/editor_hooks.h"
#include "texgen/parameter_rows.h"
#include "texgen/texture_store.h"

namespace vandrel::texedit {
namespace {

using texgen::textureStore;

int redraws = 0;

class TextureEditor : public app::test::ScratchFolderTest {
 public:
  void SetUp() override {
    ScratchFolderTest::SetUp();
    pack::resetDocument();
    texgen::resetTextureHooks();
    ui::resetToolWindows();
    ui::setPrompts(&prompts);
    texgen::textureHooks.redrawPreview = [] { ++redraws; };
    redraws = 0;
    dialog = std::make_unique<TextureEditorDialog>();
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
  }
  void TearDown() override {
    dialog.reset();
    texgen::resetTextureHooks();
    ui::setPrompts(nullptr);
    ScratchFolderTest::TearDown();
  }

  QWidget* at(int id) const { return dialog->control(id); }
  void click(int id) { QTest::mouseClick(at(id), Qt::LeftButton); }
  void clickItem(int listId, int row) {
    auto* list = static_cast<QListWidget*>(at(listId));
    list->scrollToItem(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
  }
  void pick(int code) { clickItem(kFunctionList, code); }
  // What a drag of the thumb sends.
  void slide(int row, int value) { static_cast<QSlider*>(at(kParameterRows[row - 1].trackbar))->setValue(value); }
  void chooseSize(int index) {
    auto* combo = static_cast<QComboBox*>(at(kSizeCombo));
    combo->setCurrentIndex(index);
    Q_EMIT combo->activated(index);
  }
  void append(int code) { pick(code), click(kOk); }
  std::vector<std::string> history() const {
    std::vector<std::string> items;
    for (int i = 0; i < dialog->itemCount(kHistoryList); ++i) items.push_back(dialog->itemText(kHistoryList, i));
    return items;
  }
  static std::string workingLayer() {
    const int edge = textureStore.edgeSize;
    return std::string(reinterpret_cast<const char*>(texgen::layer(textureStore.entryCount)), edge * edge * 4);
  }
  static int param(int entry, int i) { return texgen::currentSlot().log[entry].param(i); }

  ui::TestPrompts prompts;
  std::unique_ptr<TextureEditorDialog> dialog;
};

using Strings = std::vector<std::string>;

TEST_F(TextureEditor, EmptyHistoryAndHeadingsLeaveTheLogAlone) {
  click(kDeleteEntry);
  click(kChangeEntry);
  EXPECT_EQ(textureEditorState.changeMode, 0);
  pick(texgen::kHeadingFilters);
  click(kOk);
  EXPECT_EQ(textureStore.entryCount, 1);
  EXPECT_TRUE(history().empty());
}

TEST_F(TextureEditor, OkAppendsWhatTheTrackbarsShowAndTwiceAppendsTwice) {
  pick(texgen::kPlasm);
  EXPECT_EQ(dialog->text(kFunctionName), "Plasm");
  slide(1, 200);
  EXPECT_EQ(texgen::catalogue.records[texgen::kPlasm].values[0], 200);
  EXPECT_EQ(dialog->text(kParameterRows[0].edit), "200");
  click(kOk);
  click(kOk);
  EXPECT_EQ(history(), (Strings{"2Plasm", "1Plasm"}));
  for (int entry : {1, 2}) EXPECT_EQ(param(entry, 1), 200) << entry;
  EXPECT_EQ(param(2, 3), 255);
}

TEST_F(TextureEditor, PlusAndMinusStopAtTheEndsButStillRun) {
  pick(texgen::kNoise);  // amplitude 255
  redraws = 0;
  click(kParameterRows[0].plus);
  EXPECT_EQ(dialog->trackbarPos(kParameterRows[0].trackbar), 255);
  EXPECT_EQ(redraws, 1);
  slide(1, 0);
  click(kParameterRows[0].minus);
  click(kParameterRows[0].plus);
  EXPECT_EQ(dialog->text(kParameterRows[0].edit), "1");
  EXPECT_EQ(redraws, 4);
  // Only a trackbar movement stores into the record.
  EXPECT_EQ(texgen::catalogue.records[texgen::kNoise].values[0], 0);
}

TEST_F(TextureEditor, DeletingKeepsMixerSourcesOnTheirLayers) {
  for (int code : {texgen::kChessfield, texgen::kInvert, texgen::kNoise}) append(code);
  pick(texgen::kMixer);
  slide(1, 3);
  slide(2, 1);
  click(kOk);
  clickItem(kHistoryList, 2);  // entry 2
  click(kDeleteEntry);
  EXPECT_EQ(history(), (Strings{"3mixer", "2Noise", "1Chessfield"}));
  EXPECT_EQ(param(3, 1), 2);
  EXPECT_EQ(param(3, 2), 1);
  click(kDeleteEntry);  // nothing selected: the newest goes, nothing moves
  EXPECT_EQ(history(), (Strings{"2Noise", "1Chessfield"}));
  EXPECT_EQ(texgen::currentSlot().log[1].code(), texgen::kChessfield);
  EXPECT_EQ(dialog->selection(kFunctionList), 0);
}

TEST_F(TextureEditor, SizeChangeShowsBareNamesAndTheSameSizeOnlyRunsTheFunction) {
  append(texgen::kChessfield);
  append(texgen::kInvert);
  chooseSize(1);
  EXPECT_EQ(textureStore.edgeSize, 64);
  EXPECT_EQ(history(), (Strings{"Invert", "Chessfield"}));
  pick(texgen::kInvert);
  texgen::clearLayer(textureStore.entryCount);
  chooseSize(1);  // no replay (the labels stay bare), but Invert runs again
  EXPECT_EQ(history(), (Strings{"Invert", "Chessfield"}));
  EXPECT_EQ(texgen::layer(textureStore.entryCount)[5], texgen::layer(textureStore.entryCount - 1)[5] ^ 0xFFFFFFu);
  click(kPreviousSlot);  // at slot 1: stays, but replays with numbers
  EXPECT_EQ(dialog->text(kSlotNumber), "1");
  EXPECT_EQ(history(), (Strings{"2Invert", "1Chessfield"}));
}

// At 512 only 95 layers fit: 93 operations.
TEST_F(TextureEditor, AppendsAndSizeChangesStopAtTheLayersThatFit) {
  pick(texgen::kInvert);
  for (int i = 0; i < 94; ++i) click(kOk);
  chooseSize(4);
  EXPECT_EQ(textureStore.edgeSize, 32);
  EXPECT_EQ(dialog->selection(kSizeCombo), 0);
  ASSERT_EQ(prompts.asked.size(), 1u);
  click(kDeleteEntry);
  chooseSize(4);
  EXPECT_EQ(textureStore.edgeSize, 512);
  pick(texgen::kInvert);
  click(kOk);
  EXPECT_EQ(textureStore.entryCount, 94);
  EXPECT_EQ(prompts.asked.size(), 2u);
  EXPECT_EQ(prompts.asked.back().caption, "ошибка");
}

TEST_F(TextureEditor, SlotNumberFollowsEverySlotSelection) {
  texgen::selectSlot(255);  // as the 3D view's pick does
  EXPECT_EQ(dialog->text(kSlotNumber), "255");
  click(kNextSlot);
  EXPECT_EQ(textureStore.currentSlot, 255);
  click(kPreviousSlot);
  EXPECT_EQ(dialog->text(kSlotNumber), "254");
}

TEST_F(TextureEditor, ChangeReplacesTheEntryAndReplaysTheRest) {
  for (int code : {texgen::kChessfield, texgen::kInvert, texgen::kNoise}) append(code);
  clickItem(kHistoryList, 2);
  click(kChangeEntry);
  EXPECT_EQ(textureEditorState.changeMode, 1);
  EXPECT_EQ(dialog->selection(kFunctionList), texgen::kChessfield);
  for (int id : {kChangeEntry, kDeleteEntry, kEraseAll}) EXPECT_FALSE(dialog->isEnabled(id));
  slide(1, 7);
  click(kOk);
  EXPECT_EQ(history(), (Strings{"3Noise", "2Invert", "1Chessfield"}));
  EXPECT_EQ(param(1, 1), 7);
  for (int id : {kChangeEntry, kDeleteEntry, kEraseAll}) EXPECT_TRUE(dialog->isEnabled(id));
}

// A change left pending by a slot, size or file switch is settled on its own
// slot first, as "ОК" would settle it without storing.
TEST_F(TextureEditor, PendingChangeNeverFollowsToAnotherSlot) {
  const std::string log = file("log.vtx", "texture generation log\ntsize=32;\nInvert();\nend\n");
  struct Switch {
    const char* name;
    std::function<void(TextureEditor&)> run;
  };
  const Switch switches[] = {
      {"next slot", [](TextureEditor& t) { t.click(kNextSlot); }},
      {"size", [](TextureEditor& t) { t.chooseSize(2); }},
      {"load", [&](TextureEditor& t) { t.prompts.files.push_back(log), t.dialog->command(kLoadLog); }},
      {"3D view pick", [](TextureEditor&) { texgen::selectSlot(9); }},
  };
  for (const Switch& s : switches) {
    texgen::selectSlot(1);
    click(kEraseAll);
    for (int code : {texgen::kChessfield, texgen::kInvert, texgen::kNoise}) append(code);
    const int committed = param(1, 1);
    clickItem(kHistoryList, 2);
    click(kChangeEntry);
    slide(1, committed + 1);
    s.run(*this);
    EXPECT_EQ(textureEditorState.changeMode, 0) << s.name;
    EXPECT_TRUE(dialog->isEnabled(kChangeEntry)) << s.name;
    const texgen::TextureSlot& slot1 = textureStore.slots[1];
    const int count = textureStore.currentSlot == 1 ? textureStore.entryCount : slot1.entryCount;
    if (std::string(s.name) == "load") {
      EXPECT_EQ(count, 2);
    } else {
      EXPECT_EQ(count, 4) << s.name;
      EXPECT_EQ(slot1.log[1].param(1), committed) << s.name;
    }
  }
}

TEST_F(TextureEditor, RefreshingFromCodeRunsNothing) {
  append(texgen::kChessfield);
  pick(texgen::kNoise);
  redraws = 0;
  const std::string before = workingLayer();
  texgen::TextureHooks& h = texgen::textureHooks;
  h.selectFunction(texgen::kStars);
  dialog->refresh();
  dialog->showRowsFromCatalogue(texgen::kTwirl);
  dialog->showRowsFromLogEntry(texgen::kBox);
  dialog->hideAllRows();
  h.rows->setPosition(1, 77);
  h.selectSizeItem(3);
  h.showSlotNumber(12);
  h.clearHistory();
  EXPECT_EQ(redraws, 0);
  EXPECT_EQ(workingLayer(), before);
  EXPECT_EQ(textureStore.edgeSize, 32);
  EXPECT_EQ(texgen::catalogue.records[texgen::kStars].values[0], 255);
}

TEST_F(TextureEditor, TabsScrollTheListToTheirGroupAndRunNothing) {
  EXPECT_EQ(dialog->selection(kFunctionList), texgen::kHeadingColour);
  QTabBar* tabs = dialog->tabBar();
  QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(kTabFilters).center());
  EXPECT_EQ(textureEditorState.selectedTab, kTabFilters);
  EXPECT_EQ(dialog->selection(kFunctionList), texgen::kHeadingFilters);
  QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(kTabGenerators).center());
  EXPECT_EQ(dialog->selection(kFunctionList), texgen::kHeadingGenerators);
  EXPECT_EQ(redraws, 0);
}

TEST_F(TextureEditor, FilesGoThroughThePromptsAndFailuresChangeNothing) {
  append(texgen::kChessfield);
  prompts.files = {path("a"), path("b.vtx.txt"), path("missing/c.vtx")};
  for (int i = 0; i < 3; ++i) dialog->menuAction(kSaveLog)->trigger();
  // The failed save leaves nothing behind, not even its temporary file.
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir_)) files.push_back(entry.path().filename());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (Strings{"a.vtx", "b.vtx.txt"}));
  ASSERT_EQ(prompts.asked.size(), 4u);
  EXPECT_EQ(prompts.asked[0].text, "Vandrel texture");
  EXPECT_NE(prompts.asked[3].text.find("missing/c.vtx"), std::string::npos);

  click(kEraseAll);
  prompts.files = {path("none.vtx"), path("a.vtx")};
  dialog->menuAction(kLoadLog)->trigger();
  EXPECT_NE(prompts.asked.back().text.find("none.vtx"), std::string::npos);
  EXPECT_EQ(textureStore.entryCount, 1);
  dialog->menuAction(kLoadLog)->trigger();
  EXPECT_EQ(prompts.asked[prompts.asked.size() - 1].text, "Vandrel Texture");
  EXPECT_EQ(history(), (Strings{"1Chessfield"}));

  // The export writes what the preview shows unless its check box asks for alpha
  // (the PNG colour type at byte 25: 2 RGB, 6 RGBA).
  prompts.files = {path("shot"), path("alpha.png")};
  prompts.checks = {false, true};
  dialog->menuAction(kExportPng)->trigger();
  dialog->menuAction(kExportPng)->trigger();
  EXPECT_EQ(prompts.asked.back().checkBox, "С альфа-каналом");
  EXPECT_EQ(slurp(path("shot.png")).substr(0, 8), "\x89PNG\r\n\x1a\n");
  EXPECT_EQ(slurp(path("shot.png"))[25], 2);
  EXPECT_EQ(slurp(path("alpha.png"))[25], 6);
}

TEST_F(TextureEditor, ClickedLogRendersTheSameOnTheCommandLine) {
  pick(texgen::kPlasm);
  slide(2, 40);
  click(kOk);
  append(texgen::kTwirl);
  pick(texgen::kScaleColor);
  slide(2, 60);
  click(kOk);
  pick(texgen::kMixer);
  slide(1, 1);
  slide(5, 2);
  click(kOk);
  clickItem(kHistoryList, 2);  // twirl
  click(kChangeEntry);
  slide(3, 30);
  click(kOk);
  clickItem(kHistoryList, 1);  // ScaleColor
  click(kDeleteEntry);
  chooseSize(1);
  click(kNextSlot);
  click(kPreviousSlot);
  ASSERT_EQ(textureStore.entryCount, 4);

  prompts.files = {path("clicked.vtx")};
  dialog->command(kSaveLog);
  const std::string command = std::string("\"") + VANDREL_BINARY + "\" texture \"" + path("clicked.vtx") +
                              "\" -o \"" + path("clicked.raw") + "\"";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(slurp(path("clicked.raw")), workingLayer());
}

// A pack saved in the middle of a change holds the committed log and leaves the
// change going.
TEST_F(TextureEditor, SavingDuringAChangeStoresTheCommittedLog) {
  for (int code : {texgen::kChessfield, texgen::kInvert, texgen::kNoise}) append(code);
  clickItem(kHistoryList, 1);
  click(kChangeEntry);
  const std::string pack = pack::writePack();
  EXPECT_NE(pack.find("section:texturedata_\n4,texture generation log"), std::string::npos);
  EXPECT_EQ(textureEditorState.changeMode, 1);
  EXPECT_EQ(textureStore.entryCount, 2);
}

// Whatever puts a function in the rows (a replay after "Удалить", "Изменить", a
// pick) shows exactly its rows, and the tab shows its group.
TEST_F(TextureEditor, RowsAndTabFollowTheFunctionShown) {
  auto rowsShown = [this] {
    int n = 0;
    for (const ParameterRowIds& row : kParameterRows) n += at(row.trackbar)->isVisibleTo(dialog.get());
    return n;
  };
  append(texgen::kNoise);
  append(texgen::kBox);
  EXPECT_EQ(rowsShown(), 7);
  EXPECT_EQ(dialog->tabBar()->currentIndex(), kTabColour);
  clickItem(kHistoryList, 0);
  click(kDeleteEntry);
  EXPECT_EQ(rowsShown(), 1);
  EXPECT_EQ(dialog->text(kParameterRows[0].label), texgen::catalogue.records[texgen::kNoise].labels[0]);
  EXPECT_EQ(dialog->tabBar()->currentIndex(), kTabGenerators);

  append(texgen::kBox);
  QTabBar* tabs = dialog->tabBar();
  QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(kTabFilters).center());
  clickItem(kHistoryList, 1);  // Noise
  click(kChangeEntry);
  EXPECT_EQ(rowsShown(), 1);
  EXPECT_EQ(tabs->currentIndex(), kTabGenerators);
  EXPECT_EQ(textureEditorState.selectedTab, kTabGenerators);
}

// A refused log leaves the slot as it was; lines the reader skips are told in one
// message after the rest is loaded; a full log is told once, not on every click.
TEST_F(TextureEditor, LoadsAndFullLogsSpeakOnce) {
  append(texgen::kChessfield);
  append(texgen::kInvert);
  prompts.files = {file("bad.vtx", "tsize=64;\nNoise(3);\nend\n"),
                   file("big.vtx", "texture generation log\ntsize=600;\nNoise(3);\nend\n")};
  for (int i = 0; i < 2; ++i) dialog->command(kLoadLog);
  EXPECT_EQ(history(), (Strings{"2Invert", "1Chessfield"}));
  ASSERT_EQ(prompts.asked.size(), 4u);
  EXPECT_NE(prompts.asked[1].text.find("bad.vtx» не загружен.\nСтрока 1"), std::string::npos) << prompts.asked[1].text;
  EXPECT_NE(prompts.asked[3].text.find("big.vtx» не загружен.\nСтрока 2"), std::string::npos) << prompts.asked[3].text;

  prompts.asked.clear();
  prompts.files = {file("u.vtx", "texture generation log\ntsize=64;\nfoo(1);\nNoise(3);\nbar();\nend\n")};
  dialog->command(kLoadLog);
  EXPECT_EQ(history(), (Strings{"1Noise"}));
  ASSERT_EQ(prompts.asked.size(), 2u);
  EXPECT_NE(prompts.asked[1].text.find("неизвестная команда в строке 3 и ещё в 1 строке"), std::string::npos)
      << prompts.asked[1].text;

  prompts.asked.clear();
  click(kEraseAll);
  chooseSize(4);
  textureStore.entryCount = texgen::currentCapacity();
  pick(texgen::kInvert);
  for (int i = 0; i < 3; ++i) click(kOk);
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].text, "Лог текстуры заполнен: при размере 512 помещается 93 операции");
}

TEST_F(TextureEditor, TimingTestFocusAndFold) {
  dialog->command(kTimingTest);
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].caption, "timetest");
  EXPECT_GE(std::atof(prompts.asked[0].text.c_str()), 0.0);

  ui::registerToolWindow({dialog.get(), dialog.get(), ui::kFocusTextureEditor, ui::kSlotTextureEditor, true, false});
  click(kFold);
  EXPECT_TRUE(ui::toolWindowWithCode(ui::kFocusTextureEditor)->foldFlag);
  ui::shellFlags.autoFocusOff = true;
  QTest::mouseMove(at(kParameterRows[3].plus));
  EXPECT_EQ(ui::shellFlags.activeToolCode, ui::kFocusView);
  ui::shellFlags.autoFocusOff = false;
  QTest::mouseMove(at(kHistoryList));
  EXPECT_EQ(ui::shellFlags.activeToolCode, ui::kFocusTextureEditor);
}

TEST_F(TextureEditor, ClosingPutsTheHeadlessHooksBack) {
  EXPECT_EQ(dynamic_cast<texgen::PlainParameterRows*>(texgen::textureHooks.rows), nullptr);
  dialog.reset();
  EXPECT_NE(dynamic_cast<texgen::PlainParameterRows*>(texgen::textureHooks.rows), nullptr);
  EXPECT_EQ(texgen::textureHooks.clearHistory, nullptr);
  EXPECT_EQ(texgen::textureHooks.beforeSlotChange, nullptr);
  EXPECT_NE(texgen::textureHooks.redrawPreview, nullptr);
}

}  // namespace
}  // namespace vandrel::texedit
