#include "scene/scene_store.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "scene/modifier_kinds.h"

namespace vandrel::scene {

SceneStore sceneStore;
SelectionMarkers selectionMarkers;

namespace {

constexpr double kDegreesToRadians = 0.017453292519943295;

// Sources name another object of the scene by number; an insert or a delete
// at c moves every object behind c, so their numbers follow.
void renumberSources(int scene, int objectCount, int c, int delta) {
  for (int o = 0; o < objectCount; ++o) {
    ModifierList& list = modifierList(scene, o);
    for (int m = 0; m < list.count; ++m) {
      Modifier& mod = list.modifiers[m];
      if (isSourceKind(mod.kind) && mod.strength > c)
        mod.strength = static_cast<std::int16_t>(mod.strength + delta);
    }
  }
}

void copySlot(int scene, int from, int to) {
  objectRecord(scene, to) = objectRecord(scene, from);
  modifierList(scene, to) = modifierList(scene, from);
  cloneRule(scene, to) = cloneRule(scene, from);
}

// Markers are integers; a camera far outside any sensible range must not turn
// into an undefined conversion.
std::int32_t truncateToInt32(double v) {
  if (std::isnan(v)) return 0;
  if (v <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
    return std::numeric_limits<std::int32_t>::min();
  if (v >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
    return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(v);
}

Point3 marker(double viewAngleDegrees, double x, double y, double z) {
  const double a = viewAngleDegrees * kDegreesToRadians;
  const double c = std::cos(a), s = std::sin(a);
  return Point3{truncateToInt32(-(c * x - s * z)), truncateToInt32(y),
                truncateToInt32(c * z + s * x)};
}

}  // namespace

void resetSceneStore() {
  // The store is far too large for a temporary; it is plain data, so clear it in place.
  std::memset(static_cast<void*>(&sceneStore), 0, sizeof sceneStore);
  sceneStore.sceneCount = 1;
  selectionMarkers = SelectionMarkers{};
}

SceneObject& objectRecord(int scene, int object) {
  return sceneStore.objects[scene * kObjectSlots + object];
}

ModifierList& modifierList(int scene, int object) {
  return sceneStore.modifierLists[scene * kObjectSlots + object];
}

CloneRule& cloneRule(int scene, int object) {
  return sceneStore.cloneRules[scene * kCloneSlots + object];
}

Scene& currentSceneRecord() { return sceneStore.scenes[sceneStore.currentScene]; }

SceneObject& currentObjectRecord() {
  return objectRecord(sceneStore.currentScene, currentSceneRecord().currentObject);
}

ModifierList& currentModifierList() {
  return modifierList(sceneStore.currentScene, currentSceneRecord().currentObject);
}

CloneRule& currentCloneRule() {
  return cloneRule(sceneStore.currentScene, currentSceneRecord().currentObject);
}

SceneObject newSceneObject() {
  SceneObject o{};
  o.scaleX = o.scaleY = o.scaleZ = 64;
  o.gridN = o.gridM = 32;
  o.cU = o.cV = 1;
  o.texture = 1;
  return o;
}

void applyStartupDefaults() {
  Scene& scene = sceneStore.scenes[0];
  scene.objectCount = 1;
  scene.currentObject = 0;
  objectRecord(0, 0) = newSceneObject();
  modifierList(0, 0).count = 0;
  for (int o = 0; o < kCloneSlots; ++o) cloneRule(0, o) = CloneRule{};
}

void selectLastModifier() { sceneStore.currentModifier = currentModifierList().count - 1; }

void clampSelection() {
  SceneStore& s = sceneStore;
  if (s.sceneCount < 1) s.sceneCount = 1;
  if (s.sceneCount > kMaxScenes) s.sceneCount = kMaxScenes;
  if (s.currentScene >= s.sceneCount) s.currentScene = s.sceneCount - 1;
  for (int i = 0; i < s.sceneCount; ++i) {
    Scene& scene = s.scenes[i];
    if (scene.objectCount < 1) scene.objectCount = 1;
    if (scene.currentObject >= scene.objectCount) scene.currentObject = scene.objectCount - 1;
  }
  const int count = currentModifierList().count;
  if (s.currentModifier >= count) s.currentModifier = count - 1;
  if (s.currentModifier < -1) s.currentModifier = -1;
}

bool newScene() {
  SceneStore& s = sceneStore;
  if (s.sceneCount >= kMaxScenes) return false;
  const int index = s.sceneCount++;
  s.currentScene = static_cast<std::uint8_t>(index);
  Scene& scene = s.scenes[index];
  scene.objectCount = 1;
  scene.currentObject = 0;
  scene.fogRed = scene.fogGreen = scene.fogBlue = 0;
  scene.fogStart = 250;
  scene.fogEnd = 254;
  objectRecord(index, 0) = newSceneObject();
  modifierList(index, 0).count = 0;
  cloneRule(index, 0) = CloneRule{};
  clampSelection();
  return true;
}

bool deleteLastScene() {
  SceneStore& s = sceneStore;
  if (s.sceneCount <= 1) return false;
  --s.sceneCount;
  s.currentScene = static_cast<std::uint8_t>(s.sceneCount - 1);
  clampSelection();
  return true;
}

bool insertObject(bool cloneCurrent) {
  SceneStore& s = sceneStore;
  const int scene = s.currentScene;
  Scene& record = s.scenes[scene];
  const int n = record.objectCount;
  const int c = record.currentObject;
  if (n >= kMaxObjects) return false;

  renumberSources(scene, n, c, +1);
  for (int k = n; k > c; --k) copySlot(scene, k - 1, k);
  record.currentObject = static_cast<std::uint8_t>(c + 1);
  record.objectCount = static_cast<std::uint8_t>(n + 1);

  if (!cloneCurrent) {
    // A created object starts fresh but keeps its neighbour's texture and clone rule.
    SceneObject& o = objectRecord(scene, c + 1);
    const std::uint8_t texture = o.texture;
    o = newSceneObject();
    o.texture = texture;
    modifierList(scene, c + 1).count = 0;
    s.currentModifier = -1;
  }
  return true;
}

bool deleteCurrentObject() {
  SceneStore& s = sceneStore;
  const int scene = s.currentScene;
  Scene& record = s.scenes[scene];
  const int n = record.objectCount;
  const int c = record.currentObject;
  if (n < 2) return false;

  renumberSources(scene, n, c, -1);
  for (int k = c; k <= n - 2; ++k) copySlot(scene, k + 1, k);
  record.objectCount = static_cast<std::uint8_t>(n - 1);
  if (record.currentObject >= record.objectCount)
    record.currentObject = static_cast<std::uint8_t>(record.objectCount - 1);
  selectLastModifier();
  return true;
}

void clearCurrentScene() {
  SceneStore& s = sceneStore;
  const int scene = s.currentScene;
  Scene& record = s.scenes[scene];
  for (int o = 0; o < record.objectCount; ++o) {
    SceneObject cleared = newSceneObject();
    cleared.scaleX = cleared.scaleY = cleared.scaleZ = 32;
    cleared.texture = 0;
    objectRecord(scene, o) = cleared;
  }
  record.objectCount = 1;
  record.currentObject = 0;
  // Object 0 keeps its modifier list, which may be shorter than the old selection.
  clampSelection();
}

void updateObjectMarker(double viewAngleDegrees, double eyeX, double eyeY, double eyeZ) {
  const SceneObject& o = currentObjectRecord();
  selectionMarkers.object =
      marker(viewAngleDegrees, o.posX + eyeX, o.posY + eyeY, o.posZ + eyeZ);
}

void updateModifierMarker(double viewAngleDegrees, double eyeX, double eyeY, double eyeZ) {
  const SceneObject& o = currentObjectRecord();
  const ModifierList& list = currentModifierList();
  const int m = sceneStore.currentModifier;
  Modifier offsets{};
  if (m >= 0 && m < list.count) offsets = list.modifiers[m];
  selectionMarkers.modifier =
      marker(viewAngleDegrees, o.posX + offsets.offsetX + eyeX, o.posY + offsets.offsetY + eyeY,
             o.posZ + offsets.offsetZ + eyeZ);
}

}  // namespace vandrel::scene
