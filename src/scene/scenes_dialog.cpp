#include "scene/scenes_dialog.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include <optional>
#include <string>

#include "platform/ui/prompts.h"
#include "platform/ui/tool_windows.h"
#include "render/render_settings.h"
#include "render/view_navigation.h"
#include "scene/catalogues.h"
#include "scene/scene_hooks.h"
#include "scene/scene_store.h"
#include "scene/undo.h"
#include "scene/vsl_file.h"

namespace vandrel::scene {

namespace {

constexpr int kColumns = 8;
constexpr int kMaxStepped = 255;  // material and texture numbers
constexpr int kLastNormalMode = 5;
const ui::FileFilter kLayerFilter{"Vandrel scene layer", "*.vsl"};
constexpr const char* kTitle = "Сцены и объекты";

ScenesDialog* instance = nullptr;

void refreshInstance() {
  if (instance) instance->refresh();
}

std::string number(int value) { return std::to_string(value); }

// The size the trackbars work on for an axis; x for common.
std::int16_t& scaleField(SceneObject& o, int axis) {
  return axis == kScaleAxisY ? o.scaleY : axis == kScaleAxisZ ? o.scaleZ : o.scaleX;
}

void tellFileFailure(const std::string& what, const std::string& error) {
  ui::prompts().message(what + "\n" + error, kTitle, ui::MessageButtons::ok, ui::MessageIcon::error);
}

}  // namespace

ScenesDialog::ScenesDialog(QWidget* parent) : Dialog(parent) {
  setWindowTitle(QString::fromUtf8(kTitle));

  // The controls keep the dialog's natural size on a page of their own, so that a
  // folded window shows the top strip of the dialog instead of squeezing it.
  auto* page = new QWidget(this);
  page->setFixedSize(kScenesDialogWidth, kScenesDialogHeight);
  auto* grid = new QGridLayout(page);
  grid->setContentsMargins(3, 3, 3, 3);
  grid->setSpacing(2);
  for (int c = 0; c < kColumns; ++c) grid->setColumnStretch(c, 1);
  auto put = [grid](QWidget* w, int row, int column, int span = 1) {
    w->setMinimumSize(1, 1);  // the grid shares the fixed width, whatever the captions ask
    grid->addWidget(w, row, column, 1, span);
  };
  auto label = [put, page](const char* text, int row, int column, int span = 1) {
    put(new QLabel(QString::fromUtf8(text), page), row, column, span);
  };

  put(addButton(kScenePrevious, "<"), 0, 0);
  put(addEdit(kSceneNumber), 0, 1, 2);
  put(addButton(kSceneNext, ">"), 0, 3);
  put(addButton(kSceneCreate, "crt"), 0, 4, 2);
  put(addButton(kSceneDelete, "del"), 0, 6);
  put(addButton(kScenesFoldFlag, "/"), 0, 7);

  put(addButton(kObjectFirst, "|<"), 1, 0);
  put(addButton(kObjectPrevious, "<"), 1, 1);
  put(addEdit(kObjectNumber), 1, 2, 3);
  put(addButton(kObjectNext, ">"), 1, 5);
  put(addButton(kObjectLast, ">|"), 1, 6);

  label("x", 2, 0);
  put(addEdit(kPositionX), 2, 1);
  label("y", 2, 2);
  put(addEdit(kPositionY), 2, 3);
  label("z", 2, 4);
  put(addEdit(kPositionZ), 2, 5);
  put(addButton(kApplyPosition, "<-ок"), 2, 6, 2);

  put(addButton(kObjectCreate, "Создать"), 3, 0, 3);
  put(addButton(kObjectClone, "Клонировать"), 3, 3, 3);
  put(addButton(kObjectDelete, "Удалить"), 3, 6, 2);

  put(addCombo(kPrimitiveList), 4, 0, 5);
  put(addButton(kNormalMode, normalModeLabel(0)), 4, 5, 3);

  label("Сетка", 5, 0, 2);
  put(addEdit(kGridN), 5, 2, 2);
  label("на", 5, 4);
  put(addEdit(kGridM), 5, 5);
  put(addButton(kApplyGrid, "<-ок"), 5, 6, 2);

  label("Материал", 6, 0, 3);
  put(addButton(kMaterialDown, "<"), 6, 3);
  put(addEdit(kMaterialNumber), 6, 4, 2);
  put(addButton(kMaterialUp, ">"), 6, 6);

  label("Текстура", 7, 0, 3);
  put(addButton(kTextureDown, "<"), 7, 3);
  put(addEdit(kTextureNumber), 7, 4, 2);
  put(addButton(kTextureUp, ">"), 7, 6);

  label("альфа", 8, 0, 2);
  put(addCombo(kAlphaList), 8, 2, 6);

  label("cU", 9, 0);
  put(addEdit(kRepeatU), 9, 1, 2);
  label("cV", 9, 3);
  put(addEdit(kRepeatV), 9, 4, 2);
  put(addButton(kApplyRepeat, "<-oк"), 9, 6, 2);

  put(addButton(kAxisX, "[x]"), 10, 0, 2);
  put(addButton(kAxisY, "y"), 10, 2, 2);
  put(addButton(kAxisZ, "z"), 10, 4, 2);
  put(addButton(kAxisCommon, "общий"), 10, 6, 2);

  label("Масштаб", 11, 0, 3);
  put(addTrackbar(kScaleCoarse, 0, 127), 11, 3, 5);
  put(addTrackbar(kScaleFine, 0, 255), 12, 0, 8);
  put(addEdit(kScaleValue), 13, 0, 3);

  put(addButton(kLoadLayer, "Загрузить"), 14, 0, 3);
  put(addButton(kSaveLayer, "Записать"), 14, 3, 3);
  put(addButton(kClearScene, "Стереть"), 14, 6, 2);

  // 1132 is the default button: Enter in any edit presses it.
  for (QLineEdit* edit : page->findChildren<QLineEdit*>())
    connect(edit, &QLineEdit::returnPressed, this, [this] { command(kApplyPosition); });

  // Child controls swallow mouse moves; the dialog watches them to take the focus.
  setMouseTracking(true);
  page->setMouseTracking(true);
  page->installEventFilter(this);
  for (QWidget* child : page->findChildren<QWidget*>()) {
    child->setMouseTracking(true);
    child->installEventFilter(this);
  }

  for (int code = 0; code < kPrimitiveKinds; ++code) addItem(kPrimitiveList, primitiveLabel(code));
  for (int code = 0; code < kAlphaModes; ++code) addItem(kAlphaList, alphaModeLabel(code));
  setSelection(kPrimitiveList, 0);
  setSelection(kAlphaList, 0);
  showScale(currentObjectRecord().scaleX);
  objectRecord(sceneStore.currentScene, 0).normalMode = 0;

  resize(kScenesDialogWidth, kScenesDialogHeight);
  instance = this;
  sceneHooks.refreshScenesDialog = &refreshInstance;
  ui::registerCommandTarget(ui::WindowId::scenes, this);
  refresh();
}

ScenesDialog::~ScenesDialog() {
  if (instance == this) {
    instance = nullptr;
    sceneHooks.refreshScenesDialog = nullptr;
  }
  if (ui::commandTarget(ui::WindowId::scenes) == this) ui::registerCommandTarget(ui::WindowId::scenes, nullptr);
}

QSize ScenesDialog::sizeHint() const { return {kScenesDialogWidth, kScenesDialogHeight}; }

void ScenesDialog::refresh() {
  const SceneObject& o = currentObjectRecord();
  setText(kSceneNumber, number(sceneStore.currentScene));
  setText(kPositionX, number(o.posX));
  setText(kPositionY, number(o.posY));
  setText(kPositionZ, number(o.posZ));
  setText(kGridN, number(o.gridN));
  setText(kGridM, number(o.gridM));
  setText(kRepeatU, number(o.cU));
  setText(kRepeatV, number(o.cV));
  // A code a file brought in beyond the list selects nothing.
  setSelection(kPrimitiveList, o.primitive < kPrimitiveKinds ? o.primitive : -1);
  setSelection(kAlphaList, o.alphaMode < kAlphaModes ? o.alphaMode : -1);
  setText(kObjectNumber, number(currentSceneRecord().currentObject));
  setText(kTextureNumber, number(o.texture));
  setText(kMaterialNumber, number(o.material));
  showScale(scaleField(currentObjectRecord(), scaleAxis_));  // common shows x
  setText(kNormalMode, normalModeLabel(o.normalMode));
}

void ScenesDialog::showScale(int value) {
  const int coarse = value / 256;
  setTrackbarPos(kScaleCoarse, coarse);
  setTrackbarPos(kScaleFine, value - 256 * coarse);
  setText(kScaleValue, number(value));
}

void ScenesDialog::chooseAxis(int axis) {
  scaleAxis_ = axis;
  setText(kAxisX, axis == kScaleAxisX ? "[x]" : "x");
  setText(kAxisY, axis == kScaleAxisY ? "[y]" : "y");
  setText(kAxisZ, axis == kScaleAxisZ ? "[z]" : "z");
  setText(kAxisCommon, axis == kScaleAxisCommon ? "[общий]" : "общий");
  SceneObject& o = currentObjectRecord();
  showScale(axis == kScaleAxisCommon ? (o.scaleX + o.scaleY + o.scaleZ) / 3 : scaleField(o, axis));
}

void ScenesDialog::afterSceneChange() {
  clampSelection();  // the other scene's object may carry fewer modifiers
  refresh();
  refreshModifiersDialog();
  refreshClonesDialog();
  if (render::renderSettingsHooks.refresh) render::renderSettingsHooks.refresh();
  if (render::renderSettingsHooks.redrawSwatch) render::renderSettingsHooks.redrawSwatch();
  notifySelectionChanged();
}

void ScenesDialog::afterObjectMove(bool autoSwitch) {
  refresh();
  selectLastModifier();
  notifySelectionChanged();
  refreshModifiersDialog();
  if (autoSwitch) render::autoSwitchTextureAndMaterial(ui::shellFlags.autoSwitchTextureMaterial);
}

void ScenesDialog::applyPosition() {
  SceneObject& o = currentObjectRecord();
  o.posX = static_cast<std::int16_t>(editInt(kPositionX));
  o.posY = static_cast<std::int16_t>(editInt(kPositionY));
  o.posZ = static_cast<std::int16_t>(editInt(kPositionZ));
  // The boxes show what was stored, also when only the low 16 bits of a number fit.
  setText(kPositionX, number(o.posX));
  setText(kPositionY, number(o.posY));
  setText(kPositionZ, number(o.posZ));
  const render::Camera& eye = render::renderSettings.currentCamera;
  updateObjectMarker(render::viewState.angle, eye.eyeX, eye.eyeY, eye.eyeZ);
  checkpoint();
}

void ScenesDialog::command(int id) {
  SceneStore& s = sceneStore;
  Scene& scene = currentSceneRecord();
  SceneObject& o = currentObjectRecord();
  switch (id) {
    case kScenePrevious:
      if (s.currentScene > 0) --s.currentScene;
      afterSceneChange();
      break;
    case kSceneNext:
      if (s.currentScene < s.sceneCount - 1) ++s.currentScene;
      afterSceneChange();
      break;
    case kSceneCreate:
      newScene();
      afterSceneChange();
      break;
    case kSceneDelete:
      deleteLastScene();
      afterSceneChange();
      break;
    case kScenesFoldFlag:
      ui::toggleFoldFlag(ui::kFocusScenes);
      break;
    case kObjectPrevious:
      if (scene.currentObject == 0) return;
      --scene.currentObject;
      afterObjectMove(true);
      break;
    case kObjectNext:
      if (scene.currentObject + 1 >= scene.objectCount) return;
      ++scene.currentObject;
      afterObjectMove(true);
      break;
    case kObjectFirst:
      scene.currentObject = 0;
      afterObjectMove(false);
      break;
    case kObjectLast:
      scene.currentObject = static_cast<std::uint8_t>(scene.objectCount - 1);
      afterObjectMove(false);
      break;
    case kApplyPosition:
      applyPosition();
      break;
    case kObjectCreate:
    case kObjectClone:
      // A refused edit writes no snapshot: undo would otherwise take a step that changes nothing.
      if (!insertObject(id == kObjectClone)) return;
      refresh();
      refreshModifiersDialog();
      refreshClonesDialog();
      notifySelectionChanged();
      checkpoint();
      break;
    case kObjectDelete:
      if (!deleteCurrentObject()) return;
      refresh();
      refreshModifiersDialog();
      refreshClonesDialog();
      notifySelectionChanged();
      checkpoint();
      render::autoSwitchTextureAndMaterial(ui::shellFlags.autoSwitchTextureMaterial);
      break;
    case kApplyGrid:
      o.gridN = static_cast<std::uint8_t>(editUnsigned(kGridN));
      o.gridM = static_cast<std::uint8_t>(editUnsigned(kGridM));
      setText(kGridN, number(o.gridN));
      setText(kGridM, number(o.gridM));
      checkpoint();
      break;
    case kApplyRepeat:
      o.cU = static_cast<std::uint8_t>(editUnsigned(kRepeatU));
      o.cV = static_cast<std::uint8_t>(editUnsigned(kRepeatV));
      setText(kRepeatU, number(o.cU));
      setText(kRepeatV, number(o.cV));
      checkpoint();
      break;
    case kMaterialDown:
    case kMaterialUp:
      if (id == kMaterialDown && o.material > 0) --o.material;
      if (id == kMaterialUp && o.material < kMaxStepped) ++o.material;
      setText(kMaterialNumber, number(o.material));
      break;
    case kTextureDown:
    case kTextureUp:
      if (id == kTextureDown && o.texture > 0) --o.texture;
      if (id == kTextureUp && o.texture < kMaxStepped) ++o.texture;
      setText(kTextureNumber, number(o.texture));
      break;
    case kNormalMode:
      o.normalMode = static_cast<std::uint8_t>(o.normalMode >= kLastNormalMode ? 0 : o.normalMode + 1);
      setText(kNormalMode, normalModeLabel(o.normalMode));
      break;
    case kAxisX:
    case kAxisY:
    case kAxisZ:
    case kAxisCommon:
      chooseAxis(id - kAxisX);
      break;
    case kLoadLayer:
      loadLayer();
      break;
    case kSaveLayer:
      saveLayer();
      break;
    case kClearScene:
      clearScene();
      break;
    default:
      break;
  }
}

void ScenesDialog::trackbarMoved(int id) {
  if (id != kScaleCoarse && id != kScaleFine) return;
  const int value = trackbarPos(kScaleCoarse) * 256 + trackbarPos(kScaleFine);
  const auto v = static_cast<std::int16_t>(value);
  SceneObject& o = currentObjectRecord();
  if (scaleAxis_ == kScaleAxisCommon) o.scaleX = o.scaleY = o.scaleZ = v;
  else scaleField(o, scaleAxis_) = v;
  setText(kScaleValue, number(value));
}

void ScenesDialog::listChanged(int id) {
  const int index = selection(id);
  if (index < 0) return;
  SceneObject& o = currentObjectRecord();
  if (id == kPrimitiveList) o.primitive = static_cast<std::uint8_t>(index);
  else if (id == kAlphaList) o.alphaMode = static_cast<std::uint8_t>(index);
}

void ScenesDialog::loadLayer() {
  const std::optional<std::string> path = ui::prompts().openFile(kLayerFilter);
  if (path) {
    std::string error;
    if (!loadSceneLayer(*path, &error)) {
      tellFileFailure("Не удалось загрузить сцену", error);
      return;
    }
  } else {
    // Even a cancelled load goes back to the first object.
    currentSceneRecord().currentObject = 0;
    clampSelection();
    refresh();
  }
  // The load made object 0 current after the modifiers dialog was shown the old one.
  notifySelectionChanged();
  refreshModifiersDialog();
}

void ScenesDialog::saveLayer() {
  const std::optional<std::string> chosen = ui::prompts().saveFile(kLayerFilter);
  if (!chosen) return;
  const std::string path = withSceneLayerExtension(*chosen);
  std::string error;
  if (!saveSceneLayer(path, &error)) tellFileFailure("Не удалось записать сцену", error);
}

void ScenesDialog::clearScene() {
  if (ui::prompts().message("Стереть сцену?", "Подтверждение действия", ui::MessageButtons::okCancel,
                            ui::MessageIcon::question) != ui::Answer::ok)
    return;
  clearCurrentScene();
  refresh();
  refreshModifiersDialog();
  notifySelectionChanged();
  checkpoint();
}

bool ScenesDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseMove) ui::takeFocusOnMouseMove(ui::kFocusScenes);
  return Dialog::eventFilter(watched, event);
}

void ScenesDialog::mouseMoveEvent(QMouseEvent* event) {
  ui::takeFocusOnMouseMove(ui::kFocusScenes);
  Dialog::mouseMoveEvent(event);
}

}  // namespace vandrel::scene
