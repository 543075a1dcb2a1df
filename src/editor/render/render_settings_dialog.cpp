#include "editor/render/render_settings_dialog.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include <string>
#include <tuple>
#include <utility>

#include "pack/document.h"
#include "platform/os/status_line.h"
#include "platform/os/text_numbers.h"
#include "platform/ui/cursors.h"
#include "platform/ui/prompts.h"
#include "platform/ui/swatch.h"
#include "platform/ui/tool_windows.h"
#include "render/device_setup.h"
#include "render/frame.h"
#include "render/render_settings.h"
#include "scene/scene_store.h"

namespace vandrel::render {

namespace {

// In dialog units.
constexpr int kWidth = 124;
constexpr int kHeight = 142;
constexpr int kSwatchWidth = 30;
constexpr int kSwatchHeight = 9;

const char* const kTitle = "Установки рендерера";
const char* const kCameraCaption = "№";
const ui::FileFilter kSettingsFilter{"Vandrel render settings", "*.vrs"};
constexpr int kRenderTargetSizes[] = {32, 64, 128, 256, 512};


void renderAndShow() {
  renderFrame();
  ui::showNowRegistered();
}

// While a fly draws, what the user does meanwhile is dropped instead of waiting
// behind it (ten quick clicks on "->" would fly ten times, one after another);
// Escape alone counts, and lands the fly at once.
class FlyInput : public QObject {
 public:
  FlyInput() { QCoreApplication::instance()->installEventFilter(this); }

  // Takes in what arrived since the last frame; true once Escape was pressed.
  bool escapePressed() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return escape_;
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (!isInput(event->type())) return false;
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
      escape_ = true;
    return true;
  }

 private:
  static bool isInput(QEvent::Type type) {
    switch (type) {
      case QEvent::MouseButtonPress: case QEvent::MouseButtonRelease: case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove: case QEvent::Wheel: case QEvent::ContextMenu:
      case QEvent::NonClientAreaMouseButtonPress: case QEvent::NonClientAreaMouseButtonRelease:
      case QEvent::NonClientAreaMouseButtonDblClick: case QEvent::NonClientAreaMouseMove:
      case QEvent::KeyPress: case QEvent::KeyRelease: case QEvent::ShortcutOverride: case QEvent::Shortcut:
      case QEvent::TouchBegin: case QEvent::TouchUpdate: case QEvent::TouchEnd: case QEvent::TouchCancel:
      case QEvent::TabletPress: case QEvent::TabletMove: case QEvent::TabletRelease:
      case QEvent::Close:  // the window manager's close button, too
        return true;
      default: return false;
    }
  }

  bool escape_ = false;
};

}  // namespace

