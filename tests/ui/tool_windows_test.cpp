#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

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

}  // namespace
}  // namespace vandrel::ui
