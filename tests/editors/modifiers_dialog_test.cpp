#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "pack/document.h"
#include "platform/ui/tool_windows.h"
#include "render/view_navigation.h"
#include "scene/modifier_texts.h"
#include "editor/scene/modifiers_dialog.h"
#include "scene/scene_hooks.h"
#include "scene/scene_store.h"

namespace vandrel::scene {
namespace {

auto fields(const Modifier& m) { return std::tuple(m.offsetX, m.offsetY, m.offsetZ, m.radius, m.strength, m.kind); }

class ModifiersDialogTest : public testing::Test {
 protected:
  void SetUp() override {
    pack::resetDocument();
    resetSceneHooks();
    ui::resetToolWindows();
    render::resetViewState();
    sceneHooks.selectionChanged = &render::updateMarkers;
    dialog = new ModifiersDialog;
  }
  void TearDown() override {
    delete dialog;
    resetSceneHooks();
    ui::resetToolWindows();
  }

  // n modifiers told apart by their strength (10, 11, ...).
  void giveModifiers(int n, int current) {
    ModifierList& list = currentModifierList();
    list.count = static_cast<std::uint8_t>(n);
    for (int i = 0; i < n; ++i) {
      list.modifiers[i] = render::firstModifier();
      list.modifiers[i].strength = static_cast<std::int16_t>(10 + i);
    }
    sceneStore.currentModifier = current;
    refreshModifiersDialog();
  }
  Modifier& current() { return currentModifierList().modifiers[sceneStore.currentModifier]; }
  void click(int id) { QTest::mouseClick(dialog->control(id), Qt::LeftButton); }
  void apply(int edit, const std::string& typed, int button) {
    dialog->setText(edit, typed);
    click(button);
  }
  void expectBlanks() {
    for (int id : {kModIndex, kModCount, kModStrengthEdit, kModRadiusEdit, kModOffsetX, kModOffsetY, kModOffsetZ})
      EXPECT_EQ(dialog->text(id), "") << id;
    EXPECT_EQ(dialog->selection(kModKind), -1);
  }

