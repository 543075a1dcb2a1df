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

}  // namespace vandrel::scene
