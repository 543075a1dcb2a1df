#include "scene/scene_edits.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/os/status_line.h"
#include "scene/catalogues.h"
#include "scene/clone_slots.h"
#include "scene/modifier_kinds.h"
#include "scene_fixture.h"

namespace vandrel::scene::test {
namespace {

// The hooks the edits called, in order.
std::string told;

class SceneEdits : public Snapshots {
 protected:
  void SetUp() override {
    Snapshots::SetUp();
    told.clear();
    SceneHooks& h = sceneHooks;
    h.refreshScenesDialog = [] { told += "scenes "; };
    h.refreshModifiersDialog = [] { told += "modifiers "; };
    h.refreshClonesDialog = [] { told += "clones "; };
    h.selectionChanged = [] { told += "markers "; };
    h.sceneSwitched = [] { told += "fog "; };
    h.objectMoved = [] { told += "marker "; };
    h.objectSwitched = [] { told += "editors "; };
  }

  // n modifiers of the current object told apart by their strength (10, 11, ...).
  static void giveModifiers(int n, int current) {
    ModifierList& list = currentModifierList();
    list.count = static_cast<std::uint8_t>(n);
    for (int i = 0; i < n; ++i) list.modifiers[i] = Modifier{0, 0, 0, 100, static_cast<std::int16_t>(10 + i), 0};
    sceneStore.currentModifier = current;
  }
  static Modifier& current() { return *currentModifierRecord(); }
};

auto fields(const Modifier& m) { return std::tuple(m.offsetX, m.offsetY, m.offsetZ, m.radius, m.strength, m.kind); }

TEST_F(SceneEdits, SceneSwitchesShowTheCurrentSceneEverywhereEvenWhenNothingMoved) {
  stepScene(-1);
  EXPECT_EQ(told, "scenes modifiers clones fog markers ");
  createScene();
  EXPECT_EQ(sceneStore.currentScene, 1);
  giveModifiers(3, 2);
  stepScene(-1);  // scene 0's object has no modifier to keep current
  EXPECT_EQ(sceneStore.currentModifier, -1);
  deleteScene();
  deleteScene();
  EXPECT_EQ(sceneStore.sceneCount, 1);
  EXPECT_EQ(undoCounter, 0);
}

TEST_F(SceneEdits, ObjectStepsStopAtTheEndsAndOnlyTheStepsSwitchTheEditors) {
  fillObjects(3);
  for (int o = 0; o < 3; ++o) modifierList(0, o).count = static_cast<std::uint8_t>(o);
  stepObject(-1);
  EXPECT_EQ(told, "");  // nothing to step to: not even a refresh
  stepObject(1);
  EXPECT_EQ(told, "scenes markers modifiers editors ");
  stepObject(1);
  EXPECT_EQ(sceneStore.currentModifier, 1);  // the object's last
  told.clear();
  stepObject(1);
  EXPECT_EQ(told, "");
  firstObject();
  EXPECT_EQ(told, "scenes markers modifiers ");
  EXPECT_EQ(sceneStore.currentModifier, -1);
  lastObject();
  EXPECT_EQ(currentSceneRecord().currentObject, 2);
}

TEST_F(SceneEdits, TypedNumbersAreTakenWhereTheFieldCanHoldThemAndOnlyAChangeIsAStepOfUndo) {
  SceneObject& o = currentObjectRecord();
  o.posY = 123;
  o.cU = 3;
  applyPosition(-5, 40000, std::nullopt);
  EXPECT_EQ(std::tuple(o.posX, o.posY, o.posZ), std::tuple(-5, 123, 0));
  EXPECT_EQ(told, "marker ");
  applyPosition(-5, std::nullopt, std::nullopt);
  EXPECT_EQ(undoCounter, 1);

  applyGrid(300, 17);
  EXPECT_EQ(std::tuple(o.gridN, o.gridM), std::tuple(32, 17));
  applyRepeat(std::nullopt, -1);
  EXPECT_EQ(std::tuple(o.cU, o.cV), std::tuple(3, 1));
  EXPECT_EQ(undoCounter, 2);
}

TEST_F(SceneEdits, StructuralEditsAreStepsOfUndoOnlyWhenDone) {
  deleteObject();  // the only object stays
  EXPECT_EQ(told, "");
  createObject();
  EXPECT_EQ(told, "scenes modifiers clones markers ");
  cloneObject();
  told.clear();
  deleteObject();
  EXPECT_EQ(told, "scenes modifiers clones markers editors ");
  EXPECT_EQ(undoCounter, 3);
  eraseScene();
  EXPECT_EQ(currentSceneRecord().objectCount, 1);
  EXPECT_EQ(undoCounter, 4);
}

TEST_F(SceneEdits, ALayerLoadOrItsCancelGoesBackToTheFirstObject) {
  fillObjects(3);
  currentSceneRecord().currentObject = 2;
  std::string error;
  EXPECT_FALSE(loadLayer(dir_ + "/missing.vsl", &error));
  EXPECT_NE(error.find("missing.vsl"), std::string::npos);
  EXPECT_EQ(told, "");
  EXPECT_TRUE(loadLayer(std::nullopt, &error));
  EXPECT_EQ(currentSceneRecord().currentObject, 0);
  EXPECT_EQ(told, "scenes markers modifiers ");
}

TEST_F(SceneEdits, ImmediateEditsStayInTheirRangesAndTheScaleSplitsIntoItsTrackbars) {
  SceneObject& o = currentObjectRecord();
  stepMaterial(-1);
  o.texture = 255;
  stepTexture(1);
  EXPECT_EQ(std::tuple(o.material, o.texture), std::tuple(0, 255));
  for (int i = 0; i < kNormalModes; ++i) cycleNormalMode();
  EXPECT_EQ(o.normalMode, 0);
  setPrimitive(kTorus);
  setPrimitive(kPrimitiveKinds);
  setAlphaMode(-1);
  EXPECT_EQ(std::tuple(o.primitive, o.alphaMode), std::tuple(kTorus, 0));

  const ScaleTrackbars t = scaleTrackbarsOf(300);
  EXPECT_EQ(std::tuple(t.coarse, t.fine), std::tuple(1, 44));
  std::tie(o.scaleX, o.scaleY, o.scaleZ) = std::tuple(100, 50, 0);
  EXPECT_EQ(meanScale(), 50);
  EXPECT_EQ(axisScale(kScaleAxisCommon), 100);
  storeScaleTrackbars(kScaleAxisCommon, {0, 60});
  storeScaleTrackbars(kScaleAxisZ, {2, 60});
  EXPECT_EQ(std::tuple(o.scaleX, o.scaleY, o.scaleZ), std::tuple(60, 60, 572));
  EXPECT_EQ(undoCounter, 0);
  EXPECT_EQ(told, "");
}

TEST_F(SceneEdits, NewModifiersDuplicateTheCurrentOneRightAfterItUpTo255) {
  emptyModifierList();
  currentModifierList().modifiers[0].kind = 42;  // a stale slot is not copied
  createModifier();
  ASSERT_EQ(currentModifierList().count, 1);
  EXPECT_EQ(fields(current()), fields(newModifier()));
  EXPECT_EQ(current().radius, 100);
  EXPECT_EQ(told, "markers ");

  giveModifiers(3, 1);
  createModifier();
  const ModifierList& list = currentModifierList();
  ASSERT_EQ(list.count, 4);
  EXPECT_EQ(sceneStore.currentModifier, 2);
  EXPECT_EQ(std::tuple(list.modifiers[1].strength, list.modifiers[2].strength, list.modifiers[3].strength),
            std::tuple(11, 11, 12));

  giveModifiers(kMaxModifiers - 1, 0);
  createModifier();
  createModifier();
  EXPECT_EQ(list.count, kMaxModifiers);
  EXPECT_EQ(list.modifiers[kMaxModifiers - 1].strength, 10 + kMaxModifiers - 2);
}

TEST_F(SceneEdits, DeletingAndSteppingStayInsideTheModifierList) {
  giveModifiers(3, 1);
  deleteModifier();
  EXPECT_EQ(currentModifierList().count, 2);
  EXPECT_EQ(sceneStore.currentModifier, 0);
  EXPECT_EQ(currentModifierList().modifiers[1].strength, 12);
  stepModifier(-1);
  EXPECT_EQ(sceneStore.currentModifier, 0);
  stepModifier(1);
  stepModifier(1);
  EXPECT_EQ(sceneStore.currentModifier, 1);
  EXPECT_EQ(told, "markers markers markers markers ");

  giveModifiers(1, 0);
  deleteModifier();
  deleteModifier();
  EXPECT_EQ(currentModifierList().count, 0);
  EXPECT_EQ(sceneStore.currentModifier, 0);
  lastModifier();
  EXPECT_EQ(sceneStore.currentModifier, -1);
}

TEST_F(SceneEdits, ParameterEditsNeedAModifierAndKeepToTheirRanges) {
  emptyModifierList();
  const Modifier before = currentModifierList().modifiers[0];
  applyStrength(5);
  applyOffsets(5, 5, 5);
  stepRadius(1);
  storeModifierTrackbars({1, 1, 1});
  setModifierKind(1);
  EXPECT_EQ(fields(currentModifierList().modifiers[0]), fields(before));
  EXPECT_EQ(told, "");

  giveModifiers(1, 0);
  struct Case {
    void (*apply)(std::optional<int>);
    int limit;
    std::int16_t Modifier::*field;
  };
  for (const Case& c : {Case{applyStrength, 126, &Modifier::strength}, Case{applyRadius, 32766, &Modifier::radius},
                        Case{[](std::optional<int> v) { applyOffsets(std::nullopt, v, std::nullopt); }, 12699,
                             &Modifier::offsetY}}) {
    c.apply(-c.limit);
    EXPECT_EQ(current().*c.field, -c.limit);
    for (std::optional<int> refused : {std::optional<int>(c.limit + 1), std::optional<int>(-c.limit - 1),
                                       std::optional<int>()}) {
      c.apply(refused);
      EXPECT_EQ(current().*c.field, -c.limit) << c.limit;
    }
  }
  applyOffsets(-40, std::nullopt, 20000);  // each offset is judged on its own
  EXPECT_EQ(std::tuple(current().offsetX, current().offsetY, current().offsetZ), std::tuple(-40, -12699, 0));

  current().strength = 32766;
  current().radius = -32765;
  for (int i = 0; i < 3; ++i) stepStrength(1), stepRadius(-1);
  EXPECT_EQ(std::tuple(current().strength, current().radius), std::tuple(32767, -32767));

  current().radius = -300;
  const ModifierTrackbars shown = modifierTrackbarsOf(current());
  EXPECT_EQ(std::tuple(shown.strength, shown.radiusCoarse, shown.radiusFine), std::tuple(32767, -2, -46));
  storeModifierTrackbars({40, 2, 45});
  EXPECT_EQ(std::tuple(current().strength, current().radius), std::tuple(40, 299));

  setModifierKind(kModifierKinds - 1);
  setModifierKind(kModifierKinds);
  EXPECT_EQ(current().kind, kModifierKinds - 1);
}

TEST_F(SceneEdits, CloneCountsAndStepsStayInTheirRanges) {
  stepCloneCount(254, -1);
  EXPECT_EQ(cloneRule(0, 254).cloneCount, 0);
  for (int i = 0; i < 256; ++i) stepCloneCount(254, +1);
  EXPECT_EQ(cloneRule(0, 254).cloneCount, 254);
  applyCloneStep(3, -19999);
  for (std::optional<int> typed : {std::optional(20000), std::optional(-20000), std::optional<int>()}) {
    applyCloneStep(3, typed);
    EXPECT_EQ(cloneRule(0, 3).cloneStep, -19999);
  }
  EXPECT_EQ(told, "");  // the clones editor shows its own edits
}

// A clone slot is written over at every draw: its edits are refused and told,
// and nothing else is.
TEST_F(SceneEdits, EditsOfAnObjectACloneRuleFillsAreRefusedAndTold) {
  std::vector<std::string> status;
  os::statusLine = [&status](const std::string& text) { status.push_back(text); };
  fillObjects(6);
  addModifier(0, kSource, 5);
  addModifier(0, kSource, 6);
  cloneRule(0, 0) = CloneRule{3, 2, 100};  // a line: objects 1 and 2 are copies of 0
  cloneRule(0, 3) = CloneRule{6, 1, 0};    // a group: 4 keeps its record, takes 3's list (empty)
  cloneRule(0, 4) = CloneRule{0, 1, 64};   // a circle: 5 gets 4's list and one turn entry

  currentSceneRecord().currentObject = 2;
  const SceneObject before = currentObjectRecord();
  const int snapshots = undoCounter;
  told.clear();
  applyPosition(1, 2, 3);
  applyGrid(5, 5);
  applyRepeat(3, 3);
  stepMaterial(1);
  stepTexture(1);
  setMaterialNumber(7);
  setTextureNumber(7);
  cycleNormalMode();
  setPrimitive(3);
  setAlphaMode(1);
  storeScaleTrackbars(kScaleAxisCommon, {1, 1});
  EXPECT_EQ(std::memcmp(&currentObjectRecord(), &before, sizeof before), 0);
  EXPECT_EQ(undoCounter, snapshots);
  ASSERT_EQ(status.size(), 11u);
  EXPECT_EQ(status.front(), "объект 2 заполняется клонами объекта 0");
  EXPECT_NE(told.find("scenes"), std::string::npos);  // the dialogs show the record again
  // Its modifiers are the leader's too.
  sceneStore.currentModifier = 1;
  modifierList(0, 2).count = 2;
  applyStrength(50);
  EXPECT_FALSE(insertModifier());
  EXPECT_EQ(modifierList(0, 2).count, 2);
  EXPECT_TRUE(objectFilledByClones());

  // A group's copy keeps its record; its own list is left alone when the leader has none.
  status.clear();
  currentSceneRecord().currentObject = 4;
  applyPosition(7, std::nullopt, std::nullopt);
  EXPECT_EQ(currentObjectRecord().posX, 7);
  EXPECT_TRUE(insertModifier());
  EXPECT_FALSE(objectFilledByClones());
  EXPECT_TRUE(status.empty());
  // 4 now has a modifier, so its circle copy 5 has two written entries; a third is its own.
  currentSceneRecord().currentObject = 5;
  modifierList(0, 5).count = 3;
  sceneStore.currentModifier = 1;
  EXPECT_TRUE(modifierFilledByClones());
  sceneStore.currentModifier = 2;
  EXPECT_FALSE(modifierFilledByClones());
  applyStrength(50);
  EXPECT_EQ(modifierList(0, 5).modifiers[2].strength, 50);
  EXPECT_EQ(status, (std::vector<std::string>{"объект 5 заполняется клонами объекта 4"}));
  os::statusLine = nullptr;
}

// Copies stop before the modifier marker's slot, as the expansion makes them.
TEST_F(SceneEdits, ARuleFillsNoSlotPastTheOneBeforeTheMarker) {
  fillObjects(1);
  cloneRule(0, 0).cloneCount = 254;
  EXPECT_EQ(copiesOfRule(0, 0), kMarkerObject - 1);
  EXPECT_EQ(cloneFillOf(0, kMarkerObject - 1).recordLeader, 0);
  EXPECT_EQ(cloneFillOf(0, kMarkerObject).recordLeader, -1);
}

}  // namespace
}  // namespace vandrel::scene::test
