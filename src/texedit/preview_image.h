#pragma once
// What the texture preview shows and what its mouse does, as plain functions over
// the preview's own table: the working layer of the current slot drawn at any zoom
// and offset, the pan the space bar and left button drag, the wheel's zoom, and the
// mouse position turned into the x and y parameters of a position-taking function.
// The window only translates its events into these calls.

#include <cstdint>

namespace vandrel::texedit {

inline constexpr int kPreviewStartZoom = 64;  // Z / 64 texture pixels per window pixel
inline constexpr int kPreviewZoomStep = 10;   // one wheel turn
inline constexpr int kPreviewZoomMax = 255;
inline constexpr std::uint32_t kPreviewGrey = 0x80808080u;   // around the texture
inline constexpr std::uint32_t kPreviewBlack = 0x00000000u;  // the same with the toggle on

struct PreviewState {
  std::int32_t zoom = kPreviewStartZoom;  // 0..255
  std::int32_t panX = 0, panY = 0;        // committed pan, texture pixels
  std::int32_t livePanX = 0, livePanY = 0;  // shown while dragging
  std::int32_t anchorX = 0, anchorY = 0;    // mouse minus committed pan at the drag's start
  std::int32_t dragging = 0;
  std::int32_t panArmed = 0;  // the space bar is held
  std::int32_t outsideColourToggle = 0;
  std::int32_t width = 0, height = 0;  // the image size of the last redraw
};

extern PreviewState previewState;

// Start-up state of the preview.
void resetPreviewState();

// Draws the working layer (index = entry count) of the current slot into a
// width x height image, top window row first, and keeps the size for the mouse
// mapping. Texture pixels are copied unchanged, alpha included; texture row 0 is
// at the bottom. Without a layer stack everything is the surround colour. The
// scratch image serves as working memory meanwhile.
void renderPreview(std::uint32_t* out, int width, int height);

// The space bar down (armed) or up.
void armPan(bool armed);
// Left button down at (x, y): starts a drag when armed and not dragging already.
// Returns true when a drag started.
bool startPanDrag(int x, int y);
// A mouse move while dragging: the live pan follows the mouse.
void dragPanTo(int x, int y);
// Left button up: the drag ends and the live pan becomes the committed one.
void endPanDrag();

// One wheel notification: toward the user (negative delta) zooms in by 10,
// otherwise out by 10; below 0 wraps to 255 and above 255 to 0.
void wheelZoom(int delta);

// Codes 10 rotorzoom, 11 twirl, 12 lenz, 18 roll, 26 addparticle, 31 solidfill,
// 36 box and 37 circle take their x and y (parameters 1 and 2) from the mouse.
bool isPositionTaking(int code);

// The mouse position (x, y) in the window as x and y parameters 0..255 of the
// texture under it, in integer arithmetic against the last redraw's size and the
// committed pan. False at zoom 0, where the texture has collapsed to a point.
bool parametersAt(int x, int y, int* px, int* py);

// A left-button drag without the pan: when code is position-taking, sets parameter
// rows 1 and 2 and the catalogue record's values 1 and 2 to the parameters under
// the mouse and runs the operation on the working layer. Returns true when it ran
// (the caller redraws).
bool placeOperationAt(int code, int x, int y);

}  // namespace vandrel::texedit
