#pragma once
// The scene layer file (".vsl"): the current scene alone, as geometry text.

#include <string>
#include <string_view>

#include "platform/os/text_checks.h"

namespace vandrel::scene {

// What a load refuses: binary bytes, a value that is not a plain number, an object
// count outside 1..255 or a modifier or clone count above 255.
os::TextProblem checkSceneLayer(std::string_view text);

// Loads the whole file into the current scene, starts the
// undo history afresh with the loaded state as snapshot 1 and makes object 0
// current. A file that cannot be read or is refused returns false with a reason
// naming the file and changes nothing. A failed snapshot does not fail the load.
bool loadSceneLayer(const std::string& path, std::string* error);

// Writes the current scene to path; an old file is replaced only once the new
// text is completely written.
bool saveSceneLayer(const std::string& path, std::string* error);

// The save dialog's chosen name: ".vsl" is added unless the path already
// contains it anywhere.
std::string withSceneLayerExtension(std::string path);

}  // namespace vandrel::scene