RenderSettingsDialog::RenderSettingsDialog(QWidget* parent) : Dialog(parent) {
  setWindowTitle(QString::fromUtf8(kTitle));
  // Rows from the top, the fog and the camera in groups; the trackbars take what
  // their rows leave over.
  QVBoxLayout* rows = rowsFromTop();
  auto group = [this, rows](const char* title) {
    auto* box = new QGroupBox(QString::fromUtf8(title), this);
    auto* inside = new QVBoxLayout(box);
    spaceInUnits(inside, ui::kGap, ui::kGap);
    rows->addWidget(box);
    return inside;
  };
  auto row = [](QVBoxLayout* into) { return newRow(into); };
  // The captions before single trackbars and the list share one width, so those line up.
  auto caption = [this](const char* text) {
    return fixed(staticText(text), 0, 0, {"start", "end", "кач-во", "зум", "RTsize"});
  };
  auto share = [this](QWidget* w) { return stretched(w, 0, ui::kLineHeight); };
  auto bar = [this](int id, int minimum = 0) { return stretched(addTrackbar(id, minimum, 255), 0, 0); };

  QVBoxLayout* fog = group("Туман");
  QHBoxLayout* r = row(fog);
  r->addWidget(staticText("цвет (rgb)"));
  r->addStretch(1);
  r->addWidget(fixed(addSwatch(kFogSwatch), kSwatchWidth, kSwatchHeight));
  r = row(fog);
  for (int id : {kFogRed, kFogGreen, kFogBlue}) r->addWidget(bar(id), 1);
  for (auto [text, id] : {std::pair{"start", kFogStart}, {"end", kFogEnd}}) {
    r = row(fog);
    r->addWidget(caption(text));
    r->addWidget(bar(id), 1);
  }

  r = row(group("Камера"));
  r->addWidget(staticText(kCameraCaption));
  QLineEdit* number = fixed(addEdit(kCameraNumber), 0, ui::kLineHeight, {"254"});
  r->addWidget(number);
  r->addWidget(smallButton(kPreviousCamera, "<"));
  r->addWidget(smallButton(kNextCamera, ">"));
  r->addStretch(1);
  r->addWidget(fixed(addButton(kTakeCamera, "взять"), 0, ui::kLineHeight));
  r->addWidget(fixed(addButton(kFly, "->"), ui::kSmallButton, ui::kLineHeight));
  connect(number, &QLineEdit::editingFinished, this, [this] { cameraNumberFinished(); });
  // A step loads the entry over the view on the screen and "взять" overwrites the
  // entry: the order of the two matters, and the buttons alone do not tell it.
  for (auto [id, tip] : {std::pair{kPreviousCamera, "Предыдущая камера: её вид из списка заменяет текущий вид"},
                         {kNextCamera, "Следующая камера: её вид из списка заменяет текущий вид"},
                         {kTakeCamera, "Сохранить текущий вид в камеру с номером из поля №. Сначала выберите "
                                       "номер, затем настройте вид: шаг «<» или «>» загружает камеру поверх вида"},
                         {kFly, "Пролёт от камеры № к следующей; Esc завершает его сразу"}})
    control(id)->setToolTip(QString::fromUtf8(tip));

  for (auto [text, id, minimum] : {std::tuple{"кач-во", kQuality, 0}, {"зум", kZoom, 1}}) {
    r = row(rows);
    r->addWidget(caption(text));
    r->addWidget(bar(id, minimum), 1);
  }
  r = row(rows);
  r->addWidget(caption("RTsize"));
  r->addWidget(share(addCombo(kRenderTargetSize)), 1);
  for (int size : kRenderTargetSizes) addItem(kRenderTargetSize, std::to_string(size));
  rows->addStretch(1);
  r = row(rows);
  r->addWidget(share(addButton(kLoad, "Загрузить")), 1);
  r->addWidget(share(addButton(kSave, "Сохранить")), 1);
  r->addWidget(foldButton(kFold));

  // The quality and the size are not part of the refresh: they start from the data.
  setTrackbarPos(kQuality, renderSettings.quality);
  for (int i = 0; i < itemCount(kRenderTargetSize); ++i)
    if (kRenderTargetSizes[i] == renderSettings.renderTargetSize) setSelection(kRenderTargetSize, i);

  // Child controls swallow mouse moves; the dialog watches them to take the focus.
  setMouseTracking(true);
  for (QWidget* child : findChildren<QWidget*>()) {
    child->setMouseTracking(true);
    child->installEventFilter(this);
  }

  renderSettingsHooks.refresh.set(this, [this] { refresh(); });
  renderSettingsHooks.redrawSwatch.set(this, [this] { redrawSwatch(); });
  pack::addDocumentListener(this, [this] { refresh(); });
  ui::registerCommandTarget(ui::WindowId::renderSettings, this);
  refresh();
  setUnitSize(kWidth, kHeight);
}

RenderSettingsDialog::~RenderSettingsDialog() {
  // Closing takes the focus from the edit, which would report to a dialog half gone.
  disconnect(static_cast<QLineEdit*>(control(kCameraNumber)), &QLineEdit::editingFinished, this, nullptr);
  renderSettingsHooks.refresh.clear(this);
  renderSettingsHooks.redrawSwatch.clear(this);
  pack::removeDocumentListener(this);
  if (ui::commandTarget(ui::WindowId::renderSettings) == this)
    ui::registerCommandTarget(ui::WindowId::renderSettings, nullptr);
}

