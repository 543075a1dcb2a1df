#include <QMouseEvent>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/scratch_folder.h"
#include "materials/materials.h"
#include "pack/document.h"
#include "platform/ui/prompts.h"
#include "platform/ui/tool_windows.h"
#include "render/render_settings.h"
#include "render/view_navigation.h"
#include "scene/catalogues.h"
#include "editor/scene/clones_dialog.h"
#include "scene/geometry_text.h"
#include "scene/scene_hooks.h"
#include "scene/scene_store.h"
#include "editor/scene/scenes_dialog.h"
#include "scene/undo.h"
#include "texgen/texture_store.h"

namespace vandrel::scene {
namespace {

int renderRefreshes = 0;

// The start-up document with the scenes dialog, snapshots in a scratch folder and
// prompts answered from queues.
class ScenesDialogTest : public app::test::ScratchFolderTest {
 protected:
  void SetUp() override {
    ScratchFolderTest::SetUp();
    ::setenv("TMPDIR", dir_.c_str(), 1);
    pack::resetDocument();
    resetSceneHooks();
    ui::resetToolWindows();
    render::resetViewState();
    sceneHooks.selectionChanged = &render::updateMarkers;
    renderRefreshes = 0;
    render::renderSettingsHooks.refresh = [] { ++renderRefreshes; };
    ui::setPrompts(&prompts);
    dialog = new ScenesDialog;
  }
  void TearDown() override {
    delete dialog;
    ui::setPrompts(nullptr);
    render::renderSettingsHooks = {};
    resetSceneHooks();
    ui::resetToolWindows();
    ::unsetenv("TMPDIR");
    ScratchFolderTest::TearDown();
  }

  // n objects told apart by posX 100 + i, material 10 + i and texture 20 + i;
  // object i carries i modifiers.
  static void fillObjects(int n) {
    currentSceneRecord().objectCount = static_cast<std::uint8_t>(n);
    for (int i = 0; i < n; ++i) {
      SceneObject& o = objectRecord(sceneStore.currentScene, i) = newSceneObject();
      o.posX = static_cast<std::int16_t>(100 + i);
      o.material = static_cast<std::uint8_t>(10 + i);
      o.texture = static_cast<std::uint8_t>(20 + i);
      modifierList(sceneStore.currentScene, i).count = static_cast<std::uint8_t>(i);
    }
    refreshScenesDialog();
  }
  void click(int id) { QTest::mouseClick(dialog->control(id), Qt::LeftButton); }
  void type(int edit, const char* text) { dialog->setText(edit, text); }
  void expectScaleShown(int coarse, int fine, const char* value) {
    EXPECT_EQ(dialog->trackbarPos(kScaleCoarse), coarse);
    EXPECT_EQ(dialog->trackbarPos(kScaleFine), fine);
    EXPECT_EQ(dialog->text(kScaleValue), value);
  }

  ui::TestPrompts prompts;
  ScenesDialog* dialog = nullptr;
};

TEST_F(ScenesDialogTest, ObjectStepsStopAtTheEndsAndFollowTheSelection) {
  fillObjects(3);
  ui::registerToolWindow({dialog, dialog, ui::kFocusScenes, ui::kSlotScenes, true, false});
  QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), QPointF(3, 3), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(dialog->control(kGridN), &move);  // children report moves too
  EXPECT_EQ(ui::shellFlags.activeToolCode, ui::kFocusScenes);
  click(kScenesFoldFlag);
  EXPECT_TRUE(ui::toolWindowWithCode(ui::kFocusScenes)->foldFlag);

  // At either end nothing happens, not even a refresh of what the boxes show.
  currentObjectRecord().posX = 555;
  click(kObjectPrevious);
  EXPECT_EQ(dialog->text(kPositionX), "100");

  click(kObjectNext);
  click(kObjectNext);
  EXPECT_EQ(dialog->text(kObjectNumber), "2");
  EXPECT_EQ(sceneStore.currentModifier, 1);
  EXPECT_EQ(selectionMarkers.object.x, -102);
  EXPECT_EQ(materials::materialStore.currentMaterial, 12);
  EXPECT_EQ(texgen::textureStore.currentSlot, 22);
  currentObjectRecord().posX = 777;
  click(kObjectNext);
  EXPECT_EQ(dialog->text(kPositionX), "102");

