#pragma once
// Where the scene dialogs and the 3D view plug into the scene store. Every hook
// may be left empty; the store then runs headless.

#include "platform/os/hook.h"

namespace vandrel::scene {

struct SceneHooks {
  os::Hook<void()> refreshScenesDialog;
  os::Hook<void()> refreshModifiersDialog;
  os::Hook<void()> refreshClonesDialog;
  // The current selection changed: the 3D view recomputes both selection
  // markers with its own view angle and camera.
  os::Hook<void()> selectionChanged;
  // Another scene is current: the render settings show its fog.
  os::Hook<void()> sceneSwitched;
  // A position was applied to the current object: the object marker alone follows.
  os::Hook<void()> objectMoved;
  // A step or a delete made another object current: with the automatic switch
  // on, its material and texture become the editors' current ones.
  os::Hook<void()> objectSwitched;
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
