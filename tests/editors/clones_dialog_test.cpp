#include <QTest>

#include <gtest/gtest.h>

#include "dialog_fixture.h"
#include "platform/os/status_line.h"
#include "editor/scene/clones_dialog.h"
#include "scene/scene_hooks.h"
#include "scene/scene_store.h"

namespace vandrel::scene {
namespace {

class ClonesDialogTest : public test::DialogTest<ClonesDialog> {
 protected:
  void beforeDialog() override {
    for (int o = 0; o < kCloneSlots; ++o) cloneRule(0, o) = CloneRule{1, 2, 3};
  }
  void press(int id, int times = 1) {
    for (int i = 0; i < times; ++i) click(id);
  }
};

TEST_F(ClonesDialogTest, StartsClearedAndShowsARefusedStepAsTheOldOne) {
  EXPECT_EQ(cloneRule(0, 254).cloneStep, 0);
  for (const char* typed : {"-19999", "abc"}) {
    dialog->setText(kCloneStepEdit, typed);
    press(kApplyCloneStep);
  }
  EXPECT_EQ(cloneRule(0, 0).cloneStep, -19999);
  EXPECT_EQ(dialog->text(kCloneStepEdit), "-19999");

  // Enter in the box is its "<-ok"; a refusal says why.
  std::string told;
  os::statusLine = [&told](const std::string& text) { told = text; };
  type(kCloneStepEdit, "20000");
  EXPECT_EQ(told, "смещение: число от −19999 до 19999");
  EXPECT_EQ(dialog->text(kCloneStepEdit), "-19999");
  type(kCloneStepEdit, "7");
  EXPECT_EQ(cloneRule(0, 0).cloneStep, 7);
  type(kCloneObjectNumber, "4");
  type(kCloneCountNumber, "255");
  EXPECT_EQ(told, "кол-во клонов: число от 0 до 254");
  type(kCloneCountNumber, "9");
  EXPECT_EQ(cloneRule(0, 4).cloneCount, 9);
  os::statusLine = nullptr;
}

// The selector is the dialog's own: it reaches slots beyond the objects in use,
// leaves the current object's rule alone and keeps its slot across scenes.
TEST_F(ClonesDialogTest, RulesOfAnySlotAreEditedThroughTheSelector) {
  press(kCloneObjectUp, 3);
  QTest::keyClick(dialog->control(kCloneKindList), Qt::Key_End);
  press(kCloneCountUp, 2);
  EXPECT_EQ(cloneRule(0, 3).cloneKind, 8);
  EXPECT_EQ(cloneRule(0, 3).cloneCount, 2);
  EXPECT_EQ(currentCloneRule().cloneCount, 0);

  newScene();
  cloneRule(1, 3).cloneCount = 9;
  refreshClonesDialog();
  EXPECT_EQ(dialog->selection(kCloneKindList), 0);
  press(kCloneCountUp);
  EXPECT_EQ(cloneRule(1, 3).cloneCount, 10);
  EXPECT_EQ(dialog->text(kCloneCountNumber), "10");
  EXPECT_EQ(cloneRule(0, 3).cloneCount, 2);
  press(kCloneObjectUp, 300);
  EXPECT_EQ(dialog->text(kCloneObjectNumber), "254");
  press(kCloneObjectDown, 300);
  EXPECT_EQ(dialog->cloneObjectIndex(), 0);
}

}  // namespace
}  // namespace vandrel::scene
