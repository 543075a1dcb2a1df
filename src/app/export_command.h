#pragma once
// `vandrel export PACK.vsc [--scene S] [--tau T] [--quality Q] [--camera K] -o OUT.(glb|gltf)`

#include <iosfwd>

#include "app/scene_commands.h"

namespace vandrel::app {

// Loads the pack as `mesh` and `render` do and writes its scene as glTF. What the
// file cannot hold is told in one line on err; returns the process exit code.
int runExportCommand(const SceneCommandOptions& options, std::ostream& err);

}  // namespace vandrel::app
