#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/ui/tool_windows.h"

namespace vandrel::ui {
namespace {

// Three foldable dialogs (scenes, modifiers, materials) and the texture preview in
// one area, with a layout that gives the dialogs their full sizes.
struct ToolWindows : testing::Test {
  QWidget area;
  QWidget* scenes = new QWidget(&area);
  QWidget* modifiers = new QWidget(&area);
  QWidget* preview = new QWidget(&area);

  void SetUp() override {
    resetToolWindows();
    area.resize(1200, 900);
    area.show();
    registerToolWindow({scenes, scenes, kFocusScenes, kSlotScenes, true, false});
    registerToolWindow({modifiers, modifiers, kFocusModifiers, kSlotModifiers, true, false});
    registerToolWindow({preview, preview, kFocusPreview, kSlotPreview, false, false});
    shellFlags.currentLayout.rects[kSlotScenes] = {10, 10, 310, 510};
    shellFlags.currentLayout.rects[kSlotModifiers] = {400, 10, 650, 410};
    scenes->setGeometry(10, 10, 300, 500);
    modifiers->setGeometry(400, 10, 250, 400);
  }
  void TearDown() override { resetToolWindows(); }
};

TEST_F(ToolWindows, TheDialogUnderTheMouseUnfoldsAndTheOthersFold) {
  takeFocusOnMouseMove(kFocusScenes);
  EXPECT_EQ(shellFlags.activeToolCode, kFocusScenes);
  EXPECT_EQ(scenes->size(), QSize(300, 500));
  EXPECT_EQ(modifiers->size(), QSize(250, kFoldHeight));
  takeFocusOnMouseMove(kFocusModifiers);
  EXPECT_EQ(scenes->geometry(), QRect(10, 10, 300, kFoldHeight));  // position kept
  EXPECT_EQ(modifiers->size(), QSize(250, 400));
}

TEST_F(ToolWindows, AFoldFlagOrUnfoldedWindowsKeepDialogsOpen) {
  toggleFoldFlag(kFocusScenes);
  takeFocusOnMouseMove(kFocusModifiers);
  EXPECT_EQ(scenes->height(), 500);
  toggleFoldFlag(kFocusScenes);
  takeFocusOnMouseMove(kFocusScenes);
  takeFocusOnMouseMove(kFocusModifiers);
  EXPECT_EQ(scenes->height(), kFoldHeight);
  unfoldAll();
  EXPECT_EQ(scenes->height(), 500);
  takeFocusOnMouseMove(kFocusScenes);
  EXPECT_EQ(modifiers->height(), 400);
}

TEST_F(ToolWindows, WithAutomaticFocusOffOnlyThePreviewTakesTheFocus) {
  shellFlags.autoFocusOff = true;
  takeFocusOnMouseMove(kFocusModifiers);
  EXPECT_EQ(shellFlags.activeToolCode, 0);
  EXPECT_EQ(modifiers->height(), 400);
  takeFocusOnMouseMove(kFocusPreview);
  EXPECT_EQ(shellFlags.activeToolCode, kFocusPreview);
  EXPECT_EQ(scenes->height(), kFoldHeight);
}

// Two dialogs stacked as strips in one column: the one that opens pushes the strip
// below it out of its way, and where the area ends both move up instead; the
// strips go back home when it folds, unless the user moved them meanwhile.
TEST_F(ToolWindows, AnOpenDialogNeverHidesAStripOfItsColumn) {
  shellFlags.currentLayout.rects[kSlotModifiers] = {10, 90, 260, 490};
  modifiers->setGeometry(10, 90, 250, 400);
  takeFocusOnMouseMove(kFocusScenes);
  EXPECT_EQ(scenes->geometry(), QRect(10, 10, 300, 500));
  EXPECT_EQ(modifiers->geometry(), QRect(10, 10 + 500 + kStripGap, 250, kFoldHeight));
  takeFocusOnMouseMove(kFocusModifiers);
  EXPECT_EQ(scenes->geometry(), QRect(10, 10, 300, kFoldHeight));
  EXPECT_EQ(modifiers->geometry(), QRect(10, 90, 250, 400));  // home again

  // Near the bottom of the area the open dialog moves up, the strip above with it.
  takeFocusOnMouseMove(kFocusPreview);
  scenes->move(10, 100);
  modifiers->move(10, 180);
  area.resize(1200, 560);
  takeFocusOnMouseMove(kFocusModifiers);
  EXPECT_EQ(modifiers->geometry(), QRect(10, 160, 250, 400));
  EXPECT_EQ(scenes->geometry(), QRect(10, 160 - kStripGap - kFoldHeight, 300, kFoldHeight));
  scenes->move(700, 300);  // by the user: its new home
  takeFocusOnMouseMove(kFocusPreview);
  EXPECT_EQ(scenes->pos(), QPoint(700, 300));
  EXPECT_EQ(modifiers->pos(), QPoint(10, 180));

  // A column too short for all of them keeps its places, the strip over the dialog.
  scenes->move(10, 10);
  area.resize(1200, 300);
  takeFocusOnMouseMove(kFocusScenes);
  EXPECT_EQ(modifiers->pos(), QPoint(10, 180));
  EXPECT_EQ(area.children().indexOf(modifiers), area.children().size() - 1);  // uppermost
}

// "Раскрытые окна" lays the windows out side by side where the area has room, and
// inside it, sparing the captions, where it has not.
TEST_F(ToolWindows, UnfoldedWindowsStandSideBySide) {
  preview->setGeometry(500, 600, 265, 300);
  modifiers->move(100, 100);
  unfoldAll();
  const QList<QWidget*> all{scenes, modifiers, preview};
  for (QWidget* w : all) {
    EXPECT_TRUE(area.rect().contains(w->geometry())) << w->geometry().x() << "," << w->geometry().y();
    for (QWidget* other : all) {
      if (other == w) continue;
      EXPECT_FALSE(w->geometry().intersects(other->geometry()));
    }
  }
  EXPECT_EQ(scenes->size(), QSize(300, 500));

  // Too little room: inside it all the same, the first caption left in sight.
  const QRect window(0, 0, 300, 200);
  const std::vector<QRect> two = arrangeSideBySide({window, window}, QSize(400, 300), 20);
  EXPECT_EQ(two[0], window);
  EXPECT_TRUE(QRect(0, 0, 400, 300).contains(two[1]));
  EXPECT_FALSE(two[1].intersects(QRect(0, 0, 300, 20)));
  for (const QRect& r : arrangeSideBySide({window, window, window}, QSize(500, 300), 20))
    EXPECT_TRUE(QRect(0, 0, 500, 300).contains(r));
}

}  // namespace
}  // namespace vandrel::ui
