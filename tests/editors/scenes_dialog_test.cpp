#include "editor/scene/scenes_dialog.h"

#include <QMouseEvent>
#include <QSlider>

#include <gtest/gtest.h>

#include "dialog_fixture.h"
#include "materials/materials.h"
#include "platform/os/status_line.h"
#include "render/render_settings.h"
#include "render/view_navigation.h"
#include "scene/catalogues.h"
#include "scene/geometry_text.h"
#include "scene/scene_hooks.h"
#include "scene/scene_store.h"
#include "scene/undo.h"
#include "texgen/texture_store.h"

namespace vandrel::scene {
namespace {

int renderRefreshes = 0;

// The dialog with the 3D view's markers and the render settings' refresh counted.
class ScenesDialogTest : public test::DialogTest<ScenesDialog> {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    sceneHooks.selectionChanged = &render::updateMarkers;
    renderRefreshes = 0;
    render::renderSettingsHooks.refresh = [] { ++renderRefreshes; };
  }
  void TearDown() override {
    DialogTest::TearDown();
    render::renderSettingsHooks = {};
  }
  void expectScaleShown(int coarse, int fine, const char* value) {
    EXPECT_EQ(dialog->trackbarPos(kScaleCoarse), coarse);
    EXPECT_EQ(dialog->trackbarPos(kScaleFine), fine);
    EXPECT_EQ(dialog->text(kScaleValue), value);
  }
};

// A small scene built by the controls alone: each reaches its scene edit, and
// the edits reach the windows around through the hooks the dialog installs.
TEST_F(ScenesDialogTest, EachControlReachesItsSceneEdit) {
  ui::registerToolWindow({dialog.get(), dialog.get(), ui::kFocusScenes, ui::kSlotScenes, true, false});
  QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), QPointF(3, 3), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(dialog->control(kGridN), &move);  // children report moves too
  EXPECT_EQ(ui::shellFlags.activeToolCode, ui::kFocusScenes);
  click(kScenesFoldFlag);
  EXPECT_TRUE(ui::toolWindowWithCode(ui::kFocusScenes)->foldFlag);

  objectRecord(0, 0).material = 12;
  objectRecord(0, 0).texture = 7;
  click(kObjectCreate);
  click(kObjectClone);
  click(kObjectDelete);
  EXPECT_EQ(dialog->text(kObjectNumber), "1");
  EXPECT_EQ(undoCounter, 3);
  dialog->setSelection(kPrimitiveList, kTorus);
  dialog->listChanged(kPrimitiveList);
  type(kPositionX, "-40");  // Return presses the default button, "<-ок"
  type(kPositionZ, "300");
  EXPECT_EQ(selectionMarkers.object.x, 40);
  type(kGridN, "300");
  click(kApplyGrid);
  EXPECT_EQ(dialog->text(kGridN), "32");  // refused: the stored value shows again
  click(kAxisCommon);
  EXPECT_EQ(dialog->text(kAxisCommon), "[общий]");
  static_cast<QSlider*>(dialog->control(kScaleFine))->setValue(90);  // as the user drags it
  click(kMaterialUp);
  click(kTextureUp);
  EXPECT_EQ(dialog->text(kMaterialNumber) + dialog->text(kTextureNumber), "18");
  for (int i = 0; i < kNormalModes; ++i) ui::sendCommand(ui::WindowId::scenes, kNormalMode);  // the view's "X"
  EXPECT_EQ(dialog->text(kNormalMode), "Нормаль: -1");

  const SceneObject& o = objectRecord(0, 1);
  EXPECT_EQ(o.primitive, kTorus);
  EXPECT_EQ(o.posX + o.posZ, 260);
  EXPECT_EQ(o.scaleX + o.scaleY + o.scaleZ, 270);
  EXPECT_EQ(undoCounter, 5);

