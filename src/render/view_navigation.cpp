#include "render/view_navigation.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "geometry/mesh_build.h"
#include "materials/materials.h"
#include "render/frame.h"
#include "render/picking.h"
#include "render/render_settings.h"
#include "render/window_commands.h"
#include "scene/scene_edits.h"
#include "scene/scene_hooks.h"
#include "scene/undo.h"
#include "texgen/dispatcher.h"

namespace vandrel::render {

ViewState viewState;
ViewHooks viewHooks;

void resetViewState() {
  viewState = ViewState();
  geometry::viewMode = 0;
}

void resetViewHooks() { viewHooks = ViewHooks(); }

namespace {

constexpr int kFullTurn = 360;
constexpr int kTurnPerWidth = 640;  // degrees for a mouse move across the whole width
constexpr int kWheelDivisor = 16;
constexpr double kZoomStep = 64.0;
constexpr int kStrengthLimit = 127;
constexpr int kRadiusLimit = 32767;

Camera& camera() { return renderSettings.currentCamera; }

// Truncation toward zero; values beyond int32 saturate instead of being undefined.
std::int32_t truncated(double v) {
  if (!(v > static_cast<double>(std::numeric_limits<std::int32_t>::min())))
    return std::numeric_limits<std::int32_t>::min();
  if (v >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
    return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(v);
}

// The int16 fields keep the low 16 bits, as a plain store into them does.
std::int16_t toShort(std::int32_t v) { return static_cast<std::int16_t>(v); }

int wrapDegrees(int a) {
  a %= kFullTurn;
  return a < 0 ? a + kFullTurn : a;
}

void sendFrame(int id) {
  if (viewHooks.sendFrameCommand) viewHooks.sendFrameCommand(id);
}

int layoutNumber() { return viewHooks.layoutNumber ? viewHooks.layoutNumber() : 0; }

void loadLayout(int number) {
  if (viewHooks.setLayoutNumber) viewHooks.setLayoutNumber(number);
  sendFrame(kReadLayout);
}

// Target 100 away along the view angle, dy above or below the eye.
void aim(double degrees, double dy) {
  Camera& c = camera();
  const double r = degrees * kDegreesToRadians;
  c.targetX = c.eyeX + kTargetDistance * std::sin(r);
  c.targetY = c.eyeY + dy;
  c.targetZ = c.eyeZ + kTargetDistance * std::cos(r);
}

void moveEyeAndTarget(double dx, double dy, double dz) {
  Camera& c = camera();
  c.eyeX += dx;
  c.eyeY += dy;
  c.eyeZ += dz;
  c.targetX += dx;
  c.targetY += dy;
  c.targetZ += dz;
}

void moveSideways(double step) {
  const double theta = -viewState.angle * kDegreesToRadians;
  moveEyeAndTarget(step * std::cos(theta), 0, step * std::sin(theta));
}

void moveVertically(double step) {
  if (viewState.depthMode) {
    const double theta = -(viewState.angle + 90) * kDegreesToRadians;
    moveEyeAndTarget(step * std::cos(theta), 0, step * std::sin(theta));
  } else {
    moveEyeAndTarget(0, -step, 0);  // screen up is smaller y
  }
}

void fixedAngle(int degrees) {
  viewState.angle = degrees;
  camera().angle = 0;
  aim(degrees, 0);
  viewState.caption = kFixedAngleCaption + std::to_string(degrees);
}

void nextViewMode() {
  int& mode = geometry::viewMode;
  mode = mode >= 2 || mode < 0 ? 0 : mode + 1;
  static const char* const captions[] = {kSideViewCaption, kTopViewCaption, kBottomViewCaption};
  viewState.caption = captions[mode];
}

void centreOnCurrentObject() {
  const scene::SceneObject& o = scene::currentObjectRecord();
  Camera& c = camera();
  moveEyeAndTarget(o.posX - c.eyeX, o.posY - c.eyeY, o.posZ - c.eyeZ);
}

scene::Point3* draggedMarker() {
  switch (viewState.dragTarget) {
    case kDragObject: return &scene::selectionMarkers.object;
    case kDragModifier: return &scene::selectionMarkers.modifier;
    default: return nullptr;
  }
}

// The dragged marker takes the mouse displacement since the drag start: the
// horizontal one into x, the vertical one into y, or into z in depth mode.
void commitDrag(int x, int y) {
  if (scene::Point3* marker = draggedMarker()) {
    marker->x += x - viewState.dragStartX;
    (viewState.depthMode ? marker->z : marker->y) += y - viewState.dragStartY;
  }
}

// Before depth mode flips during a drag the displacement so far goes into the
// marker and the drag restarts here, so the dragged thing does not jump.
void rebaseDrag() {
  ViewState& v = viewState;
  if (!v.dragging) return;
  commitDrag(v.mouseX, v.mouseY);
  v.dragStartX = v.mouseX;
  v.dragStartY = v.mouseY;
}

struct Point {
  std::int32_t x, y, z;
};

// Where a thing at `at` whose marker is `marker` goes when its marker follows
// the mouse: in its depth plane, or in its height plane in depth mode.
Point dragPoint(int x, int y, const scene::Point3& marker, Point at) {
  const ViewState& v = viewState;
  const Camera& c = camera();
  const double xs = x + (marker.x - v.dragStartX);
  Point p = at;
  if (v.depthMode) {
    const double ys = y + (marker.z - v.dragStartY);
    const double theta = -v.angle * kDegreesToRadians;
    const double cs = std::cos(theta), sn = std::sin(theta);
    p.x = truncated(-xs * cs - ys * sn - c.eyeX);
    p.z = truncated(-xs * sn + ys * cs - c.eyeZ);
  } else {
    const double ys = y + (marker.y - v.dragStartY);
    const double a = v.angle * kDegreesToRadians;
    const double depth = std::cos(a) * (at.z + c.eyeZ) + std::sin(a) * (at.x + c.eyeX);
    p.x = truncated(-xs * std::cos(-a) - std::sin(-a) * depth - c.eyeX);
    p.y = truncated(ys - c.eyeY);
    p.z = truncated(-xs * std::sin(-a) + depth * std::cos(-a) - c.eyeZ);
  }
  return p;
}

void dragObject(int x, int y) {
  if (scene::objectFilledByClones()) return;  // the next frame would put it back
  scene::SceneObject& o = scene::currentObjectRecord();
  const Point p = dragPoint(x, y, scene::selectionMarkers.object, {o.posX, o.posY, o.posZ});
  o.posX = toShort(p.x);
  o.posY = toShort(p.y);
  o.posZ = toShort(p.z);
  scene::refreshScenesDialog();
}

void dragModifier(int x, int y) {
  viewState.dragTarget = kDragModifier;
  scene::Modifier* m = scene::currentModifierRecord();
  if (!m || scene::modifierFilledByClones()) return;
  const scene::SceneObject& o = scene::currentObjectRecord();
  const Point at{o.posX + m->offsetX, o.posY + m->offsetY, o.posZ + m->offsetZ};
  const Point p = dragPoint(x, y, scene::selectionMarkers.modifier, at);
  m->offsetX = toShort(p.x - o.posX);
  m->offsetY = toShort(p.y - o.posY);
  m->offsetZ = toShort(p.z - o.posZ);
}

void turn(int x, int y, int width, int height) {
  ViewState& v = viewState;
  if (width <= 0) return;
  const int a =
      wrapDegrees((x - width / 2 - v.rotationReferenceX) * kTurnPerWidth / width + v.rotationStart);
  v.rotationStart = wrapDegrees(v.rotationStart);
  v.angle = a;
  camera().angle = 0;
  aim(a, static_cast<double>((height / 2 - y) * kTurnPerWidth / width));
  updateMarkers();
  v.caption = kTurnCaption + std::to_string(a);
}

void pickAt(int rasterX, int rasterY) {
  pickObject(rasterX, rasterY);
  scene::refreshScenesDialog();
  // The new object's last modifier is current before the markers are taken from it.
  scene::selectLastModifier();
  updateMarkers();
  scene::refreshModifiersDialog();
  autoSwitchTextureAndMaterial(viewHooks.autoSwitchTextureMaterial &&
                               viewHooks.autoSwitchTextureMaterial());
  viewState.pickArmed = 0;
}

}  // namespace

void updateMarkers() {
  const Camera& c = camera();
  scene::updateObjectMarker(viewState.angle, c.eyeX, c.eyeY, c.eyeZ);
  scene::updateModifierMarker(viewState.angle, c.eyeX, c.eyeY, c.eyeZ);
}

void autoSwitchTextureAndMaterial(bool enabled) {
  if (!enabled) return;
  const scene::SceneObject& o = scene::currentObjectRecord();
  materials::materialStore.currentMaterial = o.material;
  if (materials::materialHooks.refreshEditor) materials::materialHooks.refreshEditor();
  texgen::selectSlot(o.texture);
}

int viewHeightForWidth(int width) { return width * kAspectHeight / kAspectWidth; }

void viewKeyDown(ViewKey key, bool controlHeld) {
  ViewState& v = viewState;
  switch (key) {
    case ViewKey::left: moveSideways(-kKeyStep); break;
    case ViewKey::right: moveSideways(kKeyStep); break;
    case ViewKey::up: moveVertically(kKeyStep); break;
    case ViewKey::down: moveVertically(-kKeyStep); break;
    case ViewKey::digit1: fixedAngle(0); break;
    case ViewKey::digit2: fixedAngle(90); break;
    case ViewKey::digit3: fixedAngle(180); break;
    case ViewKey::digit4: fixedAngle(270); break;
    case ViewKey::digit5: nextViewMode(); return;
    case ViewKey::digit6:
      camera().eyeX = camera().eyeY = camera().eyeZ = 0;
      camera().targetX = camera().targetY = 0;
      camera().targetZ = kTargetDistance;
      break;
    case ViewKey::digit7: camera().eyeX = camera().eyeY = camera().eyeZ = 0; break;
    case ViewKey::c: centreOnCurrentObject(); break;
    case ViewKey::a: frameState.view.animationFrozen ^= 1; return;
    case ViewKey::q: frameState.view.cleanView ^= 1; return;
    case ViewKey::w: frameState.view.wireframe ^= 1; return;
    case ViewKey::g: {
      int& mode = frameState.view.guideGridMode;
      mode = mode >= 2 || mode < 0 ? 0 : mode + 1;
      return;
    }
    case ViewKey::x:
      if (viewHooks.sendScenesCommand) viewHooks.sendScenesCommand(kNormalMode);
      return;
    case ViewKey::s:
      if (controlHeld) sendFrame(kSavePack);
      return;
    case ViewKey::backspace: scene::undo(); break;
    case ViewKey::tab: {
      const int next = layoutNumber() + 1;
      loadLayout(next >= kLayoutNumbers || next < 0 ? 0 : next);
      return;
    }
    case ViewKey::f1: loadLayout(0); return;
    case ViewKey::f2: loadLayout(1); return;
    case ViewKey::f3: loadLayout(2); return;
    case ViewKey::f4: loadLayout(3); return;
    case ViewKey::f5: loadLayout(4); return;
    case ViewKey::shift:
      v.cursorMode = 1;
      v.dragTarget = kDragObject;
      return;
    case ViewKey::space:
      v.pickArmed = 1;
      v.spaceHeld = true;
      return;
    case ViewKey::z:
      rebaseDrag();
      v.depthMode = 1;
      return;
    case ViewKey::control:
    case ViewKey::other: return;
  }
  // Every camera move above (and undo, which moves objects back) leaves the
  // markers where the things now are.
  updateMarkers();
}

void viewKeyUp(ViewKey key) {
  ViewState& v = viewState;
  switch (key) {
    case ViewKey::shift:
      v.cursorMode = 0;
      v.dragTarget = kDragModifier;
      break;
    case ViewKey::control: v.rotationStart = static_cast<std::int32_t>(std::trunc(v.angle)); break;
    case ViewKey::space:
      v.pickArmed = 0;
      v.spaceHeld = false;
      break;
    case ViewKey::z:
      rebaseDrag();
      v.depthMode = 0;
      break;
    default: break;
  }
}

void viewMouseMove(int x, int y, const PointerState& s, int width, int height) {
  ViewState& v = viewState;
  if (viewHooks.takeFocus) viewHooks.takeFocus();
  if (geometry::viewMode == 2) y = -y;
  v.mouseX = x;
  v.mouseY = y;
  const bool otherButton = s.right || s.middle;
  if (s.left && s.shift && !s.control && !otherButton)
    dragObject(x, y);
  else if (s.left && !s.shift && !s.control && !otherButton)
    dragModifier(x, y);
  else if (s.control && !s.left && !otherButton)
    turn(x, y, width, height);
  else
    v.rotationReferenceX = x - width / 2;
  scene::refreshModifiersDialog();
}

void viewLeftButtonDown(int x, int y, int clientWidth, int clientHeight) {
  ViewState& v = viewState;
  const int shownY = geometry::viewMode == 2 ? -y : y;
  v.mouseX = x;
  v.mouseY = shownY;
  // A point off the raster (the client's very edge) picks nothing and keeps the pick armed.
  if (v.pickArmed && clientWidth > 0 && clientHeight > 0 && x >= 0 && y >= 0) {
    const int rasterX = x * kRasterWidth / clientWidth;
    const int rasterY = y * kRasterHeight / clientHeight;
    if (rasterX < kRasterWidth && rasterY < kRasterHeight) pickAt(rasterX, rasterY);
  }
  if (!v.dragging) {
    v.dragStartX = x;
    v.dragStartY = shownY;
    v.dragging = true;
  }
}

void viewLeftButtonUp(int x, int y) {
  ViewState& v = viewState;
  if (!v.dragging) return;
  const int shownY = geometry::viewMode == 2 ? -y : y;
  v.mouseX = x;
  v.mouseY = shownY;
  commitDrag(x, shownY);
  v.dragging = false;
  scene::checkpoint();
}

void viewLeftDoubleClick(bool shiftHeld) {
  if (viewState.spaceHeld || shiftHeld || viewState.cursorMode == 1) return;
  if (scene::insertModifier()) scene::refreshModifiersDialog();
}

void viewRightDoubleClick() {
  if (scene::removeModifier()) scene::refreshModifiersDialog();
}

void viewMiddleDoubleClick() {
  scene::Modifier* m = scene::currentModifierRecord();
  if (!m) return;
  m->radius = static_cast<std::int16_t>(-m->radius);
  scene::refreshModifiersDialog();
}

void viewWheel(int delta, const PointerState& s) {
  const double step = static_cast<double>(delta) / kWheelDivisor;
  if (s.control && !s.shift && !s.left && !s.right && !s.middle) {
    double& zoom = camera().zoom;
    zoom += step / kZoomStep;
    if (zoom < 1 / kZoomStep) zoom = kMinZoom;
    if (zoom > 255 / kZoomStep) zoom = kMaxZoom;
    if (renderSettingsHooks.refresh) renderSettingsHooks.refresh();
    return;
  }
  scene::Modifier* m = scene::currentModifierRecord();
  if (!m) return;
  if (s.shift) {
    const double v = step + m->strength;
    if (v > -kStrengthLimit && v < kStrengthLimit) m->strength = toShort(truncated(v));
  } else {
    const double v = step + m->radius;
    if (v > -kRadiusLimit && v < kRadiusLimit) m->radius = toShort(truncated(v));
  }
  scene::refreshModifiersDialog();
}

}  // namespace vandrel::render
