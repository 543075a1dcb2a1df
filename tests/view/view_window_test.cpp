// Before any Qt header: the texture store has a field named like Qt's "slots" keyword.
#include "texgen/texture_store.h"

#include "editor/render/view_window.h"

#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "editors/dialog_fixture.h"
#include "geometry/mesh_build.h"
#include "geometry/mesh_state.h"
#include "materials/materials.h"
#include "platform/ui/commands.h"
#include "platform/ui/tool_windows.h"
#include "render/device_setup.h"
#include "render/frame.h"
#include "render/render_settings.h"
#include "render/view_navigation.h"
#include "render/window_commands.h"
#include "scene/modifier_kinds.h"
#include "scene/scene_edits.h"
#include "scene/scene_hooks.h"
#include "scene/scene_store.h"
#include "scene/undo.h"
#include "texgen/editor_hooks.h"

namespace vandrel::render {
namespace {

struct Recorder : ui::CommandTarget {
  std::vector<int> ids;
  void command(int id) override { ids.push_back(id); }
};

class ViewTest : public test::DialogEnvironment<> {
 protected:
  void SetUp() override {
    DialogEnvironment::SetUp();
    view = std::make_unique<ViewWindow>();
    ui::registerCommandTarget(ui::WindowId::frame, &frame);
    ui::registerCommandTarget(ui::WindowId::scenes, &scenes);
  }
  void TearDown() override {
    view.reset();
    ui::registerCommandTarget(ui::WindowId::frame, nullptr);
    ui::registerCommandTarget(ui::WindowId::scenes, nullptr);
    releaseDevice();
    DialogEnvironment::TearDown();
  }

  void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
    QTest::keyClick(view.get(), k, m);
  }
  void mouse(QEvent::Type type, int x, int y, Qt::MouseButton button, Qt::MouseButtons held,
             Qt::KeyboardModifiers m = Qt::NoModifier) {
    const QPointF p(x, y);
    QMouseEvent e(type, p, view->mapToGlobal(p), button, held, m);
    QApplication::sendEvent(view.get(), &e);
  }
  void move(int x, int y, Qt::MouseButtons held, Qt::KeyboardModifiers m = Qt::NoModifier) {
    mouse(QEvent::MouseMove, x, y, Qt::NoButton, held, m);
  }
  void press(int x, int y, Qt::KeyboardModifiers m = Qt::NoModifier) {
    mouse(QEvent::MouseButtonPress, x, y, Qt::LeftButton, Qt::LeftButton, m);
  }
  void release(int x, int y, Qt::KeyboardModifiers m = Qt::NoModifier) {
    mouse(QEvent::MouseButtonRelease, x, y, Qt::LeftButton, Qt::NoButton, m);
  }
  void doubleClick(Qt::MouseButton b, Qt::KeyboardModifiers m = Qt::NoModifier) {
    mouse(QEvent::MouseButtonDblClick, 10, 10, b, b, m);
  }
  void wheel(int delta, Qt::KeyboardModifiers m = Qt::NoModifier) {
    const QPointF p(10, 10);
    QWheelEvent e(p, view->mapToGlobal(p), QPoint(), QPoint(0, delta), Qt::NoButton, m,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.get(), &e);
  }

  static Camera& camera() { return renderSettings.currentCamera; }
  static scene::SceneObject& object() { return scene::currentObjectRecord(); }
  static scene::ModifierList& modifiers() { return scene::currentModifierList(); }
  std::string title() const { return view->windowTitle().toStdString(); }