void RenderSettingsDialog::command(int id) {
  switch (id) {
    case kFogSwatch: chooseFogColour(); break;
    case kPreviousCamera:
    case kNextCamera:
      id == kNextCamera ? nextCamera() : previousCamera();
      os::tellStatus("камера " + std::to_string(renderSettings.currentCameraNumber) + " загружена");
      break;
    case kTakeCamera:
      takeCamera();
      os::tellStatus("вид сохранён в камеру " + std::to_string(renderSettings.currentCameraNumber));
      break;
    // Each frame of the fly is shown as it is drawn; at the last entry there is
    // nothing to fly to and nothing happens.
    case kFly: {
      FlyInput input;
      cameraFly(renderAndShow, [&input] { return input.escapePressed(); });
      break;
    }
    case kLoad: load(); break;
    case kSave: save(); break;
    default: break;
  }
}

void RenderSettingsDialog::trackbarMoved(int) {
  storeTrackbars({trackbarPos(kFogRed), trackbarPos(kFogGreen), trackbarPos(kFogBlue), trackbarPos(kFogStart),
                  trackbarPos(kFogEnd), trackbarPos(kZoom), trackbarPos(kQuality)});
}

void RenderSettingsDialog::listChanged(int id) {
  const int chosen = selection(kRenderTargetSize);
  if (id == kRenderTargetSize && chosen >= 0) chooseRenderTargetSize(kRenderTargetSizes[chosen]);
}

void RenderSettingsDialog::refresh() {
  const scene::Scene& s = scene::currentSceneRecord();
  setTrackbarPos(kFogRed, s.fogRed);
  setTrackbarPos(kFogGreen, s.fogGreen);
  setTrackbarPos(kFogBlue, s.fogBlue);
  setTrackbarPos(kFogStart, s.fogStart);
  setTrackbarPos(kFogEnd, s.fogEnd);
  setTrackbarPos(kZoom, os::truncToInt32(renderSettings.currentCamera.zoom * 64));
  setText(kCameraNumber, std::to_string(renderSettings.currentCameraNumber));
  // The swatch keeps its colour until told otherwise, so a refresh from outside
  // (a pack loaded, another scene chosen) must not leave it stale.
  redrawSwatch();
}

void RenderSettingsDialog::redrawSwatch() {
  setSwatchColour(kFogSwatch, fogColour());
}

bool RenderSettingsDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseMove) mouseMoved();
  return Dialog::eventFilter(watched, event);
}

void RenderSettingsDialog::mouseMoveEvent(QMouseEvent* event) {
  mouseMoved();
  Dialog::mouseMoveEvent(event);
}

void RenderSettingsDialog::mouseMoved() {
  redrawSwatch();
  ui::takeFocusOnMouseMove(ui::kFocusRenderSettings);
}

void RenderSettingsDialog::cameraNumberFinished() {
  const std::optional<int> typed = editNumber(kCameraNumber, 0, kLastCamera);
  typeCameraNumber(typed);  // a refused entry gives way to the stored number
  if (!typed) os::tellStatus(std::string(kCameraCaption) + ": число от 0 до " + std::to_string(kLastCamera));
}

void RenderSettingsDialog::chooseFogColour() {
  if (const auto chosen = ui::prompts().chooseColour(fogColour())) setFogColour(*chosen);
}

void RenderSettingsDialog::load() {
  const auto path = ui::prompts().openFile(kSettingsFilter);
  if (!path) return;
  std::string error;
  if (!loadRenderSettingsFile(*path, &error))
    ui::prompts().message(error, kTitle, ui::MessageButtons::ok,
                          ui::MessageIcon::error);
}

void RenderSettingsDialog::save() {
  const auto path = ui::prompts().saveFile(kSettingsFilter);
  if (!path) return;
  std::string error;
  if (!saveRenderSettingsFile(*path, &error))
    ui::prompts().message(error, kTitle, ui::MessageButtons::ok,
                          ui::MessageIcon::error);
}

}  // namespace vandrel::render
