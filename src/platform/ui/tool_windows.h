#pragma once
// The tool windows as one family: which window took the keyboard focus last, the
// window layout read last (which also gives the folded dialogs their full size),
// and folding, where the large dialogs shrink to a strip unless they have the
// focus or their fold flag is set. Every window calls these from its own mouse
// handler; the frame window owns the flags' menu items.

#include <QRect>

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/os/window_layout.h"

class QWidget;

namespace vandrel::ui {

inline constexpr int kFoldHeight = 75;
inline constexpr int kStripGap = 5;  // between strips stacked in a column
using os::kLayoutSlots;
inline constexpr int kLayoutCount = 5;

// Active-tool codes.
inline constexpr int kFocusView = 0;
inline constexpr int kFocusPreview = 1;
inline constexpr int kFocusTextureEditor = 2;
inline constexpr int kFocusScenes = 3;
inline constexpr int kFocusModifiers = 4;
inline constexpr int kFocusMaterials = 6;
inline constexpr int kFocusRenderSettings = 7;
inline constexpr int kFocusTextureAnimation = 8;
inline constexpr int kFocusFrame = 255;

// Layout slots of the windows that have one.
inline constexpr int kSlotPreview = 0;
inline constexpr int kSlotTextureEditor = 1;
inline constexpr int kSlotTextureAnimation = 2;
inline constexpr int kSlotView = 4;
inline constexpr int kSlotScenes = 5;
inline constexpr int kSlotMaterials = 6;
inline constexpr int kSlotModifiers = 7;
inline constexpr int kSlotRenderSettings = 8;
inline constexpr int kSlotClones = 10;

using os::LayoutRect;
using os::WindowLayout;

struct ShellFlags {
  bool autoFocusOff = false;
  bool unfoldedWindows = false;
  bool autoSwitchTextureMaterial = true;
  int layoutIndex = 0;       // 0..4: "winpos1.vwp" .. "winpos5.vwp"
  int activeToolCode = 0;
  WindowLayout currentLayout{};  // the layout read last; zero before the first read
};

extern ShellFlags shellFlags;

struct ToolWindow {
  QWidget* window = nullptr;  // what is moved and resized (a sub-window of the frame)
  QWidget* focus = nullptr;   // what takes the keyboard focus
  int focusCode = -1;         // -1: takes no part in focus and folding
  int layoutSlot = -1;        // -1: not part of a layout
  bool foldable = false;
  bool foldFlag = false;      // set: never folded
};

// Registers a window; one per focus code or layout slot. The frame window is
// registered with focus code 255 and no slot. A window that takes part in focus
// and folding takes it also for mouse moves over its own frame (the caption
// strip, all a folded dialog shows), not only over the window it holds.
void registerToolWindow(const ToolWindow& window);
// Forgets every window and resets the flags (start-up state).
void resetToolWindows();
ToolWindow* toolWindowWithCode(int focusCode);
ToolWindow* toolWindowInSlot(int slot);

// The window under the mouse takes the keyboard focus unless it has it already or
// automatic focus is off (the texture preview ignores that flag).
void takeFocusOnMouseMove(int focusCode);
// The keyboard back to the window of the active-tool code, after a command of
// the frame window took it: the frame itself does nothing with the tools' keys.
void focusActiveToolWindow();
// Folds every foldable dialog without its fold flag (unless windows are kept
// unfolded), then unfolds the one that has the focus. The strips below that
// dialog move down out of its way, and where the frame's area ends they and the
// dialog move up, so that no strip is hidden under it and it stays in the area;
// where the column cannot hold them all, the strips are raised over it instead.
void foldHelper();
// Windows folding moved go back home (a window the user moved since stays).
void returnHome();
// Keeps windows unfolded from now on, gives the foldable dialogs their full size
// and places the tool windows side by side in the frame's area.
void unfoldAll();
// The "/" button of a foldable dialog.
void toggleFoldFlag(int focusCode);

// A window resized keeping its position, shown and brought to the top.
void resizeAndRaise(QWidget* window, int width, int height);

// The leftmost, then topmost, place for a window of `size` wholly inside a room
// of `room` (from 0, 0) that covers none of `taken`; none when there is none.
std::optional<QPoint> freePlace(QSize size, const std::vector<QRect>& taken, QSize room);

// New rectangles (same sizes) for windows now at `windows`: in columns from the
// left, in the order they stand (left to right, then top to bottom), a window
// starting a new column when it stood right of the one before or the column is
// full; when the columns do not fit the room, each goes to the first free place,
// and where none is left, to the place in the room that covers the least of the
// others, sparing their captions (their top `caption` pixels) first.
std::vector<QRect> arrangeSideBySide(const std::vector<QRect>& windows, QSize room, int caption);

}  // namespace vandrel::ui
