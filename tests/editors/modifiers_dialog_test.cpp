#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "dialog_fixture.h"
#include "platform/os/status_line.h"
#include "render/view_navigation.h"
#include "scene/modifier_kinds.h"
#include "editor/scene/modifiers_dialog.h"
#include "scene/scene_edits.h"
#include "scene/scene_hooks.h"
#include "scene/scene_store.h"

namespace vandrel::scene {
namespace {

// The dialog with the 3D view's markers.
class ModifiersDialogTest : public test::DialogTest<ModifiersDialog> {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    sceneHooks.selectionChanged = &render::updateMarkers;
  }

  // n modifiers told apart by their strength (10, 11, ...).
  void giveModifiers(int n, int current) {
    ModifierList& list = currentModifierList();
    list.count = static_cast<std::uint8_t>(n);
    for (int i = 0; i < n; ++i) {
      list.modifiers[i] = newModifier();
      list.modifiers[i].strength = static_cast<std::int16_t>(10 + i);
    }
    sceneStore.currentModifier = current;
    refreshModifiersDialog();
  }
  Modifier& current() { return currentModifierList().modifiers[sceneStore.currentModifier]; }
  void apply(int edit, const std::string& typed, int button) {
    dialog->setText(edit, typed);
    click(button);
  }
  void expectBlanks() {
    for (int id : {kModIndex, kModCount, kModStrengthEdit, kModRadiusEdit, kModOffsetX, kModOffsetY, kModOffsetZ})
      EXPECT_EQ(dialog->text(id), "") << id;
    EXPECT_EQ(dialog->selection(kModKind), -1);
  }
};

TEST_F(ModifiersDialogTest, CatalogueTextsAndTheLabelsAKindShows) {
  ASSERT_EQ(dialog->itemCount(kModKind), kModifierKinds);
  for (int kind = 0; kind < kModifierKinds; ++kind)
    EXPECT_EQ(dialog->itemText(kModKind, kind), modifierListText(kind)) << kind;
  EXPECT_STREQ(modifierListText(kModifierKinds), "");

  giveModifiers(1, 0);
  dialog->setSelection(kModKind, kDisplacement);
  QTest::keyClick(dialog->control(kModKind), Qt::Key_Down);  // the user picks the next kind
  EXPECT_EQ(current().kind, kSource);
  EXPECT_EQ(dialog->text(kModStrengthLabel), modifierStrengthLabel(kSource));
  EXPECT_EQ(dialog->text(kModRadiusLabel), modifierRadiusLabel(kSource));
  current().kind = 200;  // a code from a file that the catalogue lacks
  refreshModifiersDialog();
  EXPECT_EQ(dialog->selection(kModKind), -1);
}

TEST_F(ModifiersDialogTest, StartsWithoutModifiersShowingBlanksThatNoCommandFills) {
  EXPECT_EQ(currentModifierList().count, 0);
  EXPECT_EQ(sceneStore.currentModifier, 0);
  expectBlanks();
  EXPECT_EQ(dialog->text(kModRadiusLabel), "рад.");
  QTest::keyClick(dialog->control(kModRadiusFine), Qt::Key_Right);
  expectBlanks();

  dialog.reset();
  EXPECT_FALSE(sceneHooks.refreshModifiersDialog);
  EXPECT_EQ(ui::commandTarget(ui::WindowId::modifiers), nullptr);
}

// The boxes show what is stored, so a refused number gives way to the stored one;
// the markers follow the current modifier; the labels outlive the last modifier.
TEST_F(ModifiersDialogTest, EachControlReachesItsModifierEdit) {
  click(kModCreate);
  click(kModCreate);
  EXPECT_EQ(dialog->text(kModIndex) + "/" + dialog->text(kModCount), "1/2");
  apply(kModStrengthEdit, "-5", kModStrengthApply);
  apply(kModRadiusEdit, "40000", kModRadiusApply);
  EXPECT_EQ(dialog->text(kModRadiusEdit), "100");
  for (int id : {kModStrengthPlus, kModStrengthPlus, kModStrengthMinus, kModRadiusMinus, kModRadiusMinus,
                 kModRadiusPlus})
    click(id);
  EXPECT_EQ(std::tuple(current().strength, current().radius), std::tuple(-4, 99));

  const int shown = selectionMarkers.modifier.x;
  dialog->setText(kModOffsetZ, "20000");
  apply(kModOffsetX, "3000", kModOffsetsApply);
  EXPECT_EQ(dialog->text(kModOffsetZ), "0");
  EXPECT_NE(selectionMarkers.modifier.x, shown);
  click(kModPrevious);
  EXPECT_EQ(selectionMarkers.modifier.x, shown);
  click(kModNext);
  click(kModLast);
  EXPECT_EQ(dialog->text(kModIndex), "1");

  click(kModDelete);
  current().kind = kSource;
  refreshModifiersDialog();
  click(kModDelete);
  expectBlanks();
  EXPECT_EQ(dialog->text(kModStrengthLabel), modifierStrengthLabel(kSource));
}

// Enter in a parameter's box, or leaving it, applies it as its "<-ok" does; a
// refusal calls the parameter what its kind calls it.
TEST_F(ModifiersDialogTest, TypedParametersApplyOnEnterOrLeavingAndRefusalsSayWhy) {
  std::string told;
  os::statusLine = [&told](const std::string& text) { told = text; };
  QApplication::setActiveWindow(dialog.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
  click(kModCreate);
  type(kModStrengthEdit, "50");
  EXPECT_EQ(current().strength, 50);
  setModifierKind(8);  // a rotation: its strength is an angle
  refreshModifiersDialog();
  type(kModStrengthEdit, "127");
  EXPECT_EQ(told, "угол: число от −126 до 126");
  EXPECT_EQ(dialog->text(kModStrengthEdit), "50");

  QWidget* radius = dialog->control(kModRadiusEdit);
  radius->setFocus();
  QTest::keyClick(radius, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(radius, "-300");
  dialog->control(kModOffsetX)->setFocus();
  EXPECT_EQ(current().radius, -300);
  EXPECT_EQ(dialog->trackbarPos(kModRadiusCoarse), -2);

  type(kModOffsetY, "20000");
  EXPECT_EQ(told, "y: число от −12699 до 12699");
  type(kModOffsetY, "5");
  EXPECT_EQ(current().offsetY, 5);
  os::statusLine = nullptr;
}

TEST_F(ModifiersDialogTest, RadiusTrackbarsCarryTheSignAndAnyMoveWritesBothParameters) {
  giveModifiers(1, 0);
  for (auto [radius, coarse, fine] : {std::tuple{300, 2, 46}, {-300, -2, -46}}) {
    current().radius = static_cast<std::int16_t>(radius);
    refreshModifiersDialog();
    EXPECT_EQ(dialog->trackbarPos(kModRadiusCoarse), coarse) << radius;
    EXPECT_EQ(dialog->trackbarPos(kModRadiusFine), fine) << radius;
  }
  current().radius = 300;
  current().strength = 40;
  refreshModifiersDialog();
  QTest::keyClick(dialog->control(kModRadiusFine), Qt::Key_Left);
  EXPECT_EQ(current().radius, 299);
  EXPECT_EQ(current().strength, 40);
  current().strength = 7;  // changed behind the dialog's back: the next move writes the trackbar's
  QTest::keyClick(dialog->control(kModRadiusCoarse), Qt::Key_Home);
  EXPECT_EQ(current().radius, -127 * 127 + 45);
  EXPECT_EQ(current().strength, 40);
}

TEST_F(ModifiersDialogTest, MouseOverAChildTakesTheFocusAndSlashTogglesTheFoldFlag) {
  ui::registerToolWindow({dialog.get(), dialog.get(), ui::kFocusModifiers, ui::kSlotModifiers, true, false});
  QWidget* edit = dialog->control(kModRadiusEdit);
  QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), edit->mapToGlobal(QPointF(3, 3)), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(edit, &move);
  EXPECT_EQ(ui::shellFlags.activeToolCode, ui::kFocusModifiers);
  click(kModFold);
  EXPECT_TRUE(ui::toolWindowWithCode(ui::kFocusModifiers)->foldFlag);
  click(kModFold);
  EXPECT_FALSE(ui::toolWindowWithCode(ui::kFocusModifiers)->foldFlag);
}

}  // namespace
}  // namespace vandrel::scene
