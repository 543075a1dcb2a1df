#include "editor/scene/scenes_dialog.h"

#include <QComboBox>
#include <QEvent>
#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "pack/document.h"
#include "platform/ui/prompts.h"
#include "platform/ui/tool_windows.h"
#include "render/render_settings.h"
#include "render/view_navigation.h"
#include "scene/catalogues.h"
#include "scene/scene_edits.h"
#include "scene/scene_hooks.h"
#include "scene/scene_store.h"
#include "scene/vsl_file.h"

namespace vandrel::scene {

namespace {

const ui::FileFilter kLayerFilter{"Vandrel scene layer", "*.vsl"};
constexpr const char* kTitle = "Сцены и объекты";

std::string number(int value) { return std::to_string(value); }

// What the fields behind the boxes hold: signed 16-bit positions, bytes for the
// grid and the repeats; the scale as far as its two trackbars reach.
constexpr ui::NumberRange kPositionRange{std::numeric_limits<std::int16_t>::min(),
                                         std::numeric_limits<std::int16_t>::max()};
constexpr ui::NumberRange kByteRange{0, std::numeric_limits<std::uint8_t>::max()};
constexpr int kScaleCoarseTop = 127;
constexpr int kScaleFineTop = 255;
constexpr int kScaleTop = kScaleCoarseTop * 256 + kScaleFineTop;

// What the scene edits leave to the windows around: the fog of the new scene, the
// object marker of a moved object, the editors following the current object.
void showSceneFog() {
  if (render::renderSettingsHooks.refresh) render::renderSettingsHooks.refresh();
  if (render::renderSettingsHooks.redrawSwatch) render::renderSettingsHooks.redrawSwatch();
}

void moveObjectMarker() {
  const render::Camera& eye = render::renderSettings.currentCamera;
  updateObjectMarker(render::viewState.angle, eye.eyeX, eye.eyeY, eye.eyeZ);
}

void switchEditorsToObject() { render::autoSwitchTextureAndMaterial(ui::shellFlags.autoSwitchTextureMaterial); }

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
  // A number typed into a box of its own is taken as its steppers would take it.
  auto number = [this](int id, const char* caption, std::function<ui::NumberRange()> range,
                       std::function<void(int)> take, const char* widest) {
    return fixed(addNumberBox(id, caption, std::move(range), std::move(take)), 0, ui::kLineHeight, {widest});
  };
  auto applied = [this](int id, const char* caption, int apply) {
    return fixed(addAppliedBox(id, caption, kByteRange, apply), 0, ui::kLineHeight, {"255"});
  };

  QHBoxLayout* r = row();
  r->addWidget(smallButton(kScenePrevious, "<"));
  r->addWidget(number(
      kSceneNumber, "Сцена", [] { return ui::NumberRange{0, sceneStore.sceneCount - 1}; }, selectScene, "126"));
  r->addWidget(smallButton(kSceneNext, ">"));
  r->addWidget(button(kSceneCreate, "crt"));
  r->addWidget(button(kSceneDelete, "del"));
  setTip(kSceneCreate, "Создать новую сцену");
  setTip(kSceneDelete, "Удалить последнюю сцену");
  r->addStretch(1);
  r->addWidget(foldButton(kScenesFoldFlag));

  r = row();
  r->addWidget(smallButton(kObjectFirst, "|<"));
  r->addWidget(smallButton(kObjectPrevious, "<"));
  r->addWidget(number(
      kObjectNumber, "Объект", [] { return ui::NumberRange{0, currentSceneRecord().objectCount - 1}; }, selectObject,
      "254"));
  r->addWidget(smallButton(kObjectNext, ">"));
  r->addWidget(smallButton(kObjectLast, ">|"));
  r->addStretch(1);

  r = row();
  for (auto [id, axis] : {std::pair{kPositionX, "x"}, {kPositionY, "y"}, {kPositionZ, "z"}}) {
    r->addWidget(staticText(axis));
    r->addWidget(share(addAppliedBox(id, axis, kPositionRange, kApplyPosition), {"-32768"}), 1);
  }
  r->addWidget(button(kApplyPosition, "<-ок"));
  setTip(kApplyPosition, "Поставить объект в положение x, y, z");

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
  r->addWidget(applied(kGridN, "Сетка", kApplyGrid));
  r->addWidget(staticText("на"));
  r->addWidget(applied(kGridM, "Сетка", kApplyGrid));
  r->addStretch(1);
  r->addWidget(button(kApplyGrid, "<-ок"));
  setTip(kApplyGrid, "Задать объекту сетку из этих чисел");

