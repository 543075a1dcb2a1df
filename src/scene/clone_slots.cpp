#include "scene/clone_slots.h"

#include <algorithm>
#include <array>

#include "scene/scene_store.h"

namespace vandrel::scene {

namespace {

constexpr int kGroup = 6;
constexpr int kLastTurningKind = 2;  // kinds 0..2 append a turn to each copy's list

}  // namespace

int copiesOfRule(int sceneIndex, int leader) {
  if (leader < 0 || leader >= kCloneSlots) return 0;
  return std::max(0, std::min<int>(cloneRule(sceneIndex, leader).cloneCount, kMarkerObject - 1 - leader));
}

CloneFill cloneFillOf(int sceneIndex, int object) {
  CloneFill fill;
  // The list counts as the expansion leaves them: a leader that is itself a copy
  // passes on the list it was given.
  std::array<int, kObjectSlots> counts{};
  for (int o = 0; o < kObjectSlots; ++o) counts[o] = modifierList(sceneIndex, o).count;
  const int objects = sceneStore.scenes[sceneIndex].objectCount;
  for (int i = 0; i < objects && i < kCloneSlots && i < object; ++i) {
    const int copies = copiesOfRule(sceneIndex, i);
    if (copies == 0) continue;
    const CloneRule& rule = cloneRule(sceneIndex, i);
    const bool turns = rule.cloneKind <= kLastTurningKind;
    const int nL = counts[i];
    const int written = turns ? std::min(nL + 1, kMaxModifiers) : nL;
    for (int t = i + 1; t <= i + copies; ++t) counts[t] = std::max(counts[t], written);
    if (object > i + copies) continue;
    if (rule.cloneKind != kGroup) fill.recordLeader = i;
    if (written > 0) {
      fill.modifierLeader = i;
      fill.modifiers = std::max(fill.modifiers, written);
    }
  }
  return fill;
}

}  // namespace vandrel::scene
