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
#include <filesystem>
#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "platform/os/status_line.h"
#include "texedit/texture_editing.h"
#include "texgen/catalogue.h"
#include "texgen/dispatcher.h"
#include "texgen/editor_hooks.h"
#include "texgen/parameter_rows.h"
#include "texgen/texture_store.h"

namespace vandrel::texedit {
namespace {

using texgen::textureStore;

int redraws = 0;

class TextureEditor : public test::DialogTest<TextureEditorDialog> {
 public:
  void SetUp() override {
    DialogTest::SetUp();
    texgen::textureHooks.redrawPreview = [] { ++redraws; };
    redraws = 0;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
  }

  QWidget* at(int id) const { return dialog->control(id); }
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
};

using Strings = std::vector<std::string>;

// A change left by a slot selection from outside (the 3D view's pick) is settled
// and the edit buttons come back.
TEST_F(TextureEditor, SlotNumberAndEditButtonsFollowEverySlotSelection) {
  append(texgen::kChessfield);
  click(kChangeEntry);
  for (int id : {kChangeEntry, kDeleteEntry, kEraseAll}) EXPECT_FALSE(dialog->isEnabled(id));
  texgen::selectSlot(255);
  EXPECT_EQ(dialog->text(kSlotNumber), "255");
  for (int id : {kChangeEntry, kDeleteEntry, kEraseAll}) EXPECT_TRUE(dialog->isEnabled(id));
  EXPECT_EQ(textureStore.slots[1].entryCount, 2);
  click(kNextSlot);
  EXPECT_EQ(textureStore.currentSlot, 255);
  click(kPreviousSlot);
  EXPECT_EQ(dialog->text(kSlotNumber), "254");
}

TEST_F(TextureEditor, RefreshingFromCodeRunsNothing) {
  append(texgen::kChessfield);
  pick(texgen::kNoise);
  redraws = 0;
  const std::string before = workingLayer();
  texgen::TextureHooks& h = texgen::textureHooks;
  h.selectFunction(texgen::kStars);
  dialog->refresh();
  h.showRows(texgen::kTwirl);
  h.hideRows();
  h.removeHistoryAtTop(1);
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
  EXPECT_EQ(dialog->selectedTab(), kTabFilters);
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
  click(kParameterRows[1].plus);
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
  EXPECT_EQ(dialog->selectedTab(), kTabGenerators);
}

// A refused log leaves the slot as it was; lines the reader skips are told in one
// message after the rest is loaded; a full log is told once, not on every click.
TEST_F(TextureEditor, LoadsAndFullLogsSpeakOnce) {
  append(texgen::kChessfield);
  append(texgen::kInvert);
  prompts.files = {file("big.vtx", "texture generation log\ntsize=600;\nNoise(3);\nend\n")};
  dialog->command(kLoadLog);
  EXPECT_EQ(history(), (Strings{"2Invert", "1Chessfield"}));
  ASSERT_EQ(prompts.asked.size(), 2u);
  EXPECT_NE(prompts.asked[1].text.find("big.vtx» не загружен.\nСтрока 2"), std::string::npos) << prompts.asked[1].text;

  prompts.asked.clear();
  prompts.files = {file("u.vtx", "texture generation log\ntsize=64;\nfoo(1);\nNoise(3);\nbar();\nend\n")};
  dialog->command(kLoadLog);
  EXPECT_EQ(history(), (Strings{"1Noise"}));
  ASSERT_EQ(prompts.asked.size(), 2u);
  EXPECT_NE(prompts.asked[1].text.find("неизвестная команда в строке 3 и ещё в 1 строке"), std::string::npos)
      << prompts.asked[1].text;

  // Longer than the slot holds: its first entries load, the status bar counts the rest.
  prompts.asked.clear();
  std::string told;
  os::statusLine = [&told](const std::string& text) { told = text; };
  std::string overfull = "texture generation log\ntsize=64;\n";
  for (int i = 0; i < 300; ++i) overfull += "Invert();\n";
  prompts.files = {file("long.vtx", overfull + "end\n")};
  dialog->command(kLoadLog);
  os::statusLine = nullptr;
  EXPECT_EQ(textureStore.entryCount, 255);
  EXPECT_EQ(told, "Лог текстуры заполнен: при размере 64 помещается 254 операции; не загружено операций: 46");
  EXPECT_EQ(prompts.asked.size(), 1u);  // the file dialog alone

  prompts.asked.clear();
  click(kEraseAll);
  chooseSize(4);
  textureStore.entryCount = texgen::currentCapacity();
  pick(texgen::kInvert);
  for (int i = 0; i < 3; ++i) click(kOk);
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].text, "Лог текстуры заполнен: при размере 512 помещается 93 операции");
}

// A value typed into a row's box moves its trackbar there, as a drag does;
// Enter in the box confirms it and commits nothing, Enter elsewhere still does.
TEST_F(TextureEditor, ValueBoxesActAsTheirTrackbarAndKeepTheirEnter) {
  std::string told;
  os::statusLine = [&told](const std::string& text) { told = text; };
  QApplication::setActiveWindow(dialog.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
  pick(texgen::kSolidfill);
  const ParameterRowIds& red = kParameterRows[2];
  const ParameterRowIds& green = kParameterRows[3];
  const std::string white = workingLayer();
  redraws = 0;
  type(red.edit, "200");
  EXPECT_EQ(dialog->trackbarPos(red.trackbar), 200);
  EXPECT_EQ(texgen::catalogue.records[texgen::kSolidfill].values[2], 200);
  EXPECT_EQ(redraws, 1);
  EXPECT_NE(workingLayer(), white);
  EXPECT_EQ(textureStore.entryCount, 1);

  at(green.edit)->setFocus();
  QTest::keyClick(at(green.edit), Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(at(green.edit), "7");
  at(kFunctionList)->setFocus();  // leaving the box confirms it
  EXPECT_EQ(dialog->trackbarPos(green.trackbar), 7);
  EXPECT_EQ(texgen::catalogue.records[texgen::kSolidfill].values[3], 7);

  for (const char* refused : {"256", "-1", "r"}) {
    type(red.edit, refused);
    EXPECT_EQ(dialog->text(red.edit), "200") << refused;
    EXPECT_EQ(told, "r: число от 0 до 255") << refused;
  }
  EXPECT_EQ(dialog->trackbarPos(red.trackbar), 200);
  EXPECT_EQ(textureStore.entryCount, 1);
  QTest::keyClick(at(kFunctionList), Qt::Key_Return);
  EXPECT_EQ(history(), Strings{"1solidfill"});
  EXPECT_EQ(texgen::currentSlot().log[1].param(3), 200);
  os::statusLine = nullptr;
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
  EXPECT_FALSE(texgen::textureHooks.clearHistory);
  EXPECT_FALSE(texgen::textureHooks.beforeSlotChange);
  EXPECT_TRUE(texgen::textureHooks.redrawPreview);
}

}  // namespace
}  // namespace vandrel::texedit
