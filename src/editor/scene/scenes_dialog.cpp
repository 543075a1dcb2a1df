#include "editor/scene/scenes_dialog.h"

#include <QComboBox>
#include <QEvent>
#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include <limits>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

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

// The error names the file and says what went wrong.
void tellFileFailure(const std::string& error) {
  ui::prompts().message(error, kTitle, ui::MessageButtons::ok, ui::MessageIcon::error);
}

}  // namespace

ScenesDialog::ScenesDialog(QWidget* parent) : Dialog(parent) {
  setWindowTitle(QString::fromUtf8(kTitle));

  // Rows from the top; boxes that may hold a signed 16-bit number show "-32768"
  // whole, and the lists, edits and trackbars take what their rows leave over.
  QVBoxLayout* rows = rowsFromTop();
  auto row = [rows] { return newRow(rows); };
  // The captions before the number boxes share one width, so the boxes line up.
  auto caption = [this](const char* text) {
    return fixed(new QLabel(QString::fromUtf8(text), this), 0, 0, {"Материал", "Текстура", "Сетка", "альфа"});
  };
  auto button = [this](int id, const char* text, std::vector<std::string> captions = {}) {
    return fixed(addButton(id, text), 0, ui::kLineHeight, std::move(captions));
  };
  auto share = [this](QWidget* w, std::vector<std::string> texts = {}) {
    return stretched(w, 0, ui::kLineHeight, std::move(texts));
  };
  auto number = [this](int id, const char* widest) { return fixed(addEdit(id), 0, ui::kLineHeight, {widest}); };

  QHBoxLayout* r = row();
  r->addWidget(smallButton(kScenePrevious, "<"));
  r->addWidget(number(kSceneNumber, "126"));
  r->addWidget(smallButton(kSceneNext, ">"));
  r->addWidget(button(kSceneCreate, "crt"));
  r->addWidget(button(kSceneDelete, "del"));
  r->addStretch(1);
  r->addWidget(smallButton(kScenesFoldFlag, "/"));

  r = row();
  r->addWidget(smallButton(kObjectFirst, "|<"));
  r->addWidget(smallButton(kObjectPrevious, "<"));
  r->addWidget(number(kObjectNumber, "254"));
  r->addWidget(smallButton(kObjectNext, ">"));
  r->addWidget(smallButton(kObjectLast, ">|"));
  r->addStretch(1);

  r = row();
  for (auto [id, axis] : {std::pair{kPositionX, "x"}, {kPositionY, "y"}, {kPositionZ, "z"}}) {
    r->addWidget(staticText(axis));
    r->addWidget(share(addEdit(id), {"-32768"}), 1);
  }
  r->addWidget(button(kApplyPosition, "<-ок"));

  r = row();
  r->addWidget(share(addButton(kObjectCreate, "Создать")), 1);
  r->addWidget(share(addButton(kObjectClone, "Клонировать")), 1);
  r->addWidget(share(addButton(kObjectDelete, "Удалить")), 1);

  std::vector<std::string> normalModes;
  for (int mode = 0; mode < kNormalModes; ++mode) normalModes.push_back(normalModeLabel(mode));
  rows->addWidget(share(addCombo(kPrimitiveList)));
  r = row();
  r->addWidget(button(kNormalMode, normalModeLabel(0), normalModes));
  r->addStretch(1);

  r = row();
  r->addWidget(caption("Сетка"));
  r->addWidget(number(kGridN, "255"));
  r->addWidget(staticText("на"));
  r->addWidget(number(kGridM, "255"));
  r->addStretch(1);
  r->addWidget(button(kApplyGrid, "<-ок"));

  for (auto [text, down, shown, up] : {std::tuple{"Материал", kMaterialDown, kMaterialNumber, kMaterialUp},
                                       {"Текстура", kTextureDown, kTextureNumber, kTextureUp}}) {
    r = row();
    r->addWidget(caption(text));
    r->addWidget(smallButton(down, "<"));
    r->addWidget(number(shown, "255"));
    r->addWidget(smallButton(up, ">"));
    r->addStretch(1);
  }

  r = row();
  r->addWidget(caption("альфа"));
  r->addWidget(share(addCombo(kAlphaList)), 1);

  r = row();
  r->addWidget(staticText("cU"));
  r->addWidget(number(kRepeatU, "255"));
  r->addWidget(staticText("cV"));
  r->addWidget(number(kRepeatV, "255"));
  r->addStretch(1);
  r->addWidget(button(kApplyRepeat, "<-oк"));

  // Each axis button fits its caption in brackets, as it shows when chosen.
  r = row();
  for (auto [id, text, chosen] : {std::tuple{kAxisX, "[x]", "[x]"}, {kAxisY, "y", "[y]"}, {kAxisZ, "z", "[z]"},
                                  {kAxisCommon, "общий", "[общий]"}})
    r->addWidget(share(addButton(id, text), {chosen}), 1);

  r = row();
  r->addWidget(staticText("Масштаб"));
  r->addWidget(stretched(addTrackbar(kScaleCoarse, 0, 127), 0, 0), 1);
  rows->addWidget(stretched(addTrackbar(kScaleFine, 0, 255), 0, 0));
  r = row();
  r->addWidget(number(kScaleValue, "-32768"));
  r->addStretch(1);

  rows->addStretch(1);
  r = row();
  r->addWidget(share(addButton(kLoadLayer, "Загрузить")), 1);
  r->addWidget(share(addButton(kSaveLayer, "Записать")), 1);
  r->addWidget(share(addButton(kClearScene, "Стереть")), 1);

  // 1132 is the default button: Enter in any edit presses it.
  for (QLineEdit* edit : findChildren<QLineEdit*>())
    connect(edit, &QLineEdit::returnPressed, this, [this] { command(kApplyPosition); });

  // Child controls swallow mouse moves; the dialog watches them to take the focus.
  setMouseTracking(true);
  for (QWidget* child : findChildren<QWidget*>()) {
    child->setMouseTracking(true);
    child->installEventFilter(this);
  }

  for (int code = 0; code < kPrimitiveKinds; ++code) addItem(kPrimitiveList, primitiveLabel(code));
  for (int code = 0; code < kAlphaModes; ++code) addItem(kAlphaList, alphaModeLabel(code));
  setSelection(kPrimitiveList, 0);
  setSelection(kAlphaList, 0);
  showScale(currentObjectRecord().scaleX);
  objectRecord(sceneStore.currentScene, 0).normalMode = 0;

  setUnitSize(kScenesDialogWidth, kScenesDialogHeight);
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

namespace {

// A box is taken only when it holds a number the field can store; the boxes then
// show what is stored, so a refused text gives way to the old value.
template <typename Field>
bool takeNumber(const ui::Dialog& d, int id, Field& field) {
  const std::optional<int> v =
      d.editNumber(id, std::numeric_limits<Field>::min(), std::numeric_limits<Field>::max());
  if (!v || *v == field) return false;
  field = static_cast<Field>(*v);
  return true;
}

}  // namespace

void ScenesDialog::applyPosition() {
  SceneObject& o = currentObjectRecord();
  const bool moved = takeNumber(*this, kPositionX, o.posX) | takeNumber(*this, kPositionY, o.posY) |
                     takeNumber(*this, kPositionZ, o.posZ);
  setText(kPositionX, number(o.posX));
  setText(kPositionY, number(o.posY));
  setText(kPositionZ, number(o.posZ));
  if (!moved) return;
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
    case kApplyGrid: {
      const bool changed = takeNumber(*this, kGridN, o.gridN) | takeNumber(*this, kGridM, o.gridM);
      setText(kGridN, number(o.gridN));
      setText(kGridM, number(o.gridM));
      if (changed) checkpoint();
      break;
    }
    case kApplyRepeat: {
      const bool changed = takeNumber(*this, kRepeatU, o.cU) | takeNumber(*this, kRepeatV, o.cV);
      setText(kRepeatU, number(o.cU));
      setText(kRepeatV, number(o.cV));
      if (changed) checkpoint();
      break;
    }
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
      tellFileFailure(error);
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
  if (!saveSceneLayer(path, &error)) tellFileFailure(error);
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
