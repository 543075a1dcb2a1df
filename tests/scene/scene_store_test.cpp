#include "scene/scene_store.h"

#include <gtest/gtest.h>

#include <tuple>

#include "scene_fixture.h"

namespace vandrel::scene::test {
namespace {

TEST_F(SceneStoreTest, StartupSceneAndTheSceneListLimits) {
  EXPECT_EQ(writeCurrentScene(), kNewSceneText);
  ASSERT_TRUE(newScene());
  EXPECT_EQ(sceneStore.currentScene, 1);
  EXPECT_EQ(writeCurrentScene(), kNewSceneText);
  EXPECT_EQ(currentSceneRecord().fogStart, 250);
  EXPECT_EQ(currentSceneRecord().fogEnd, 254);

  while (sceneStore.sceneCount < kMaxScenes) ASSERT_TRUE(newScene());
  sceneStore.currentScene = 5;
  const std::string full = writeAllScenes();
  EXPECT_FALSE(newScene());
  EXPECT_EQ(writeAllScenes(), full);

  // "del" always removes the last scene, not the current one.
  ASSERT_TRUE(deleteLastScene());
  EXPECT_EQ(sceneStore.sceneCount, 126);
  EXPECT_EQ(sceneStore.currentScene, 125);
  while (sceneStore.sceneCount > 1) ASSERT_TRUE(deleteLastScene());
  EXPECT_FALSE(deleteLastScene());
  EXPECT_EQ(sceneStore.sceneCount, 1);
  expectInvariants();
}

TEST_F(SceneStoreTest, CreateAndDeleteRenumberSourceReferences) {
  fillObjects(5);
  objectRecord(0, 3).texture = 7;
  cloneRule(0, 3) = CloneRule{3, 2, 100};
  addModifier(3, kLimiter, 0);
  const Modifier& toFour = addModifier(0, kGlobalSource, 4);
  const Modifier& toThree = addModifier(1, kSource, 3);
  const Modifier& notSource = addModifier(2, kTurnZ, 4);
  currentSceneRecord().currentObject = 3;
  sceneStore.currentModifier = 0;

  ASSERT_TRUE(insertObject(false));
  EXPECT_EQ(currentSceneRecord().objectCount, 6);
  EXPECT_EQ(currentSceneRecord().currentObject, 4);
  EXPECT_EQ(objectRecord(0, 5).posX, 104);  // the old object 4 moved up
  EXPECT_EQ(objectRecord(0, 4).scaleZ, 64);
  EXPECT_EQ(objectRecord(0, 4).texture, 7);
  EXPECT_EQ(cloneRule(0, 4).cloneStep, 100);
  EXPECT_EQ(modifierList(0, 4).count, 0);
  EXPECT_EQ(sceneStore.currentModifier, -1);
  EXPECT_EQ(toFour.strength, 5);
  EXPECT_EQ(toThree.strength, 3);
  EXPECT_EQ(notSource.strength, 4);

  // Back to objects 0..4 with object 3 current, then delete object 3.
  ASSERT_TRUE(deleteCurrentObject());
  currentSceneRecord().currentObject = 3;
  ASSERT_TRUE(deleteCurrentObject());
  EXPECT_EQ(currentSceneRecord().objectCount, 4);
  EXPECT_EQ(objectRecord(0, 3).posX, 104);
  EXPECT_EQ(toFour.strength, 3);
  EXPECT_EQ(toThree.strength, 3);  // a reference to the deleted object stays
  EXPECT_EQ(sceneStore.currentModifier, -1);

  // Clone copies the modifiers too and keeps the current modifier.
  currentSceneRecord().currentObject = 1;
  sceneStore.currentModifier = 0;
  ASSERT_TRUE(insertObject(true));
  EXPECT_EQ(objectRecord(0, 2).posX, 101);
  EXPECT_EQ(modifierList(0, 2).modifiers[0].kind, kSource);
  EXPECT_EQ(sceneStore.currentModifier, 0);

  // Deleting the last object makes the previous one current.
  currentSceneRecord().currentObject = 4;
  ASSERT_TRUE(deleteCurrentObject());
  EXPECT_EQ(currentSceneRecord().currentObject, 3);
  expectInvariants();
}

TEST_F(SceneStoreTest, ObjectCountLimitsAndClearingAScene) {
  EXPECT_FALSE(deleteCurrentObject());
  for (int n = 1; n < kMaxObjects; ++n) ASSERT_TRUE(insertObject(n % 2 == 0));
  EXPECT_FALSE(insertObject(false));
  EXPECT_FALSE(insertObject(true));
  EXPECT_EQ(currentSceneRecord().objectCount, 255);
  expectInvariants();

  fillObjects(10);
  addModifier(0, kCBendZ, 1);
  addModifier(0, kTurnX, 2);
  cloneRule(0, 0) = CloneRule{1, 4, 9};
  objectRecord(0, 0).material = 3;
  sceneStore.currentModifier = 5;
  clearCurrentScene();
  EXPECT_EQ(currentSceneRecord().objectCount, 1);
  for (int o : {0, 9})
    EXPECT_EQ(std::make_tuple(objectRecord(0, o).scaleX, objectRecord(0, o).posX,
                              objectRecord(0, o).texture, objectRecord(0, o).material),
              std::make_tuple(32, 0, 0, 0));
  EXPECT_EQ(modifierList(0, 0).count, 2);
  EXPECT_EQ(cloneRule(0, 0).cloneStep, 9);
  EXPECT_EQ(sceneStore.currentModifier, 1);
}

TEST_F(SceneStoreTest, MarkersFollowTheViewAngleAndTheEye) {
  SceneObject& o = currentObjectRecord();
  std::tie(o.posX, o.posY, o.posZ) = std::make_tuple(1, 2, 3);
  addModifier(0, kBreathe, 0) = Modifier{5, 6, 7, 0, 0, kBreathe};
  modifierList(0, 0).count = 0;  // the slot keeps its values but is not in use
  updateObjectMarker(0, 10, 20, 30);
  updateModifierMarker(0, 10, 20, 30);
  const Point3& object = selectionMarkers.object;
  const Point3& modifier = selectionMarkers.modifier;
  EXPECT_EQ(std::make_tuple(object.x, object.y, object.z), std::make_tuple(-11, 22, 33));
  EXPECT_EQ(modifier.x, -11);  // no modifier: offsets 0

  modifierList(0, 0).count = 1;
  updateModifierMarker(90, 10, 20, 30);
  updateObjectMarker(90, 10.5, 20.9, -30.5);
  // At 90 degrees x takes the depth and z the width; both truncate toward zero.
  EXPECT_EQ(std::make_tuple(modifier.x, modifier.y, modifier.z), std::make_tuple(40, 28, 16));
  EXPECT_EQ(std::make_tuple(object.x, object.y, object.z), std::make_tuple(-27, 22, 11));
}

}  // namespace
}  // namespace vandrel::scene::test
