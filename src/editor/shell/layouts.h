#pragma once
// Window layouts: up to five arrangements of the windows, each a file of eleven
// rectangles (44 little-endian int32, no header) in the start directory.

#include <string>

#include "platform/ui/tool_windows.h"

class QWidget;

namespace vandrel::shell {

using os::kLayoutValues;
using os::layoutBytes;

// The current directory when the frame window was created, or userConfigFolder()
// for an editor started from the desktop entry.
extern std::string startDirectory;

// $XDG_CONFIG_HOME/vandrel, or ~/.config/vandrel when that is unset or relative.
std::string userConfigFolder();

// "winpos1.vwp" .. "winpos5.vwp" in the start directory.
std::string layoutPath(int index);

// The values a file holds, in order; a short file fills only the first ones.
// False when the file cannot be read (layout unchanged).
bool readLayoutFile(const std::string& path, ui::WindowLayout* layout);

// Where the windows stand until a layout file says otherwise, recorded as the
// in-memory current layout so that folding has full sizes from the start: the
// preview with the foldable texture dialogs below it down the left, the 3D view
// with the renderer settings and the clones below it, and the foldable scene
// dialogs down the right, one fold strip apart.
void placeDefaultLayout();

// Reads layout index into the in-memory current layout and places the windows:
// the texture preview and the 3D view moved and resized, the dialogs only moved,
// each shown and brought to the top in slot order. A missing file changes
// nothing and gives false; a rectangle that would leave a window smaller than its
// title bar, or wholly outside the frame's area, is not applied to that window.
bool readLayout(int index);

// Stores the windows' rectangles as layout index, the foldable dialogs at their
// full size, creating the start directory when it is missing. The in-memory
// current layout is left as it is. False (with a reason) when the file cannot be
// written; an old file is then left whole.
bool writeLayout(int index, std::string* error = nullptr);

}  // namespace vandrel::shell
