#include "scene/undo.h"

#include "platform/os/files.h"
#include "platform/os/temp_folder.h"
#include "scene/geometry_text.h"
#include "scene/scene_hooks.h"
#include "scene/scene_store.h"

namespace vandrel::scene {

std::int32_t undoCounter = 0;

namespace {


bool snapshotPath(std::int32_t number, std::string* path, std::string* error) {
  std::string folder;
  if (!os::snapshotFolder(&folder, error)) return false;
  *path = folder + "/" + std::to_string(number);
  return true;
}

}  // namespace

void resetUndo() { undoCounter = 0; }

bool checkpoint(std::string* error) {
  const std::int32_t next = undoCounter + 1;
  std::string path;
  if (!snapshotPath(next, &path, error)) return false;
  if (!os::writeFile(path, writeAllScenes(), error)) return false;
  undoCounter = next;
  return true;
}

bool undo(std::string* error) {
  if (undoCounter <= 1) return false;
  std::string path, text;
  if (!snapshotPath(undoCounter - 1, &path, error)) return false;
  if (!os::readFile(path, &text, error)) return false;

  const int scene = sceneStore.currentScene;
  --undoCounter;
  readAllScenes(text);
  sceneStore.currentScene = static_cast<std::uint8_t>(scene);
  clampSelection();  // the snapshot may hold fewer scenes, objects or modifiers
  refreshScenesDialog();
  refreshModifiersDialog();
  return true;
}

}  // namespace vandrel::scene