  for (auto [text, down, shown, up, take] :
       {std::tuple{"Материал", kMaterialDown, kMaterialNumber, kMaterialUp, &setMaterialNumber},
        {"Текстура", kTextureDown, kTextureNumber, kTextureUp, &setTextureNumber}}) {
    r = row();
    r->addWidget(caption(text));
    r->addWidget(smallButton(down, "<"));
    r->addWidget(number(shown, text, [] { return kByteRange; }, take, "255"));
    r->addWidget(smallButton(up, ">"));
    r->addStretch(1);
  }

  r = row();
  r->addWidget(caption("альфа"));
  r->addWidget(share(addCombo(kAlphaList)), 1);

  r = row();
  r->addWidget(staticText("cU"));
  r->addWidget(applied(kRepeatU, "cU", kApplyRepeat));
  r->addWidget(staticText("cV"));
  r->addWidget(applied(kRepeatV, "cV", kApplyRepeat));
  r->addStretch(1);
  r->addWidget(button(kApplyRepeat, "<-oк"));
  setTip(kApplyRepeat, "Задать повторы текстуры cU и cV");

  // Each axis button fits its caption in brackets, as it shows when chosen.
  r = row();
  for (auto [id, text, chosen] : {std::tuple{kAxisX, "[x]", "[x]"}, {kAxisY, "y", "[y]"}, {kAxisZ, "z", "[z]"},
                                  {kAxisCommon, "общий", "[общий]"}})
    r->addWidget(share(addButton(id, text), {chosen}), 1);
  setTip(kAxisX, "Масштаб по оси x: его показывают и меняют ползунки");
  setTip(kAxisY, "Масштаб по оси y: его показывают и меняют ползунки");
  setTip(kAxisZ, "Масштаб по оси z: его показывают и меняют ползунки");
  setTip(kAxisCommon, "Общий масштаб: ползунки ставят все три оси сразу");

  r = row();
  r->addWidget(staticText("Масштаб"));
  r->addWidget(stretched(addTrackbar(kScaleCoarse, 0, kScaleCoarseTop), 0, 0), 1);
  rows->addWidget(stretched(addTrackbar(kScaleFine, 0, kScaleFineTop), 0, 0));
  r = row();
  // A typed size moves the two trackbars to it, as a drag would.
  r->addWidget(fixed(addNumberBox(kScaleValue, "Масштаб", {0, kScaleTop},
                                  [this](int value) {
                                    const ScaleTrackbars t = scaleTrackbarsOf(value);
                                    setTrackbarPos(kScaleCoarse, t.coarse);
                                    setTrackbarPos(kScaleFine, t.fine);
                                    trackbarMoved(kScaleCoarse);
                                  }),
                     0, ui::kLineHeight, {"-32768"}));
  r->addStretch(1);

  rows->addStretch(1);
  r = row();
  r->addWidget(share(addButton(kLoadLayer, "Загрузить")), 1);
  r->addWidget(share(addButton(kSaveLayer, "Записать")), 1);
  r->addWidget(share(addButton(kClearScene, "Стереть")), 1);

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
  showScale(axisScale(kScaleAxisX));
  resetFirstNormalMode();

