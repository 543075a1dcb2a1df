// The 3D view in the running editor, driven as a user drives it: the mouse
// moved over windows, clicks and keys dispatched through the window system to
// whichever widget has the keyboard focus.
#include <QLineEdit>
#include <QTest>

#include "render/render_settings.h"
#include "scene/scene_store.h"
#include "shell/editor_fixture.h"

namespace vandrel::shell::test {
namespace {

class ViewFocusTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    ASSERT_TRUE(start());
    QWidget* frame = editor.frame;
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
  }

  // A key as the keyboard sends it: to the widget with the focus, whichever it is.
  static void press(Qt::Key key) {
    QTest::keyClick(editor.frame->windowHandle(), key);
  }
  // Two moves: a move to where the pointer already is is no move at all.
  static void moveInto(QWidget* w) {
    QTest::mouseMove(w, w->rect().center());
    QTest::mouseMove(w, w->rect().center() + QPoint(1, 1));
  }
  static render::Camera& camera() { return render::renderSettings.currentCamera; }
};

TEST_F(ViewFocusTest, TheViewTakesTheKeysBackFromAWindowOutsideAutomaticFocus) {
  QWidget* view = editor.view;
  moveInto(view);
  ASSERT_EQ(ui::shellFlags.activeToolCode, ui::kFocusView);
  // The clones dialog takes no part in automatic focus: a click there leaves the code at 0.
  QLineEdit* step = subWindow(ui::kSlotClones)->findChildren<QLineEdit*>().back();
  QTest::mouseClick(step, Qt::LeftButton);
  ASSERT_TRUE(step->hasFocus());
  moveInto(view);
  press(Qt::Key_Right);
  EXPECT_EQ(camera().eyeX, 10);
  EXPECT_TRUE(view->hasFocus());

  // With automatic focus off the mouse leaves the keys where they are.
  editor.frame->command(kAutoFocusOff);
  QTest::mouseClick(step, Qt::LeftButton);
  moveInto(view);
  press(Qt::Key_Right);
  EXPECT_EQ(camera().eyeX, 10);
}

TEST_F(ViewFocusTest, ArrowsAfterCentringMoveOnFromTheObject) {
  scene::SceneObject& sphere = scene::currentObjectRecord();
  sphere.posX = 300, sphere.posY = -40, sphere.posZ = 200;
  moveInto(editor.view);
  press(Qt::Key_Left);
  press(Qt::Key_C);
  EXPECT_EQ(camera().eyeX, 300);
  EXPECT_EQ(camera().targetZ, 300);
  for (Qt::Key k : {Qt::Key_Right, Qt::Key_Up}) {
    press(k);
    runOnce();
  }
  EXPECT_EQ(camera().eyeX, 310);
  EXPECT_EQ(camera().eyeY, -50);
  EXPECT_EQ(camera().eyeZ, 200);
}

}  // namespace
}  // namespace vandrel::shell::test
