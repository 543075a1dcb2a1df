#pragma once
// What the 3D view does with keys, mouse and wheel, as plain functions over the
// view's own table: the keyboard moves and turns the current camera and flips the
// view toggles, the mouse picks objects, drags the current object or modifier and
// turns the view, the wheel zooms and edits the current modifier. The window only
// translates its events into these calls and shows the caption and cursor kept here.

#include <cstdint>
#include <string>

#include "platform/os/hook.h"
#include "scene/scene_store.h"

namespace vandrel::render {

inline constexpr int kRasterWidth = 640;   // picking points are given in this raster
inline constexpr int kRasterHeight = 480;
inline constexpr int kAspectWidth = 640;   // outer height = width x 505 / 640
inline constexpr int kAspectHeight = 505;
inline constexpr int kTargetDistance = 100;
inline constexpr int kKeyStep = 10;
inline constexpr int kLayoutNumbers = 5;
inline constexpr double kMinZoom = 0.015625;       // trackbar 1
inline constexpr double kMaxZoom = 3.984375;       // trackbar 255

inline constexpr const char* kSideViewCaption = "просмотр 3d: вид со стороны";
inline constexpr const char* kTopViewCaption = "просмотр 3d: вид сверху";
inline constexpr const char* kBottomViewCaption = "просмотр 3d: вид снизу";
inline constexpr const char* kFixedAngleCaption = "просмотр 3d | угол xz: ";
inline constexpr const char* kTurnCaption = "просмотр 3d: угол xz: ";

// Which selection marker a left button release moves.
inline constexpr int kDragObject = 0;
inline constexpr int kDragModifier = 1;
inline constexpr int kDragNeither = 2;

struct ViewState {
  double angle = 0;                    // a, degrees, 0 <= a < 360: horizontal view direction
  std::int32_t rotationStart = 0;      // trunc(a) when Ctrl was last released
  std::int32_t rotationReferenceX = 0; // x - W/2 at the last move without a drag or turn
  std::int32_t pickArmed = 0;          // 1 while Space is held, until the next click
  std::uint8_t depthMode = 0;          // 1 while Z is held: vertical motion moves in depth
  std::int32_t dragTarget = kDragNeither;
  std::int32_t cursorMode = 0;         // 1 while Shift is held
  bool dragging = false;
  std::int32_t dragStartX = 0, dragStartY = 0;
  std::int32_t mouseX = 0, mouseY = 0;  // last position seen (y negated in view mode 2)
  bool spaceHeld = false;
  std::string caption = kSideViewCaption;  // UTF-8
};

extern ViewState viewState;

// Start-up state of the view, view mode 0 included.
void resetViewState();

// What the view reaches in the windows around it; an empty hook does nothing
// (for the layout number: reads 0, writes nothing; auto-switching: off).
struct ViewHooks {
  os::Hook<void(int id)> sendFrameCommand;
  os::Hook<void(int id)> sendScenesCommand;
  os::Hook<void()> takeFocus;  // the view takes the keyboard focus on a mouse move
  os::Hook<int()> layoutNumber;
  os::Hook<void(int number)> setLayoutNumber;
  os::Hook<bool()> autoSwitchTextureMaterial;
};

extern ViewHooks viewHooks;
void resetViewHooks();

// The keys the view knows; everything else is `other` and does nothing.
enum class ViewKey {
  other,
  left, right, up, down,
  digit1, digit2, digit3, digit4, digit5, digit6, digit7,
  a, c, g, q, s, w, x, z,
  backspace, tab,
  f1, f2, f3, f4, f5,
  shift, control, space,
};

void viewKeyDown(ViewKey key, bool controlHeld);
void viewKeyUp(ViewKey key);

struct PointerState {
  bool left = false, right = false, middle = false;
  bool shift = false, control = false;
};

// (x, y): client coordinates; width x height: the size the turn is measured against.
void viewMouseMove(int x, int y, const PointerState& state, int width, int height);
// The pick maps (x, y) onto the 640 x 480 raster with the given client size.
void viewLeftButtonDown(int x, int y, int clientWidth, int clientHeight);
void viewLeftButtonUp(int x, int y);
void viewLeftDoubleClick(bool shiftHeld);
void viewRightDoubleClick();
void viewMiddleDoubleClick();
// delta: 120 per notch.
void viewWheel(int delta, const PointerState& state);

// The outer height that keeps the view's aspect for an outer width.
int viewHeightForWidth(int width);

// Both selection markers from the view angle and the current camera's eye.
void updateMarkers();

// With the switch on, the current object's material becomes the materials editor's
// current one and its texture slot the texture store's current slot.
void autoSwitchTextureAndMaterial(bool enabled);

}  // namespace vandrel::render
