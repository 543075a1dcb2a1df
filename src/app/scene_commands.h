#pragma once
// `vandrel mesh ...`: builds objects of a scene headless and writes their vertices.

#include <iosfwd>
#include <optional>
#include <string>

namespace vandrel::app {

struct Vector3 {
  double x, y, z;
};

struct SceneCommandOptions {
  std::string input;   // .vsc or .vsl
  std::string output;  // .raw / .obj (mesh) or .png (render)
  int scene = 0;
  std::optional<int> object;  // none: every object of the scene
  int quality = 128;
  double tau = 0;
  std::optional<int> camera;  // an entry of the camera list
  std::optional<Vector3> eye, target;
  std::optional<double> angle, zoom;
  // render: the view's clean toggle (no suns, lamps, invisible objects or guides).
  bool cleanView = false;
};

// Parses "x,y,z"; false when it is not three numbers.
bool parseVector3(const std::string& text, Vector3* v);

int runMeshCommand(const SceneCommandOptions& options, std::ostream& err);

// One frame drawn by the software device, written as the presented 640 x 480 PNG.
int runRenderCommand(const SceneCommandOptions& options, std::ostream& err);

// Loads the input and prepares scene, camera, quality and tau as both commands
// need them. Returns an error message, or "".
std::string prepareScene(const SceneCommandOptions& options);

}  // namespace vandrel::app
