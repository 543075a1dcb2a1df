#pragma once
// The scene store as text: all scenes (the pack's geometry payload and every undo
// snapshot) or the current scene alone (the ".vsl" scene layer file).

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/os/text_checks.h"

namespace vandrel::scene {

// Neither changes the selection.
std::string writeAllScenes();
std::string writeCurrentScene();

// Position-driven readers. Each value is stored truncated to its field's width,
// whatever its range. The text ends at its end or at a zero byte, whichever comes
// first; when the values run out (no further ","), reading stops there and the
// fields not reached keep their values. Counts read from the text bound the loops
// only within the tables: a scene count is taken as 1..127 (0 reads no scene),
// an object count of 0 reads no object and is stored as 1.
// Afterwards the selection is valid again, the dialogs are refreshed and the
// selection markers recomputed. Returns false when the text ran out early.
bool readAllScenes(std::string_view text);     // currentScene becomes 0
bool readCurrentScene(std::string_view text);  // other scenes are not touched

// The same reads into a scratch store, changing nothing: the first value that is
// not a plain number, the first count outside its range (scenes 1..127, objects
// 1..255, modifiers and clones 0..255), whether every value was there, and where
// the reading ended.
struct GeometryCheck {
  os::TextProblem problem;
  bool complete = false;
  std::size_t end = 0;
};
GeometryCheck checkAllScenes(std::string_view text);
GeometryCheck checkCurrentScene(std::string_view text);

}  // namespace vandrel::scene
