#pragma once
// Where the scene dialogs and the 3D view plug into the scene store. Every hook
// may be left empty; the store then runs headless.

namespace vandrel::scene {

struct SceneHooks {
  void (*refreshScenesDialog)() = nullptr;
  void (*refreshModifiersDialog)() = nullptr;
  void (*refreshClonesDialog)() = nullptr;
  // The current selection changed: the 3D view recomputes both selection
  // markers with its own view angle and camera.
  void (*selectionChanged)() = nullptr;
  // Another scene is current: the render settings show its fog.
  void (*sceneSwitched)() = nullptr;
  // A position was applied to the current object: the object marker alone follows.
  void (*objectMoved)() = nullptr;
  // A step or a delete made another object current: with the automatic switch
  // on, its material and texture become the editors' current ones.
  void (*objectSwitched)() = nullptr;
};

extern SceneHooks sceneHooks;

// All hooks empty.
void resetSceneHooks();

// Each calls its hook when one is set.
void refreshScenesDialog();
void refreshModifiersDialog();
void refreshClonesDialog();
void notifySelectionChanged();
void notifySceneSwitched();
void notifyObjectMoved();
void notifyObjectSwitched();

}  // namespace vandrel::scene
