#include "geometry/clones.h"

#include <gtest/gtest.h>

#include "pack/document.h"
#include "scene/modifier_kinds.h"
#include "scene/scene_store.h"

namespace vandrel::geometry {
namespace {

using scene::objectRecord;
using scene::modifierList;
using enum scene::ModifierKind;

class Clones : public ::testing::Test {
 protected:
  pack::Document document;
  void SetUp() override {
    // A leader at (10, 20, 30) followed by seven objects of their own.
    for (int k = 0; k < 7; ++k) scene::insertObject(false);
    scene::SceneObject& leader = objectRecord(0, 0);
    leader.posX = 10, leader.posY = 20, leader.posZ = 30;
    leader.primitive = 13;
    for (int o = 1; o <= 7; ++o) objectRecord(0, o).material = 9;
  }
  static void rule(int kind, int count, int step) { scene::cloneRule(0, 0) = scene::CloneRule{std::uint8_t(kind), std::uint8_t(count), std::int16_t(step)}; }
};

TEST_F(Clones, LinesAndZoomCopyTheLeader) {
  objectRecord(0, 0).posX = 0;
  rule(3, 3, 100);
  expandClones();
  for (int k = 1; k <= 3; ++k) {
    EXPECT_EQ(objectRecord(0, k).posX, 100 * k);
    EXPECT_EQ(objectRecord(0, k).primitive, 13);  // the leader's other fields
    EXPECT_EQ(objectRecord(0, k).material, 0);
  }
  EXPECT_EQ(objectRecord(0, 4).material, 9);  // beyond the count: untouched

  rule(7, 3, 128);
  expandClones();
  EXPECT_EQ(objectRecord(0, 1).scaleX, 32);
  EXPECT_EQ(objectRecord(0, 2).scaleY, 16);
  EXPECT_EQ(objectRecord(0, 3).scaleZ, 8);
  expandClones();  // idempotent
  EXPECT_EQ(objectRecord(0, 3).scaleZ, 8);
}

TEST_F(Clones, CirclesTurnEachCopyAndRingsDoNot) {
  // At the origin, as the dialog's examples have it: sin 180 and cos 90 are a hair
  // off zero in double, which truncation toward zero removes only around 0.
  objectRecord(0, 0).posX = objectRecord(0, 0).posY = objectRecord(0, 0).posZ = 0;
  modifierList(0, 0).count = 5;
  modifierList(0, 0).modifiers[4].kind = kAnimatedTextureScrollU;
  rule(0, 3, 64);
  expandClones();
  // 90, 180, 270 degrees on a circle of radius 64 centred 64 along X.
  EXPECT_EQ(objectRecord(0, 1).posX, 63);  // 64 - 64 cos 90 is a hair below 64
  EXPECT_EQ(objectRecord(0, 1).posZ, -64);
  EXPECT_EQ(objectRecord(0, 2).posX, 128);
  EXPECT_EQ(objectRecord(0, 2).posZ, 0);
  EXPECT_EQ(objectRecord(0, 3).posX, 64);
  EXPECT_EQ(objectRecord(0, 3).posZ, 64);
  EXPECT_EQ(modifierList(0, 2).count, 6);
  EXPECT_EQ(modifierList(0, 2).modifiers[4].kind, kAnimatedTextureScrollU);
  EXPECT_EQ(modifierList(0, 2).modifiers[5].kind, kGlobalTurnY);
  EXPECT_EQ(modifierList(0, 2).modifiers[5].strength, -128);
  EXPECT_EQ(modifierList(0, 3).modifiers[5].strength, -192);

  rule(8, 4, 64);
  modifierList(0, 0).count = 0;
  expandClones();
  EXPECT_EQ(objectRecord(0, 1).posX, 0);  // 90 degrees
  EXPECT_EQ(objectRecord(0, 1).posY, -64);
  EXPECT_EQ(objectRecord(0, 4).posX, -64);  // 360 degrees
  EXPECT_EQ(objectRecord(0, 4).posY, 0);
  // Away from the origin the same hair truncates down: 30 - 64 sin 360 = 29.99...
  objectRecord(0, 0).posY = 30;
  expandClones();
  EXPECT_EQ(objectRecord(0, 4).posY, 30);
}

TEST_F(Clones, GroupsLendModifiersAndRulesStopBeforeTheMarkerSlot) {
  modifierList(0, 0).count = 2;
  modifierList(0, 0).modifiers[1].kind = kAnimatedGlobalWobble;
  modifierList(0, 2).count = 4;
  rule(6, 3, 0);
  expandClones();
  EXPECT_EQ(objectRecord(0, 1).material, 9);  // a group keeps its records
  EXPECT_EQ(objectRecord(0, 1).posX, 0);
  EXPECT_EQ(modifierList(0, 1).count, 2);
  EXPECT_EQ(modifierList(0, 1).modifiers[1].kind, kAnimatedGlobalWobble);
  EXPECT_EQ(modifierList(0, 2).count, 4);  // max of its own count and the leader's

  // A rule near the end of a full scene never writes the marker slot 254.
  while (scene::currentSceneRecord().objectCount < scene::kMaxObjects) scene::insertObject(false);
  objectRecord(0, 254).material = 77;
  scene::cloneRule(0, 250) = scene::CloneRule{3, 254, 10};
  expandClones();
  EXPECT_EQ(objectRecord(0, 253).posX, objectRecord(0, 250).posX + 30);
  EXPECT_EQ(objectRecord(0, 254).material, 77);
}

}  // namespace
}  // namespace vandrel::geometry