  click(kObjectPrevious);  // the editors follow the object
  EXPECT_EQ(materials::materialStore.currentMaterial, 12);
  EXPECT_EQ(texgen::textureStore.currentSlot, 7);
  click(kSceneCreate);  // the render settings show the new scene's fog
  EXPECT_EQ(dialog->text(kSceneNumber), "1");
  EXPECT_EQ(renderRefreshes, 1);
  click(kClearScene);  // asked first: an empty answer queue cancels
  EXPECT_EQ(prompts.asked.back().text, "Стереть сцену?");
  prompts.answers.push_back(ui::Answer::ok);
  click(kClearScene);
  EXPECT_EQ(undoCounter, 6);
}

TEST_F(ScenesDialogTest, RefreshShowsTheStoreAndTheScaleOfTheChosenAxis) {
  SceneObject& o = currentObjectRecord();
  o.scaleX = 300;
  o.primitive = 200;  // a code from a file beyond the list selects nothing
  refreshScenesDialog();
  expectScaleShown(1, 44, "300");
  EXPECT_EQ(dialog->selection(kPrimitiveList), -1);
  o.scaleX = 100, o.scaleY = 50, o.scaleZ = 0;
  click(kAxisCommon);
  expectScaleShown(0, 50, "50");
  refreshScenesDialog();
  expectScaleShown(0, 100, "100");  // common shows x once chosen
  click(kAxisZ);
  o.scaleZ = 1000;
  refreshScenesDialog();
  expectScaleShown(3, 232, "1000");
}

// The scale box moves both trackbars as a drag does; Enter in a box applies
// that box's own "<-ок"; a refusal says why and shows the stored value again.
TEST_F(ScenesDialogTest, TypedNumbersReachTheirFieldsAndRefusalsSayWhy) {
  std::string told;
  os::statusLine = [&told](const std::string& text) { told = text; };
  type(kScaleValue, "250");
  expectScaleShown(0, 250, "250");
  EXPECT_EQ(currentObjectRecord().scaleX, 250);
  click(kAxisCommon);
  type(kScaleValue, "300");
  expectScaleShown(1, 44, "300");
  const SceneObject& o = currentObjectRecord();
  EXPECT_EQ(o.scaleX + o.scaleY + o.scaleZ, 900);
  type(kScaleValue, "-5");
  EXPECT_EQ(told, "Масштаб: число от 0 до 32767");
  expectScaleShown(1, 44, "300");

  type(kGridM, "12");
  type(kRepeatV, "3");
  EXPECT_EQ(o.gridM + o.cV, 15);
  type(kPositionY, "40000");
  EXPECT_EQ(told, "y: число от −32768 до 32767");
  EXPECT_EQ(dialog->text(kPositionY), "0");
  type(kRepeatU, "x");
  EXPECT_EQ(told, "cU: число от 0 до 255");

  // The boxes of the selection and of the object's material and texture.
  type(kSceneNumber, "1");
  EXPECT_EQ(told, "Сцена: число от 0 до 0");
  click(kObjectCreate);
  type(kObjectNumber, "0");
  EXPECT_EQ(currentSceneRecord().currentObject, 0);
  type(kMaterialNumber, "300");
  EXPECT_EQ(told, "Материал: число от 0 до 255");
  type(kTextureNumber, "9");
  EXPECT_EQ(currentObjectRecord().texture, 9);
  EXPECT_EQ(texgen::textureStore.currentSlot, 1);  // typed, not stepped into
  os::statusLine = nullptr;
}

TEST_F(ScenesDialogTest, SceneLayersGoThroughTheChoosersAndFailuresAreTold) {
  insertObject(false);
  prompts.files.push_back(path("layer"));
  click(kSaveLayer);
  EXPECT_EQ(slurp(path("layer.vsl")), writeCurrentScene());
  prompts.files.push_back(path("missing.vsl"));
  click(kLoadLayer);
  ASSERT_EQ(prompts.asked.size(), 3u);  // two choosers and the failure
  EXPECT_NE(prompts.asked[2].text.find(path("missing.vsl")), std::string::npos);
  EXPECT_EQ(prompts.asked[2].caption, "Сцены и объекты");
  clearCurrentScene();
  prompts.files.push_back(path("layer.vsl"));
  click(kLoadLayer);
  EXPECT_EQ(currentSceneRecord().objectCount, 2);
  EXPECT_EQ(undoCounter, 1);
}

}  // namespace
}  // namespace vandrel::scene
