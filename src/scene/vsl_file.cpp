#include "scene/vsl_file.h"

#include "platform/os/files.h"
#include "scene/geometry_text.h"
#include "scene/scene_hooks.h"
#include "scene/scene_store.h"
#include "scene/undo.h"

namespace vandrel::scene {

namespace {
}

os::TextProblem checkSceneLayer(std::string_view text) {
  if (os::TextProblem p = os::checkPlainText(text)) return p;
  return checkCurrentScene(text).problem;
}

bool loadSceneLayer(const std::string& path, std::string* error) {
  std::string text;
  if (!os::readFile(path, &text, error)) return false;
  if (const os::TextProblem problem = checkSceneLayer(text)) {
    if (error) *error = os::refusalMessage(path, text, problem);
    return false;
  }
  readCurrentScene(text);
  undoCounter = 0;
  checkpoint();
  currentSceneRecord().currentObject = 0;
  clampSelection();  // object 0 may have fewer modifiers than the one last selected
  refreshScenesDialog();
  return true;
}

bool saveSceneLayer(const std::string& path, std::string* error) {
  return os::writeFile(path, writeCurrentScene(), error);
}

std::string withSceneLayerExtension(std::string path) {
  if (path.find(".vsl") == std::string::npos) path += ".vsl";
  return path;
}

}  // namespace vandrel::scene
