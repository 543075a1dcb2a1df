#pragma once
// Scenes, their objects, modifier lists and clone rules, in fixed tables that live
// for the whole run and are addressed by the current selection.

#include <cstdint>

namespace vandrel::scene {

inline constexpr int kMaxScenes = 127;         // scenes in use
inline constexpr int kSceneTable = 128;        // table entries
inline constexpr int kMaxObjects = 255;        // objects per scene
inline constexpr int kObjectSlots = 256;       // object slots per scene
inline constexpr int kCloneSlots = 255;        // clone rules per scene
inline constexpr int kMaxModifiers = 255;      // modifiers per object
inline constexpr int kModifierSlots = 256;     // the 256th is never used
inline constexpr int kMarkerObject = 254;      // the renderer's modifier marker

struct SceneObject {
  std::int16_t posX, posY, posZ;
  std::int16_t scaleX, scaleY, scaleZ;
  std::uint8_t primitive;
  std::uint8_t gridN, gridM;
  std::uint8_t cU, cV;
  std::uint8_t material;
  std::uint8_t texture;
  std::uint8_t alphaMode;
  std::uint8_t normalMode;
};

struct Modifier {
  std::int16_t offsetX, offsetY, offsetZ;
  std::int16_t radius;
  std::int16_t strength;  // kinds 51 and 52: an object number of the same scene
  std::uint8_t kind;
};

struct ModifierList {
  std::uint8_t count;
  Modifier modifiers[kModifierSlots];
};

struct CloneRule {
  std::uint8_t cloneKind;
  std::uint8_t cloneCount;
  std::int16_t cloneStep;
};

struct Scene {
  std::uint8_t objectCount;
  std::uint8_t currentObject;
  // Fog of this scene, edited with the render settings.
  std::int32_t fogRed, fogGreen, fogBlue;
  std::int32_t fogStart, fogEnd;
};

struct SceneStore {
  std::uint8_t sceneCount;
  std::uint8_t currentScene;
  Scene scenes[kSceneTable];
  SceneObject objects[kSceneTable * kObjectSlots];      // scene s, object o: s x 256 + o
  ModifierList modifierLists[kSceneTable * kObjectSlots];
  CloneRule cloneRules[kSceneTable * kCloneSlots];      // scene s, object o: s x 255 + o
  std::int32_t currentModifier;                         // -1 = none
};

extern SceneStore sceneStore;

// Start-up state: all zero except one scene.
void resetSceneStore();

SceneObject& objectRecord(int scene, int object);
ModifierList& modifierList(int scene, int object);
CloneRule& cloneRule(int scene, int object);  // object 0..254

Scene& currentSceneRecord();
SceneObject& currentObjectRecord();
ModifierList& currentModifierList();
CloneRule& currentCloneRule();

// The first object of a new scene (also the default scene 0 at start-up).
SceneObject newSceneObject();

// What start-up does to scene 0 once the device exists: one object with the
// new-scene values, no modifiers, no clone rules. (Its fog defaults come from
// the render settings.)
void applyStartupDefaults();

// currentModifier = the current object's modifier count - 1 (-1 without any), as
// after a move to another object or a load.
void selectLastModifier();
// Restores the invariants after data came from outside (a file, a snapshot):
// sceneCount 1..127, currentScene below it, every scene in use with at least
// one object and currentObject below objectCount, currentModifier below the
// current object's modifier count (count - 1 when not) and not below -1.
void clampSelection();

bool newScene();          // false when 127 scenes exist
bool deleteLastScene();   // false when one scene is left
bool insertObject(bool cloneCurrent);  // false when the scene is full
bool deleteCurrentObject();            // false when it is the last object
void clearCurrentScene();

// The two selection markers the 3D view draws and drags.
struct Point3 {
  std::int32_t x, y, z;
};
struct SelectionMarkers {
  Point3 object;
  Point3 modifier;
};
extern SelectionMarkers selectionMarkers;

// viewAngleDegrees: the 3D view's rotation; eye: the current camera position.
void updateObjectMarker(double viewAngleDegrees, double eyeX, double eyeY, double eyeZ);
void updateModifierMarker(double viewAngleDegrees, double eyeX, double eyeY, double eyeZ);

}  // namespace vandrel::scene
