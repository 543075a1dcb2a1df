#include "scene/undo.h"

#include "platform/os/files.h"
#include "platform/os/temp_folder.h"
#include "scene/geometry_text.h"
#include "scene/scene_hooks.h"
#include "scene/scene_store.h"

namespace vandrel::scene {

std::int32_t undoCounter = 0;
std::int32_t redoLimit = 0;

namespace {


bool snapshotPath(std::int32_t number, std::string* path, std::string* error) {
  std::string folder;
  if (!os::snapshotFolder(&folder, error)) return false;
  *path = folder + "/" + std::to_string(number);
  return true;
}

// Replaces the scenes with snapshot `number`, keeping the current scene and
// bringing the selection inside the restored counts.
bool restoreSnapshot(std::int32_t number, std::string* error) {
  std::string path, text;
  if (!snapshotPath(number, &path, error)) return false;
  if (!os::readFile(path, &text, error)) return false;

  const int scene = sceneStore.currentScene;
  undoCounter = number;
  readAllScenes(text);
  sceneStore.currentScene = static_cast<std::uint8_t>(scene);
  clampSelection();  // the snapshot may hold fewer scenes, objects or modifiers
  refreshScenesDialog();
  refreshModifiersDialog();
  return true;
}

}  // namespace

void resetUndo() { undoCounter = redoLimit = 0; }

bool checkpoint(std::string* error) {
  const std::int32_t next = undoCounter + 1;
  std::string path;
  if (!snapshotPath(next, &path, error)) return false;
  if (!os::writeFile(path, writeAllScenes(), error)) return false;
  undoCounter = redoLimit = next;
  return true;
}

bool undo(std::string* error) {
  if (undoCounter <= 1) return false;
  return restoreSnapshot(undoCounter - 1, error);
}

bool redo(std::string* error) {
  if (undoCounter >= redoLimit) return false;
  return restoreSnapshot(undoCounter + 1, error);
}

}  // namespace vandrel::scene
