#include "scene/scene_edits.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include "platform/os/status_line.h"
#include "scene/catalogues.h"
#include "scene/clone_slots.h"
#include "scene/modifier_kinds.h"
#include "scene/scene_hooks.h"
#include "scene/undo.h"
#include "scene/vsl_file.h"

namespace vandrel::scene {

namespace {

constexpr int kLastStepped = 255;  // material and texture numbers
constexpr int kScaleStep = 256;    // scale = coarse x 256 + fine
constexpr std::int16_t kNewModifierRadius = 100;
constexpr int kRadiusStep = 127;     // radius = coarse x 127 + fine
constexpr int kStrengthLimit = 126;  // what the strength box accepts, either sign
constexpr int kRadiusLimit = 32766;  // what the radius box accepts, either sign
constexpr int kOffsetLimit = 12699;  // what the offset boxes accept, either sign
constexpr int kStepTop = 32767;      // "+" stops here
constexpr int kStepBottom = -32766;  // "-" stops below this
constexpr int kMaxCloneCount = 254;
constexpr int kMaxCloneStep = 19999;  // and its negative

void refreshSceneWindows() {
  refreshScenesDialog();
  refreshModifiersDialog();
  refreshClonesDialog();
}

void afterSceneSwitch() {
  clampSelection();  // the other scene's object may carry fewer modifiers
  refreshSceneWindows();
  notifySceneSwitched();
  notifySelectionChanged();
}

void afterObjectStep(bool switchEditors) {
  refreshScenesDialog();
  selectLastModifier();
  notifySelectionChanged();
  refreshModifiersDialog();
  if (switchEditors) notifyObjectSwitched();
}

// Every structural edit of the objects ends so: whatever shows them follows, and
// the new state is a step of undo.
void afterObjectEdit() {
  refreshSceneWindows();
  notifySelectionChanged();
  checkpoint();
}

// A typed number is taken only when the field can store it; true when it changed.
template <typename Field>
bool take(std::optional<int> typed, Field& field) {
  if (!typed || *typed < std::numeric_limits<Field>::min() || *typed > std::numeric_limits<Field>::max() ||
      *typed == field)
    return false;
  field = static_cast<Field>(*typed);
  return true;
}

void takeWithin(std::optional<int> typed, int limit, std::int16_t& field) {
  if (typed && *typed >= -limit && *typed <= limit) field = static_cast<std::int16_t>(*typed);
}

void stepByte(std::uint8_t& v, int delta) {
  if (delta < 0 && v > 0) --v;
  if (delta > 0 && v < kLastStepped) ++v;
}

void stepParameter(std::int16_t& v, int delta) {
  if (delta > 0 && v != kStepTop) ++v;
  if (delta < 0 && v >= kStepBottom) --v;
}

// A slot a clone rule fills is written over at the next draw, so an edit there
// would be lost without a word: it is refused, told, and the dialogs show the
// record again. entry -1 stands for the list as a whole (an entry added or taken).
bool refusedForClones(int leader, bool refused) {
  if (!refused) return false;
  os::tellStatus("объект " + std::to_string(currentSceneRecord().currentObject) + " заполняется клонами объекта " +
                 std::to_string(leader));
  refreshScenesDialog();
  refreshModifiersDialog();
  return true;
}

bool recordRefused() {
  const CloneFill fill = cloneFillOf(sceneStore.currentScene, currentSceneRecord().currentObject);
  return refusedForClones(fill.recordLeader, fill.recordLeader >= 0);
}

bool modifierRefused(int entry) {
  const CloneFill fill = cloneFillOf(sceneStore.currentScene, currentSceneRecord().currentObject);
  return refusedForClones(fill.modifierLeader, fill.modifiers > 0 && entry < fill.modifiers);
}

bool currentModifierRefused() { return modifierRefused(sceneStore.currentModifier); }

std::int16_t& scaleField(SceneObject& o, int axis) {
  return axis == kScaleAxisY ? o.scaleY : axis == kScaleAxisZ ? o.scaleZ : o.scaleX;
}

}  // namespace

bool objectFilledByClones() { return recordRefused(); }

bool modifierFilledByClones() { return currentModifierRecord() && currentModifierRefused(); }

void resetFirstNormalMode() { objectRecord(sceneStore.currentScene, 0).normalMode = 0; }

void stepScene(int delta) {
  SceneStore& s = sceneStore;
  if (delta < 0 && s.currentScene > 0) --s.currentScene;
  if (delta > 0 && s.currentScene < s.sceneCount - 1) ++s.currentScene;
  afterSceneSwitch();
}

void createScene() {
  newScene();
  afterSceneSwitch();
}

void deleteScene() {
  deleteLastScene();
  afterSceneSwitch();
}

void stepObject(int delta) {
  Scene& scene = currentSceneRecord();
  if (delta < 0) {
    if (scene.currentObject == 0) return;
    --scene.currentObject;
  } else {
    if (scene.currentObject + 1 >= scene.objectCount) return;
    ++scene.currentObject;
  }
  afterObjectStep(true);
}

void firstObject() {
  currentSceneRecord().currentObject = 0;
  afterObjectStep(false);
}

void lastObject() {
  Scene& scene = currentSceneRecord();
  scene.currentObject = static_cast<std::uint8_t>(scene.objectCount - 1);
  afterObjectStep(false);
}

void createObject() {
  if (insertObject(false)) afterObjectEdit();
}

void cloneObject() {
  if (insertObject(true)) afterObjectEdit();
}

void deleteObject() {
  if (!deleteCurrentObject()) return;
  afterObjectEdit();
  notifyObjectSwitched();
}

void eraseScene() {
  clearCurrentScene();
  afterObjectEdit();
}

bool loadLayer(const std::optional<std::string>& path, std::string* error) {
  if (path) {
    if (!loadSceneLayer(*path, error)) return false;
  } else {
    currentSceneRecord().currentObject = 0;
    clampSelection();
    refreshScenesDialog();
  }
  // The load made object 0 current after the modifiers dialog was shown the old one.
  notifySelectionChanged();
  refreshModifiersDialog();
  return true;
}

void applyPosition(std::optional<int> x, std::optional<int> y, std::optional<int> z) {
  if (recordRefused()) return;
  SceneObject& o = currentObjectRecord();
  const bool movedX = take(x, o.posX), movedY = take(y, o.posY), movedZ = take(z, o.posZ);
  if (!movedX && !movedY && !movedZ) return;
  notifyObjectMoved();
  checkpoint();
}

void applyGrid(std::optional<int> n, std::optional<int> m) {
  if (recordRefused()) return;
  SceneObject& o = currentObjectRecord();
  const bool changedN = take(n, o.gridN), changedM = take(m, o.gridM);
  if (changedN || changedM) checkpoint();
}

void applyRepeat(std::optional<int> u, std::optional<int> v) {
  if (recordRefused()) return;
  SceneObject& o = currentObjectRecord();
  const bool changedU = take(u, o.cU), changedV = take(v, o.cV);
  if (changedU || changedV) checkpoint();
}

void stepMaterial(int delta) {
  if (!recordRefused()) stepByte(currentObjectRecord().material, delta);
}

void stepTexture(int delta) {
  if (!recordRefused()) stepByte(currentObjectRecord().texture, delta);
}

void cycleNormalMode() {
  if (recordRefused()) return;
  std::uint8_t& mode = currentObjectRecord().normalMode;
  mode = static_cast<std::uint8_t>(mode >= kNormalModes - 1 ? 0 : mode + 1);
}

void setPrimitive(int code) {
  if (recordRefused()) return;
  if (code >= 0 && code < kPrimitiveKinds) currentObjectRecord().primitive = static_cast<std::uint8_t>(code);
}

void setAlphaMode(int code) {
  if (recordRefused()) return;
  if (code >= 0 && code < kAlphaModes) currentObjectRecord().alphaMode = static_cast<std::uint8_t>(code);
}

ScaleTrackbars scaleTrackbarsOf(int value) {
  const int coarse = value / kScaleStep;
  return {coarse, value - kScaleStep * coarse};
}

void storeScaleTrackbars(int axis, const ScaleTrackbars& positions) {
  if (recordRefused()) return;
  const auto v = static_cast<std::int16_t>(positions.coarse * kScaleStep + positions.fine);
  SceneObject& o = currentObjectRecord();
  if (axis == kScaleAxisCommon) o.scaleX = o.scaleY = o.scaleZ = v;
  else scaleField(o, axis) = v;
}

int axisScale(int axis) { return scaleField(currentObjectRecord(), axis); }

int meanScale() {
  const SceneObject& o = currentObjectRecord();
  return (o.scaleX + o.scaleY + o.scaleZ) / 3;
}

// ---- Modifiers ----

Modifier newModifier() {
  Modifier m{};
  m.radius = kNewModifierRadius;
  return m;
}

Modifier* currentModifierRecord() {
  ModifierList& list = currentModifierList();
  const int m = sceneStore.currentModifier;
  return m >= 0 && m < list.count ? &list.modifiers[m] : nullptr;
}

void emptyModifierList() {
  ModifierList& list = currentModifierList();
  list.count = 0;
  list.modifiers[0] = newModifier();
  sceneStore.currentModifier = 0;
}

bool insertModifier() {
  if (modifierRefused(-1)) return false;
  ModifierList& list = currentModifierList();
  std::int32_t& current = sceneStore.currentModifier;
  if (list.count >= kMaxModifiers) return false;
  if (list.count == 0) {
    list.modifiers[0] = newModifier();
    list.count = 1;
    current = 0;
    return true;
  }
  const int c = std::clamp<int>(current, 0, list.count - 1);
  std::copy_backward(list.modifiers + c + 1, list.modifiers + list.count, list.modifiers + list.count + 1);
  list.modifiers[c + 1] = list.modifiers[c];
  ++list.count;
  current = c + 1;
  return true;
}

bool removeModifier() {
  if (modifierRefused(-1)) return false;
  ModifierList& list = currentModifierList();
  std::int32_t& current = sceneStore.currentModifier;
  if (list.count == 0) return false;
  const int c = std::clamp<int>(current, 0, list.count - 1);
  std::copy(list.modifiers + c + 1, list.modifiers + list.count, list.modifiers + c);
  --list.count;
  current = std::max(c - 1, 0);
  return true;
}

void createModifier() {
  insertModifier();
  notifySelectionChanged();
}

void deleteModifier() {
  removeModifier();
  notifySelectionChanged();
}

void stepModifier(int delta) {
  std::int32_t& current = sceneStore.currentModifier;
  if (delta < 0 && current > 0) --current;
  if (delta > 0 && current < currentModifierList().count - 1) ++current;
  notifySelectionChanged();
}

void lastModifier() {
  sceneStore.currentModifier = currentModifierList().count - 1;
  notifySelectionChanged();
}

void setModifierKind(int kind) {
  if (Modifier* m = currentModifierRecord(); m && !currentModifierRefused() && kind >= 0 && kind < kModifierKinds)
    m->kind = static_cast<std::uint8_t>(kind);
}

void applyStrength(std::optional<int> strength) {
  if (Modifier* m = currentModifierRecord(); m && !currentModifierRefused()) takeWithin(strength, kStrengthLimit, m->strength);
}

void applyRadius(std::optional<int> radius) {
  if (Modifier* m = currentModifierRecord(); m && !currentModifierRefused()) takeWithin(radius, kRadiusLimit, m->radius);
}

void applyOffsets(std::optional<int> x, std::optional<int> y, std::optional<int> z) {
  Modifier* m = currentModifierRecord();
  if (!m || currentModifierRefused()) return;
  takeWithin(x, kOffsetLimit, m->offsetX);
  takeWithin(y, kOffsetLimit, m->offsetY);
  takeWithin(z, kOffsetLimit, m->offsetZ);
  notifySelectionChanged();
}

TypedRange strengthRange() { return {-kStrengthLimit, kStrengthLimit}; }
TypedRange radiusRange() { return {-kRadiusLimit, kRadiusLimit}; }
TypedRange offsetRange() { return {-kOffsetLimit, kOffsetLimit}; }
TypedRange cloneStepRange() { return {-kMaxCloneStep, kMaxCloneStep}; }
TypedRange cloneCountRange() { return {0, kMaxCloneCount}; }

void selectScene(int scene) {
  SceneStore& s = sceneStore;
  if (scene < 0 || scene >= s.sceneCount) return;
  s.currentScene = static_cast<std::uint8_t>(scene);
  afterSceneSwitch();
}

void selectObject(int object) {
  Scene& scene = currentSceneRecord();
  if (object < 0 || object >= scene.objectCount || object == scene.currentObject) return;
  scene.currentObject = static_cast<std::uint8_t>(object);
  afterObjectStep(true);
}

void setMaterialNumber(int material) {
  if (material >= 0 && material <= kLastStepped && !recordRefused()) currentObjectRecord().material = static_cast<std::uint8_t>(material);
}

void setTextureNumber(int texture) {
  if (texture >= 0 && texture <= kLastStepped && !recordRefused()) currentObjectRecord().texture = static_cast<std::uint8_t>(texture);
}

void setCloneCount(int object, int count) {
  if (count >= 0 && count <= kMaxCloneCount)
    cloneRule(sceneStore.currentScene, object).cloneCount = static_cast<std::uint8_t>(count);
}

void stepStrength(int delta) {
  if (Modifier* m = currentModifierRecord(); m && !currentModifierRefused()) stepParameter(m->strength, delta);
}

void stepRadius(int delta) {
  if (Modifier* m = currentModifierRecord(); m && !currentModifierRefused()) stepParameter(m->radius, delta);
}

ModifierTrackbars modifierTrackbarsOf(const Modifier& m) {
  // Truncation toward zero gives both radius trackbars the sign of the value.
  return {m.strength, m.radius / kRadiusStep, m.radius % kRadiusStep};
}

void storeModifierTrackbars(const ModifierTrackbars& positions) {
  Modifier* m = currentModifierRecord();
  if (!m || currentModifierRefused()) return;
  m->radius = static_cast<std::int16_t>(positions.radiusCoarse * kRadiusStep + positions.radiusFine);
  m->strength = static_cast<std::int16_t>(positions.strength);
}

void emptyCloneRules() {
  for (int o = 0; o < kCloneSlots; ++o) cloneRule(sceneStore.currentScene, o) = CloneRule{};
}

void stepCloneCount(int object, int delta) {
  CloneRule& rule = cloneRule(sceneStore.currentScene, object);
  rule.cloneCount = static_cast<std::uint8_t>(std::clamp(rule.cloneCount + delta, 0, kMaxCloneCount));
}

void applyCloneStep(int object, std::optional<int> step) {
  if (step && *step >= -kMaxCloneStep && *step <= kMaxCloneStep)
    cloneRule(sceneStore.currentScene, object).cloneStep = static_cast<std::int16_t>(*step);
}

void setCloneKind(int object, int kind) {
  if (kind >= 0) cloneRule(sceneStore.currentScene, object).cloneKind = static_cast<std::uint8_t>(kind);
}

}  // namespace vandrel::scene