  // Without the switch, and with the jumps to either end, the editors keep theirs.
  ui::shellFlags.autoSwitchTextureMaterial = false;
  click(kObjectPrevious);
  EXPECT_EQ(currentSceneRecord().currentObject, 1);
  EXPECT_EQ(materials::materialStore.currentMaterial, 12);
  ui::shellFlags.autoSwitchTextureMaterial = true;
  click(kObjectFirst);
  EXPECT_EQ(sceneStore.currentModifier, -1);
  EXPECT_EQ(texgen::textureStore.currentSlot, 22);
  click(kObjectLast);
  EXPECT_EQ(selectionMarkers.object.x, -777);
}

TEST_F(ScenesDialogTest, ScaleAxesAndTrackbars) {
  SceneObject& o = currentObjectRecord();
  o.scaleX = 300;
  refreshScenesDialog();
  expectScaleShown(1, 44, "300");

  o.scaleX = 100, o.scaleY = 50, o.scaleZ = 0;
  click(kAxisCommon);
  EXPECT_EQ(dialog->text(kAxisX), "x");
  EXPECT_EQ(dialog->text(kAxisCommon), "[общий]");
  expectScaleShown(0, 50, "50");
  static_cast<QSlider*>(dialog->control(kScaleFine))->setValue(60);  // as the user drags it
  EXPECT_EQ(o.scaleX + o.scaleY + o.scaleZ, 180);

  click(kAxisZ);
  EXPECT_EQ(dialog->text(kAxisCommon), "общий");
  static_cast<QSlider*>(dialog->control(kScaleCoarse))->setValue(2);
  EXPECT_EQ(o.scaleZ, 2 * 256 + 60);
  EXPECT_EQ(o.scaleX, 60);
  o.scaleZ = 1000;
  refreshScenesDialog();
  expectScaleShown(3, 232, "1000");
}

// A box holding anything but a number its field can store is refused and shows
// the stored value again; only a real change writes an undo snapshot.
TEST_F(ScenesDialogTest, BoxesTakeOnlyNumbersTheirFieldsCanHold) {
  SceneObject& o = currentObjectRecord();
  o.posY = 123;
  o.posZ = -45;
  o.gridM = 9;
  o.cU = 3;
  o.cV = 4;
  dialog->refresh();
  type(kPositionX, "-5");
  type(kPositionY, "12x34");
  type(kPositionZ, "99999999999");
  click(kApplyPosition);
  EXPECT_EQ(o.posX, -5);
  EXPECT_EQ(o.posY, 123);
  EXPECT_EQ(o.posZ, -45);
  EXPECT_EQ(dialog->text(kPositionY), "123");
  EXPECT_EQ(dialog->text(kPositionZ), "-45");
  EXPECT_EQ(selectionMarkers.object.x, 5);
  EXPECT_EQ(undoCounter, 1);

  type(kGridN, "300");
  type(kGridM, "17");
  click(kApplyGrid);
  EXPECT_EQ(o.gridN, 32);
  EXPECT_EQ(dialog->text(kGridN), "32");
  EXPECT_EQ(o.gridM, 17);
  type(kRepeatU, "x");
  type(kRepeatV, "-1");
  click(kApplyRepeat);
  EXPECT_EQ(o.cU, 3);
  EXPECT_EQ(o.cV, 4);
  EXPECT_EQ(dialog->text(kRepeatU), "3");
  EXPECT_EQ(undoCounter, 2);
}

TEST_F(ScenesDialogTest, SceneCommandsRefreshEveryDialogOfTheScene) {
  ClonesDialog clones;
  cloneRule(0, 0).cloneCount = 7;
  click(kScenePrevious);  // refreshes even when nothing moved
  click(kSceneCreate);
  EXPECT_EQ(dialog->text(kSceneNumber), "1");
  EXPECT_EQ(currentSceneRecord().fogStart, 250);  // a new scene's own fog stays
  EXPECT_EQ(clones.text(kCloneCountNumber), "0");
  click(kScenePrevious);
  EXPECT_EQ(clones.text(kCloneCountNumber), "7");
  click(kSceneDelete);
  click(kSceneDelete);
  EXPECT_EQ(sceneStore.sceneCount, 1);
  EXPECT_EQ(dialog->text(kSceneNumber), "0");
  EXPECT_EQ(renderRefreshes, 5);
}

TEST_F(ScenesDialogTest, ClearingAsksFirstAndCancelChangesNothing) {
  fillObjects(4);
  const std::string before = writeAllScenes();
  click(kClearScene);  // an empty answer queue cancels
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].text, "Стереть сцену?");
  EXPECT_EQ(prompts.asked[0].caption, "Подтверждение действия");
  EXPECT_EQ(prompts.asked[0].buttons, ui::MessageButtons::okCancel);
  EXPECT_EQ(writeAllScenes(), before);
  EXPECT_EQ(undoCounter, 0);

  prompts.answers.push_back(ui::Answer::ok);
  click(kClearScene);
  EXPECT_EQ(currentSceneRecord().objectCount, 1);
  EXPECT_EQ(dialog->text(kScaleValue), "32");
  EXPECT_EQ(undoCounter, 1);
}

