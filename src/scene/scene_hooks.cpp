#include "scene/scene_hooks.h"

namespace vandrel::scene {

SceneHooks sceneHooks;

void resetSceneHooks() { sceneHooks = SceneHooks(); }

void refreshScenesDialog() {
  if (sceneHooks.refreshScenesDialog) sceneHooks.refreshScenesDialog();
}

void refreshModifiersDialog() {
  if (sceneHooks.refreshModifiersDialog) sceneHooks.refreshModifiersDialog();
}

void refreshClonesDialog() {
  if (sceneHooks.refreshClonesDialog) sceneHooks.refreshClonesDialog();
}

void notifySelectionChanged() {
  if (sceneHooks.selectionChanged) sceneHooks.selectionChanged();
}

void notifySceneSwitched() {
  if (sceneHooks.sceneSwitched) sceneHooks.sceneSwitched();
}

void notifyObjectMoved() {
  if (sceneHooks.objectMoved) sceneHooks.objectMoved();
}

void notifyObjectSwitched() {
  if (sceneHooks.objectSwitched) sceneHooks.objectSwitched();
}

}  // namespace vandrel::scene
