#include "geometry/clones.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/os/text_numbers.h"
#include "scene/clone_slots.h"
#include "scene/modifier_kinds.h"
#include "scene/scene_store.h"

namespace vandrel::geometry {

namespace {

using scene::CloneRule;
using scene::ModifierList;
using scene::SceneObject;

constexpr double kDegrees = 0.017453292519943295;
constexpr int kGroup = 6;

std::int16_t toField(double v) { return static_cast<std::int16_t>(os::truncToInt32(v)); }

// The appended global rotation that turns a circle copy to face the centre; a
// leader whose list is already full leaves no room for it.
void appendRotation(ModifierList& list, int index, scene::ModifierKind kind, int strength) {
  if (index >= scene::kMaxModifiers) return;
  list.modifiers[index].kind = kind;
  list.modifiers[index].strength = static_cast<std::int16_t>(strength);
}

void place(int sceneIndex, int leader, int k, int count, const CloneRule& rule) {
  const SceneObject& L = scene::objectRecord(sceneIndex, leader);
  SceneObject& copy = scene::objectRecord(sceneIndex, leader + k);
  ModifierList& list = scene::modifierList(sceneIndex, leader + k);
  const int nL = scene::modifierList(sceneIndex, leader).count;
  const double m = rule.cloneStep;
  const double w = ((360 * k) / (count + 1)) * kDegrees;
  const int turn = (256 * k) / (count + 1);
  switch (rule.cloneKind) {
    case 0:
      copy.posX = toField(L.posX - m * std::cos(w) + m);
      copy.posZ = toField(L.posZ - m * std::sin(w));
      appendRotation(list, nL, scene::kGlobalTurnY, -turn);
      break;
    case 1:
      copy.posX = toField(L.posX - m * std::cos(w) + m);
      copy.posY = toField(L.posY - m * std::sin(w));
      appendRotation(list, nL, scene::kGlobalTurnZ, turn);
      break;
    case 2:
      copy.posZ = toField(L.posZ - m * std::cos(w) + m);
      copy.posY = toField(L.posY - m * std::sin(w));
      appendRotation(list, nL, scene::kGlobalTurnX, turn);
      break;
    case 3: copy.posX = toField(L.posX + m * k); break;
    case 4: copy.posY = toField(L.posY + m * k); break;
    case 5: copy.posZ = toField(L.posZ + m * k); break;
    case 7: {
      const SceneObject& previous = scene::objectRecord(sceneIndex, leader + k - 1);
      copy.scaleX = toField(m * previous.scaleX / 256);
      copy.scaleY = toField(m * previous.scaleY / 256);
      copy.scaleZ = toField(m * previous.scaleZ / 256);
      break;
    }
    case 8: {
      const double e = ((360 * k) / count) * kDegrees;
      copy.posX = toField(L.posX - m * std::cos(e));
      copy.posY = toField(L.posY - m * std::sin(e));
      break;
    }
    default: break;  // a group, and kinds without an arrangement, are not placed
  }
}

}  // namespace

void expandClones() {
  const int sceneIndex = scene::sceneStore.currentScene;
  const int objects = scene::sceneStore.scenes[sceneIndex].objectCount;
  for (int i = 0; i < objects && i < scene::kCloneSlots; ++i) {
    const CloneRule rule = scene::cloneRule(sceneIndex, i);
    // Copies stop before the modifier marker's slot and the end of the scene.
    const int count = scene::copiesOfRule(sceneIndex, i);
    if (count <= 0) continue;
    const ModifierList& leaderList = scene::modifierList(sceneIndex, i);
    const int nL = leaderList.count;
    // A circle copy needs one more entry for its turn.
    const bool turns = rule.cloneKind <= 2;
    for (int k = 1; k <= count; ++k) {
      const int t = i + k;
      if (rule.cloneKind != kGroup) scene::objectRecord(sceneIndex, t) = scene::objectRecord(sceneIndex, i);
      ModifierList& list = scene::modifierList(sceneIndex, t);
      std::copy(leaderList.modifiers, leaderList.modifiers + nL, list.modifiers);
      const int needed = turns ? std::min(nL + 1, scene::kMaxModifiers) : nL;
      list.count = static_cast<std::uint8_t>(std::max<int>(list.count, needed));
      place(sceneIndex, i, k, count, rule);
    }
  }
}

}  // namespace vandrel::geometry