TEST_F(ScenesDialogTest, SceneLayersGoThroughTheChoosersAndFailuresChangeNothing) {
  fillObjects(3);
  prompts.files.push_back(path("layer"));
  click(kSaveLayer);
  EXPECT_EQ(slurp(path("layer.vsl")), writeCurrentScene());

  // A missing file is named and leaves the scene and the selection alone.
  click(kObjectLast);
  const std::string before = writeAllScenes();
  prompts.files.push_back(path("missing.vsl"));
  click(kLoadLayer);
  ASSERT_EQ(prompts.asked.size(), 3u);
  EXPECT_NE(prompts.asked[2].text.find(path("missing.vsl")), std::string::npos);
  EXPECT_EQ(writeAllScenes(), before);
  EXPECT_EQ(currentSceneRecord().currentObject, 2);

  clearCurrentScene();
  prompts.files.push_back(path("layer.vsl"));
  click(kLoadLayer);
  EXPECT_EQ(currentSceneRecord().objectCount, 3);
  EXPECT_EQ(dialog->text(kPositionX), "100");
  EXPECT_EQ(undoCounter, 1);
  currentSceneRecord().currentObject = 2;
  click(kLoadLayer);  // cancelled: still back to the first object
  EXPECT_EQ(dialog->text(kObjectNumber), "0");

  // A name taken by a folder cannot become the layer, and no part of it is left.
  std::filesystem::create_directory(path("taken.vsl"));
  prompts.files.push_back(path("taken.vsl"));
  click(kSaveLayer);
  EXPECT_NE(prompts.asked.back().text.find(path("taken.vsl")), std::string::npos);
  for (const auto& entry : std::filesystem::directory_iterator(dir_))
    EXPECT_EQ(entry.path().filename().string().rfind("taken.vsl.", 0), std::string::npos) << entry.path();
}

// A small scene can be built by driving the ids alone, as a scripted run of the
// editor does.
TEST_F(ScenesDialogTest, ASmallSceneIsBuiltByDrivingIds) {
  ClonesDialog clones;
  dialog->command(kObjectDelete);  // the only object stays
  dialog->command(kObjectCreate);
  dialog->command(kObjectClone);
  dialog->command(kObjectDelete);
  EXPECT_EQ(undoCounter, 3);
  dialog->setSelection(kPrimitiveList, kTorus);
  dialog->listChanged(kPrimitiveList);
  dialog->setText(kPositionX, "-40");
  dialog->setText(kPositionZ, "300");
  dialog->command(kApplyPosition);
  dialog->command(kAxisCommon);
  dialog->setTrackbarPos(kScaleFine, 90);
  dialog->trackbarMoved(kScaleFine);
  dialog->command(kMaterialDown);
  dialog->command(kMaterialUp);
  dialog->command(kTextureUp);
  for (int i = 0; i < 6; ++i) ui::sendCommand(ui::WindowId::scenes, kNormalMode);  // the view's "X"
  clones.command(kCloneObjectUp);
  clones.setSelection(kCloneKindList, 3);
  clones.listChanged(kCloneKindList);
  clones.command(kCloneCountUp);
  clones.setText(kCloneStepEdit, "-120");
  clones.command(kApplyCloneStep);

  ASSERT_EQ(currentSceneRecord().objectCount, 2);
  const SceneObject& o = objectRecord(0, 1);
  EXPECT_EQ(o.primitive, kTorus);
  EXPECT_EQ(o.posX + o.posZ, 260);
  EXPECT_EQ(o.scaleX + o.scaleY + o.scaleZ, 270);
  EXPECT_EQ(o.material, 1);
  EXPECT_EQ(o.texture, 2);
  EXPECT_EQ(o.normalMode, 0);
  EXPECT_EQ(dialog->text(kNormalMode), "Нормаль: -1");
  const CloneRule& rule = cloneRule(0, 1);
  EXPECT_EQ(rule.cloneKind + rule.cloneCount, 4);
  EXPECT_EQ(rule.cloneStep, -120);
  EXPECT_EQ(objectRecord(0, 0).primitive, kSphere);
}

}  // namespace
}  // namespace vandrel::scene