  ModifiersDialog* dialog = nullptr;
};

TEST_F(ModifiersDialogTest, CatalogueTextsAndTheLabelsAKindShows) {
  ASSERT_EQ(dialog->itemCount(kModKind), kModifierKinds);
  EXPECT_EQ(dialog->itemText(kModKind, 3), "  скрутка y");
  EXPECT_EQ(dialog->itemText(kModKind, 62), "  шумтиь выделение");
  EXPECT_EQ(dialog->itemText(kModKind, 32), "::анима-spd|fz|xyzS");
  // Latin letters among the Cyrillic ones.
  EXPECT_EQ(dialog->itemText(kModKind, 27), "::гл.\x63кос x");
  EXPECT_EQ(dialog->itemText(kModKind, 49), "  е.в б. \x63 упором");
  EXPECT_EQ(dialog->itemText(kModKind, 64), "::\x61.вечное движение");
  EXPECT_STREQ(modifierRadiusLabel(24), "сила");
  EXPECT_STREQ(modifierStrengthLabel(32), "скорость");
  EXPECT_STREQ(modifierListText(kModifierKinds), "");

  giveModifiers(1, 0);
  dialog->setSelection(kModKind, 50);
  QTest::keyClick(dialog->control(kModKind), Qt::Key_Down);  // the user picks 51
  EXPECT_EQ(current().kind, 51);
  EXPECT_EQ(dialog->text(kModStrengthLabel), "№ объекта");
  EXPECT_EQ(dialog->text(kModRadiusLabel), "n/u");
  current().kind = 200;  // a code from a file that the catalogue lacks
  refreshModifiersDialog();
  EXPECT_EQ(dialog->selection(kModKind), -1);
}

TEST_F(ModifiersDialogTest, StartsWithoutModifiersShowingBlanksThatNoCommandFills) {
  EXPECT_EQ(currentModifierList().count, 0);
  EXPECT_EQ(sceneStore.currentModifier, 0);
  expectBlanks();
  EXPECT_EQ(dialog->text(kModRadiusLabel), "рад.");

  currentModifierList().modifiers[0].kind = 42;  // a leftover slot stays as it is
  const Modifier before = currentModifierList().modifiers[0];
  apply(kModStrengthEdit, "5", kModStrengthApply);
  apply(kModOffsetX, "5", kModOffsetsApply);
  click(kModRadiusPlus);
  QTest::keyClick(dialog->control(kModRadiusFine), Qt::Key_Right);
  QTest::keyClick(dialog->control(kModKind), Qt::Key_Down);
  EXPECT_EQ(currentModifierList().count, 0);
  EXPECT_EQ(fields(currentModifierList().modifiers[0]), fields(before));
  expectBlanks();

  delete dialog;
  dialog = nullptr;
  EXPECT_EQ(sceneHooks.refreshModifiersDialog, nullptr);
  EXPECT_EQ(ui::commandTarget(ui::WindowId::modifiers), nullptr);
}

TEST_F(ModifiersDialogTest, CreateDuplicatesTheCurrentOneRightAfterItUpTo255) {
  currentModifierList().modifiers[0].kind = 42;  // a stale slot is not copied
  click(kModCreate);
  ASSERT_EQ(currentModifierList().count, 1);
  EXPECT_EQ(sceneStore.currentModifier, 0);
  EXPECT_EQ(fields(current()), fields(render::firstModifier()));
  EXPECT_EQ(dialog->text(kModIndex), "0");
  EXPECT_EQ(dialog->text(kModRadiusEdit), "100");

  giveModifiers(3, 1);
  click(kModCreate);
  const ModifierList& list = currentModifierList();
  ASSERT_EQ(list.count, 4);
  EXPECT_EQ(sceneStore.currentModifier, 2);
  EXPECT_EQ(std::tuple(list.modifiers[1].strength, list.modifiers[2].strength, list.modifiers[3].strength),
            std::tuple(11, 11, 12));

  giveModifiers(kMaxModifiers - 1, 0);
  click(kModCreate);
  click(kModCreate);
  EXPECT_EQ(list.count, kMaxModifiers);
  EXPECT_EQ(list.modifiers[kMaxModifiers - 1].strength, 10 + kMaxModifiers - 2);
}

TEST_F(ModifiersDialogTest, DeleteAndTheSteppers) {
  giveModifiers(3, 1);
  click(kModDelete);
  EXPECT_EQ(currentModifierList().count, 2);
  EXPECT_EQ(sceneStore.currentModifier, 0);
  EXPECT_EQ(currentModifierList().modifiers[1].strength, 12);
  click(kModPrevious);
  EXPECT_EQ(sceneStore.currentModifier, 0);
  click(kModNext);
  click(kModNext);
  EXPECT_EQ(dialog->text(kModStrengthEdit), "12");
  giveModifiers(5, 0);
  click(kModLast);
  EXPECT_EQ(dialog->text(kModIndex), "4");

  // The labels outlive the last modifier.
  giveModifiers(1, 0);
  current().kind = 51;
  refreshModifiersDialog();
  click(kModDelete);
  EXPECT_EQ(currentModifierList().count, 0);
  EXPECT_EQ(sceneStore.currentModifier, 0);
  expectBlanks();
  EXPECT_EQ(dialog->text(kModStrengthLabel), "№ объекта");
}

TEST_F(ModifiersDialogTest, ChangingTheCurrentModifierOrItsOffsetsMovesItsMarker) {
  giveModifiers(2, 0);
  currentModifierList().modifiers[1].offsetX = 3000;
  render::updateMarkers();
  const int first = selectionMarkers.modifier.x;
  click(kModNext);
  const int second = selectionMarkers.modifier.x;
  EXPECT_NE(second, first);
  click(kModPrevious);
  EXPECT_EQ(selectionMarkers.modifier.x, first);
  apply(kModOffsetX, "3000", kModOffsetsApply);
  EXPECT_EQ(selectionMarkers.modifier.x, second);
}

TEST_F(ModifiersDialogTest, TypedNumbersOutsideTheirRangeOrNotNumbersAreRefused) {
  giveModifiers(1, 0);
  struct Case {
    int edit, button, limit;
    std::int16_t Modifier::*field;
  };
  for (const Case& c : {Case{kModStrengthEdit, kModStrengthApply, 126, &Modifier::strength},
                        Case{kModRadiusEdit, kModRadiusApply, 32766, &Modifier::radius},
                        Case{kModOffsetY, kModOffsetsApply, 12699, &Modifier::offsetY}}) {
    for (int v : {-c.limit, c.limit}) {
      apply(c.edit, std::to_string(v), c.button);
      EXPECT_EQ(current().*c.field, v) << c.edit;
    }
    for (const std::string& bad : {std::to_string(-c.limit - 1), std::to_string(c.limit + 1), std::string("abc"),
                                   std::string(""), std::string("12x")}) {
      apply(c.edit, bad, c.button);
      EXPECT_EQ(current().*c.field, c.limit) << c.edit << " " << bad;
      EXPECT_EQ(dialog->text(c.edit), std::to_string(c.limit));
    }
  }
  // Each offset is judged on its own.
  dialog->setText(kModOffsetX, "-40");
  dialog->setText(kModOffsetZ, "20000");
  click(kModOffsetsApply);
  EXPECT_EQ(std::tuple(current().offsetX, current().offsetY, current().offsetZ), std::tuple(-40, 12699, 0));
}

TEST_F(ModifiersDialogTest, PlusAndMinusStopAtTheEndsOfTheRecord) {
  giveModifiers(1, 0);
  current().strength = 32766;
  current().radius = -32765;
  for (int i = 0; i < 3; ++i) click(kModStrengthPlus), click(kModRadiusMinus);
  EXPECT_EQ(current().strength, 32767);
  EXPECT_EQ(current().radius, -32767);
  click(kModStrengthMinus);
  EXPECT_EQ(dialog->text(kModStrengthEdit), "32766");
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
  ui::registerToolWindow({dialog, dialog, ui::kFocusModifiers, ui::kSlotModifiers, true, false});
  dialog->show();
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