  std::unique_ptr<ViewWindow> view;
  Recorder frame, scenes;
};

void expectPoint(const scene::Point3& p, int x, int y, int z) {
  EXPECT_EQ(p.x, x);
  EXPECT_EQ(p.y, y);
  EXPECT_EQ(p.z, z);
}

TEST_F(ViewTest, KeysMoveTheCameraAlongTheViewAngleAndKeepTheMarkers) {
  object().posX = 30, object().posY = 40, object().posZ = 50;
  key(Qt::Key_Right);
  EXPECT_EQ(camera().eyeX, 10);
  EXPECT_EQ(camera().targetX, 10);
  EXPECT_EQ(camera().targetZ, 100);
  expectPoint(scene::selectionMarkers.object, -40, 40, 50);  // markers follow the eye
  key(Qt::Key_Up);
  EXPECT_EQ(camera().eyeY, -10);
  key(Qt::Key_6);
  EXPECT_EQ(camera().eyeY, 0);
  EXPECT_EQ(camera().targetX, 0);

  camera().angle = 12;
  key(Qt::Key_2);
  EXPECT_EQ(title(), "просмотр 3d | угол xz: 90");
  EXPECT_EQ(viewState.angle, 90);
  EXPECT_EQ(camera().angle, 0);
  EXPECT_NEAR(camera().targetX, 100, 1e-9);
  EXPECT_NEAR(camera().targetZ, 0, 1e-9);
  key(Qt::Key_Left);  // sideways is now along z
  EXPECT_NEAR(camera().eyeX, 0, 1e-9);
  EXPECT_NEAR(camera().eyeZ, 10, 1e-9);
  QTest::keyPress(view.get(), Qt::Key_Z);
  key(Qt::Key_Up);  // in depth mode up goes along the view direction's normal in the plane
  QTest::keyRelease(view.get(), Qt::Key_Z);
  EXPECT_NEAR(camera().eyeX, -10, 1e-9);
  EXPECT_NEAR(camera().eyeY, 0, 1e-9);
  key(Qt::Key_4);
  EXPECT_EQ(title(), "просмотр 3d | угол xz: 270");

  key(Qt::Key_C);  // the eye on the object, the view direction kept
  EXPECT_EQ(camera().eyeZ, 50);
  EXPECT_NEAR(camera().targetX, 30 - 100, 1e-9);
  key(Qt::Key_7);
  EXPECT_EQ(camera().eyeX, 0);
  EXPECT_NEAR(camera().targetX, -70, 1e-9);
}

TEST_F(ViewTest, ViewModeAndToggleKeysCycle) {
  const char* captions[] = {"просмотр 3d: вид сверху", "просмотр 3d: вид снизу",
                            "просмотр 3d: вид со стороны"};
  for (int i = 0; i < 3; ++i) {
    key(Qt::Key_5);
    EXPECT_EQ(title(), captions[i]);
    EXPECT_EQ(geometry::viewMode, (i + 1) % 3);
  }
  key(Qt::Key_A), key(Qt::Key_Q), key(Qt::Key_W);
  key(Qt::Key_W);
  EXPECT_EQ(frameState.view.animationFrozen + frameState.view.cleanView * 2, 3);
  EXPECT_EQ(frameState.view.wireframe, 0);
  for (int expected : {1, 2, 0}) {
    key(Qt::Key_G);
    EXPECT_EQ(frameState.view.guideGridMode, expected);
  }
}

TEST_F(ViewTest, ShortcutsReachTheFrameWindowAndTheScenesDialog) {
  key(Qt::Key_S);
  key(Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(frame.ids, std::vector<int>{kSavePack});
  frame.ids.clear();
  QWidget host;  // with somewhere else to go, Tab would move the focus
  QLineEdit other(&host);
  view->setParent(&host);
  host.show();
  ui::shellFlags.layoutIndex = 3;
  key(Qt::Key_Tab);
  EXPECT_EQ(ui::shellFlags.layoutIndex, 4);
  key(Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(ui::shellFlags.layoutIndex, 0);
  key(Qt::Key_F3);
  EXPECT_EQ(ui::shellFlags.layoutIndex, 2);
  EXPECT_EQ(frame.ids, (std::vector<int>{kReadLayout, kReadLayout, kReadLayout}));
  key(Qt::Key_X);
  EXPECT_EQ(scenes.ids, std::vector<int>{kNormalMode});
  view->setParent(nullptr);
}

TEST_F(ViewTest, CtrlMoveTurnsTheView) {
  ASSERT_EQ(view->width(), 640);
  camera().angle = 5;
  move(0, 240, Qt::NoButton);  // the reference
  move(640, 240, Qt::NoButton, Qt::ControlModifier);
  EXPECT_EQ(viewState.angle, 280);  // 640 degrees across the width, wrapped
  EXPECT_EQ(title(), "просмотр 3d: угол xz: 280");
  EXPECT_EQ(camera().angle, 0);
  EXPECT_NEAR(camera().targetX, 100 * std::sin(280 * kDegreesToRadians), 1e-9);
  EXPECT_EQ(camera().targetY, 0);
  move(640, 0, Qt::NoButton, Qt::ControlModifier);  // the upper edge looks up 240 x 640 / 640
  EXPECT_EQ(camera().targetY, 240);
  QTest::keyRelease(view.get(), Qt::Key_Control);  // the next turn starts from here
  move(320, 240, Qt::NoButton);
  move(420, 240, Qt::NoButton, Qt::ControlModifier);
  EXPECT_EQ(viewState.angle, 20);  // 280 + 100 wrapped
}

TEST_F(ViewTest, CtrlWheelZoomsWithinLimitsOtherwiseTheWheelEditsTheModifier) {
  static int refreshes;
  refreshes = 0;
  renderSettingsHooks.refresh = [] { ++refreshes; };
  wheel(120, Qt::ControlModifier);
  EXPECT_EQ(camera().zoom, 1 + 7.5 / 64);
  for (int i = 0; i < 40; ++i) wheel(120, Qt::ControlModifier);
  EXPECT_EQ(camera().zoom, 3.984375);
  for (int i = 0; i < 80; ++i) wheel(-120, Qt::ControlModifier);
  EXPECT_EQ(camera().zoom, 0.015625);
  EXPECT_EQ(refreshes, 121);

  wheel(120);  // no modifier: nothing to edit
  EXPECT_EQ(modifiers().count, 0);
  modifiers().count = 1;
  scene::sceneStore.currentModifier = 0;
  modifiers().modifiers[0] = scene::newModifier();
  modifiers().modifiers[0].strength = 119;
  wheel(120, Qt::ShiftModifier);
  EXPECT_EQ(modifiers().modifiers[0].strength, 126);
  wheel(120, Qt::ShiftModifier);  // would reach 133.5
  EXPECT_EQ(modifiers().modifiers[0].strength, 126);
  wheel(-120);
  EXPECT_EQ(modifiers().modifiers[0].radius, 92);
  modifiers().modifiers[0].radius = 32760;
  wheel(120);
  EXPECT_EQ(modifiers().modifiers[0].radius, 32760);
  EXPECT_EQ(camera().zoom, 0.015625);
}

TEST_F(ViewTest, DoubleClicksInsertDeleteAndNegateModifiers) {
  doubleClick(Qt::RightButton);  // nothing to delete
  EXPECT_EQ(modifiers().count, 0);
  doubleClick(Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(modifiers().count, 0);
  doubleClick(Qt::LeftButton);  // the first one
  EXPECT_EQ(modifiers().count, 1);
  EXPECT_EQ(scene::sceneStore.currentModifier, 0);
  EXPECT_EQ(modifiers().modifiers[0].radius, 100);

  scene::Modifier& first = modifiers().modifiers[0];
  first.kind = scene::kTurnY, first.strength = -3, first.offsetZ = 7;
  modifiers().modifiers[1] = {1, 2, 3, 4, 5, scene::kCBendY};
  modifiers().count = 2;
  doubleClick(Qt::LeftButton);  // a copy right after the current one
  ASSERT_EQ(modifiers().count, 3);
  EXPECT_EQ(scene::sceneStore.currentModifier, 1);
  EXPECT_EQ(modifiers().modifiers[1].kind, scene::kTurnY);
  EXPECT_EQ(modifiers().modifiers[1].offsetZ, 7);
  EXPECT_EQ(modifiers().modifiers[2].kind, scene::kCBendY);
  doubleClick(Qt::MiddleButton);
  EXPECT_EQ(modifiers().modifiers[1].radius, -100);
  doubleClick(Qt::RightButton);
  ASSERT_EQ(modifiers().count, 2);
  EXPECT_EQ(scene::sceneStore.currentModifier, 0);
  EXPECT_EQ(modifiers().modifiers[1].kind, scene::kCBendY);

  modifiers().count = scene::kMaxModifiers;
  doubleClick(Qt::LeftButton);
  EXPECT_EQ(modifiers().count, scene::kMaxModifiers);
}

TEST_F(ViewTest, SpaceClickPicksTheClickedObjectAndSwitchesMaterialAndTexture) {
  ASSERT_TRUE(createDevice());
  deviceSetup.device->setPresentHandler(
      [this](const std::uint32_t* p, int w, int h) { view->present(p, w, h); });
  scene::objectRecord(0, 0).posX = 128;  // the view's x grows toward smaller posX
  scene::SceneObject& right = scene::objectRecord(0, 1) = scene::newSceneObject();
  right.posX = -128;
  right.material = 7;
  right.texture = 3;
  scene::modifierList(0, 1).count = 2;
  scene::currentSceneRecord().objectCount = 2;
  renderFrame();
  ASSERT_EQ(view->image().width(), 640);

  view->resize(320, 240);  // raster x = x * 640 / 320
  ui::shellFlags.autoSwitchTextureMaterial = true;
  QTest::keyPress(view.get(), Qt::Key_Space);
  press(240, 120);
  release(240, 120);
  EXPECT_EQ(scene::currentSceneRecord().currentObject, 1);
  EXPECT_EQ(scene::sceneStore.currentModifier, 1);
  EXPECT_EQ(materials::materialStore.currentMaterial, 7);
  EXPECT_EQ(texgen::textureStore.currentSlot, 3);
  EXPECT_EQ(viewState.pickArmed, 0);

  press(80, 120);  // disarmed after one pick, though Space is still down
  release(80, 120);
  EXPECT_EQ(scene::currentSceneRecord().currentObject, 1);
  QTest::keyRelease(view.get(), Qt::Key_Space);
  QTest::keyPress(view.get(), Qt::Key_Space);
  press(320, 120);  // beyond the raster: nothing, still armed
  release(320, 120);
  EXPECT_EQ(viewState.pickArmed, 1);
  press(80, 120);
  release(80, 120);
  EXPECT_EQ(scene::currentSceneRecord().currentObject, 0);
  QTest::keyRelease(view.get(), Qt::Key_Space);
}

TEST_F(ViewTest, ShiftDragMovesTheObjectAndBackspaceUndoesIt) {
  ASSERT_TRUE(scene::checkpoint());
  QTest::keyPress(view.get(), Qt::Key_Shift);
  EXPECT_EQ(view->cursor().shape(), Qt::SizeAllCursor);
  press(100, 100, Qt::ShiftModifier);
  move(130, 90, Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(object().posX, -30);
  EXPECT_EQ(object().posY, -10);
  EXPECT_EQ(object().posZ, 0);
  QTest::keyPress(view.get(), Qt::Key_Z);  // depth mode in mid-drag: no jump
  move(130, 90, Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(object().posX, -30);
  EXPECT_EQ(object().posZ, 0);
  move(130, 80, Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(object().posY, -10);
  EXPECT_EQ(object().posZ, -10);
  QTest::keyRelease(view.get(), Qt::Key_Z);
  release(130, 80, Qt::ShiftModifier);
  expectPoint(scene::selectionMarkers.object, 30, -10, -10);
  EXPECT_EQ(scene::undoCounter, 2);

  QTest::keyRelease(view.get(), Qt::Key_Shift);  // a plain drag now moves the modifier
  EXPECT_EQ(view->cursor().shape(), Qt::ArrowCursor);
  modifiers().count = 1;
  scene::sceneStore.currentModifier = 0;
  modifiers().modifiers[0] = scene::newModifier();
  updateMarkers();
  press(10, 10);
  move(15, 15, Qt::LeftButton);
  release(15, 15);
  EXPECT_EQ(modifiers().modifiers[0].offsetX, -5);
  EXPECT_EQ(modifiers().modifiers[0].offsetY, 5);
  EXPECT_EQ(modifiers().modifiers[0].offsetZ, 0);
  expectPoint(scene::selectionMarkers.modifier, 35, -5, -10);

  key(Qt::Key_Backspace);
  EXPECT_EQ(object().posX, -30);  // the snapshot of the first drag
  key(Qt::Key_Backspace);
  EXPECT_EQ(object().posX, 0);
  expectPoint(scene::selectionMarkers.object, 0, 0, 0);
}

TEST_F(ViewTest, PresentShowsOpaquePixelsAndTheFrameKeepsTheAspect) {
  const std::uint32_t pixels[] = {0x00112233, 0x80FF0000, 0x0000FF00, 0x000000FF};
  view->present(pixels, 2, 2);
  EXPECT_EQ(view->image().pixel(0, 0), 0xFF112233u);
  EXPECT_EQ(view->image().pixel(1, 0), 0xFFFF0000u);  // alpha forced
  const QImage shown = view->grab().toImage();  // stretched over the client area
  EXPECT_EQ(shown.pixel(639, 479), 0xFF0000FFu);
  EXPECT_EQ(shown.pixel(0, 479), 0xFF00FF00u);

  QMdiArea area;
  area.resize(1200, 1000);
  ViewWindow* inner = new ViewWindow;
  QMdiSubWindow* sub = area.addSubWindow(inner);
  area.show();  // resize events reach hidden widgets only once shown
  sub->move(30, 40);
  sub->resize(800, 100);
  EXPECT_EQ(sub->height(), 800 * 505 / 640);
  EXPECT_EQ(sub->pos(), QPoint(30, 40));
  EXPECT_FALSE(inner->close());
}

}  // namespace
}  // namespace vandrel::render