  setUnitSize(kScenesDialogWidth, kScenesDialogHeight);
  sceneHooks.refreshScenesDialog.set(this, [this] { refresh(); });
  sceneHooks.sceneSwitched.set(this, showSceneFog);
  sceneHooks.objectMoved.set(this, moveObjectMarker);
  sceneHooks.objectSwitched.set(this, switchEditorsToObject);
  pack::addDocumentListener(this, [this] { refresh(); });
  ui::registerCommandTarget(ui::WindowId::scenes, this);
  refresh();
}

ScenesDialog::~ScenesDialog() {
  sceneHooks.refreshScenesDialog.clear(this);
  sceneHooks.sceneSwitched.clear(this);
  sceneHooks.objectMoved.clear(this);
  sceneHooks.objectSwitched.clear(this);
  pack::removeDocumentListener(this);
  if (ui::commandTarget(ui::WindowId::scenes) == this) ui::registerCommandTarget(ui::WindowId::scenes, nullptr);
}

void ScenesDialog::refresh() {
  const SceneObject& o = currentObjectRecord();
  setText(kSceneNumber, number(sceneStore.currentScene));
  showPosition();
  showGrid();
  showRepeat();
  // A code a file brought in beyond the list selects nothing.
  setSelection(kPrimitiveList, o.primitive < kPrimitiveKinds ? o.primitive : -1);
  setSelection(kAlphaList, o.alphaMode < kAlphaModes ? o.alphaMode : -1);
  setText(kObjectNumber, number(currentSceneRecord().currentObject));
  setText(kTextureNumber, number(o.texture));
  setText(kMaterialNumber, number(o.material));
  showScale(axisScale(scaleAxis_));
  setText(kNormalMode, normalModeLabel(o.normalMode));
}

// The boxes of one command show what is stored after it, so a refused text gives
// way to the old value; the other boxes keep what the user typed into them.
void ScenesDialog::showPosition() {
  const SceneObject& o = currentObjectRecord();
  setText(kPositionX, number(o.posX));
  setText(kPositionY, number(o.posY));
  setText(kPositionZ, number(o.posZ));
}

void ScenesDialog::showGrid() {
  setText(kGridN, number(currentObjectRecord().gridN));
  setText(kGridM, number(currentObjectRecord().gridM));
}

void ScenesDialog::showRepeat() {
  setText(kRepeatU, number(currentObjectRecord().cU));
  setText(kRepeatV, number(currentObjectRecord().cV));
}

void ScenesDialog::showScale(int value) {
  const ScaleTrackbars t = scaleTrackbarsOf(value);
  setTrackbarPos(kScaleCoarse, t.coarse);
  setTrackbarPos(kScaleFine, t.fine);
  setText(kScaleValue, number(value));
}

void ScenesDialog::chooseAxis(int axis) {
  scaleAxis_ = axis;
  setText(kAxisX, axis == kScaleAxisX ? "[x]" : "x");
  setText(kAxisY, axis == kScaleAxisY ? "[y]" : "y");
  setText(kAxisZ, axis == kScaleAxisZ ? "[z]" : "z");
  setText(kAxisCommon, axis == kScaleAxisCommon ? "[общий]" : "общий");
  showScale(axis == kScaleAxisCommon ? meanScale() : axisScale(axis));
}

void ScenesDialog::command(int id) {
  switch (id) {
    case kScenePrevious: stepScene(-1); break;
    case kSceneNext: stepScene(1); break;
    case kSceneCreate: createScene(); break;
    case kSceneDelete: deleteScene(); break;
    case kScenesFoldFlag: ui::toggleFoldFlag(ui::kFocusScenes); break;
    case kObjectPrevious: stepObject(-1); break;
    case kObjectNext: stepObject(1); break;
    case kObjectFirst: firstObject(); break;
    case kObjectLast: lastObject(); break;
    case kObjectCreate: createObject(); break;
    case kObjectClone: cloneObject(); break;
    case kObjectDelete: deleteObject(); break;
    case kApplyPosition: {
      const auto typed = boxNumbers({kPositionX, kPositionY, kPositionZ});
      applyPosition(typed[0], typed[1], typed[2]);
      showPosition();
      break;
    }
    case kApplyGrid: {
      const auto typed = boxNumbers({kGridN, kGridM});
      applyGrid(typed[0], typed[1]);
      showGrid();
      break;
    }
    case kApplyRepeat: {
      const auto typed = boxNumbers({kRepeatU, kRepeatV});
      applyRepeat(typed[0], typed[1]);
      showRepeat();
      break;
    }
    case kMaterialDown:
    case kMaterialUp:
      stepMaterial(id == kMaterialUp ? 1 : -1);
      setText(kMaterialNumber, number(currentObjectRecord().material));
      break;
    case kTextureDown:
    case kTextureUp:
      stepTexture(id == kTextureUp ? 1 : -1);
      setText(kTextureNumber, number(currentObjectRecord().texture));
      break;
    case kNormalMode:
      cycleNormalMode();
      setText(kNormalMode, normalModeLabel(currentObjectRecord().normalMode));
      break;
    case kAxisX:
    case kAxisY:
    case kAxisZ:
    case kAxisCommon: chooseAxis(id - kAxisX); break;
    case kLoadLayer: loadLayer(); break;
    case kSaveLayer: saveLayer(); break;
    case kClearScene: eraseSceneAfterAsking(); break;
    default: break;
  }
}

void ScenesDialog::trackbarMoved(int id) {
  if (id != kScaleCoarse && id != kScaleFine) return;
  storeScaleTrackbars(scaleAxis_, {trackbarPos(kScaleCoarse), trackbarPos(kScaleFine)});
  showScale(axisScale(scaleAxis_));
}

void ScenesDialog::listChanged(int id) {
  if (id == kPrimitiveList) setPrimitive(selection(id));
  else if (id == kAlphaList) setAlphaMode(selection(id));
}

void ScenesDialog::loadLayer() {
  std::string error;
  if (!scene::loadLayer(ui::prompts().openFile(kLayerFilter), &error)) tellFileFailure(error);
}

void ScenesDialog::saveLayer() {
  const std::optional<std::string> chosen = ui::prompts().saveFile(kLayerFilter);
  if (!chosen) return;
  std::string error;
  if (!saveSceneLayer(withSceneLayerExtension(*chosen), &error)) tellFileFailure(error);
}

void eraseSceneAfterAsking() {
  if (ui::prompts().message("Стереть сцену?", "Подтверждение действия", ui::MessageButtons::okCancel,
                            ui::MessageIcon::question) == ui::Answer::ok)
    eraseScene();
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
