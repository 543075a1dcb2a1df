#include "render/render_settings_dialog.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

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

// 124 x 142 dialog units at 1.5 and 1.625 pixels a unit.
constexpr int kWidth = 186;
constexpr int kHeight = 231;
constexpr int kColumns = 12;

const char* const kTitle = "Установки рендерера";
const ui::FileFilter kSettingsFilter{"Vandrel render settings", "*.vrs"};
constexpr int kRenderTargetSizes[] = {32, 64, 128, 256, 512};

// The hooks reach the one settings dialog there is.
RenderSettingsDialog* settingsDialog = nullptr;
void refreshHook() {
  if (settingsDialog) settingsDialog->refresh();
}
void redrawHook() {
  if (settingsDialog) settingsDialog->redrawSwatch();
}

// Cells of equal size that share out exactly the space they are given, as a
// dialog template places its controls, whatever the controls would like to be.
QGridLayout* evenGrid(QWidget* owner, int rows) {
  auto* grid = new QGridLayout(owner);
  grid->setSizeConstraint(QLayout::SetNoConstraint);
  grid->setContentsMargins(4, 4, 4, 4);
  grid->setSpacing(2);
  for (int r = 0; r < rows; ++r) grid->setRowStretch(r, 1);
  for (int c = 0; c < kColumns; ++c) grid->setColumnStretch(c, 1);
  return grid;
}

void put(QGridLayout* grid, QWidget* w, int row, int column, int rowSpan, int columnSpan) {
  w->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  grid->addWidget(w, row, column, rowSpan, columnSpan);
}

// The swatch's pixel value, also the chooser's starting colour.
std::uint32_t fogPixel(const scene::Scene& s) {
  return static_cast<std::uint32_t>(s.fogRed * 65536 + s.fogGreen * 256 + s.fogBlue);
}

QLabel* label(const char* text) { return new QLabel(QString::fromUtf8(text)); }

void renderAndShow() {
  renderFrame();
  ui::showNowRegistered();
}

}  // namespace

RenderSettingsDialog::RenderSettingsDialog(QWidget* parent) : Dialog(parent) {
  setWindowTitle(QString::fromUtf8(kTitle));
  QGridLayout* grid = evenGrid(this, 12);

  auto* fog = new QGroupBox(QStringLiteral("Туман"), this);
  QGridLayout* fogGrid = evenGrid(fog, 4);
  put(fogGrid, label("цвет (rgb)"), 0, 0, 1, 9);
  put(fogGrid, addSwatch(kFogSwatch), 0, 9, 2, 3);
  put(fogGrid, addTrackbar(kFogRed), 1, 0, 1, 3);
  put(fogGrid, addTrackbar(kFogGreen), 1, 3, 1, 3);
  put(fogGrid, addTrackbar(kFogBlue), 1, 6, 1, 3);
  put(fogGrid, label("start"), 2, 0, 1, 3);
  put(fogGrid, addTrackbar(kFogStart), 2, 3, 1, 9);
  put(fogGrid, label("end"), 3, 0, 1, 3);
  put(fogGrid, addTrackbar(kFogEnd), 3, 3, 1, 9);
  put(grid, fog, 0, 0, 5, kColumns);

  auto* camera = new QGroupBox(QStringLiteral("Камера"), this);
  QGridLayout* cameraGrid = evenGrid(camera, 2);
  put(cameraGrid, label("№"), 0, 0, 1, 2);
  QLineEdit* number = addEdit(kCameraNumber);
  put(cameraGrid, number, 0, 2, 1, 4);
  put(cameraGrid, addButton(kPreviousCamera, "<"), 0, 6, 1, 3);
  put(cameraGrid, addButton(kNextCamera, ">"), 0, 9, 1, 3);
  put(cameraGrid, addButton(kTakeCamera, "взять"), 1, 0, 1, 6);
  put(cameraGrid, addButton(kFly, "->"), 1, 6, 1, 6);
  put(grid, camera, 5, 0, 3, kColumns);
  connect(number, &QLineEdit::editingFinished, this, [this] { cameraNumberFinished(); });

  put(grid, label("кач-во"), 8, 0, 1, 4);
  put(grid, addTrackbar(kQuality), 8, 4, 1, 8);
  put(grid, label("зум"), 9, 0, 1, 4);
  put(grid, addTrackbar(kZoom, 1, 255), 9, 4, 1, 8);
  put(grid, label("RTsize"), 10, 0, 1, 4);
  put(grid, addCombo(kRenderTargetSize), 10, 4, 1, 8);
  for (int size : kRenderTargetSizes) addItem(kRenderTargetSize, std::to_string(size));
  put(grid, addButton(kLoad, "Загрузить"), 11, 0, 1, 5);
  put(grid, addButton(kSave, "Сохранить"), 11, 5, 1, 5);
  put(grid, addButton(kFold, "/"), 11, 10, 1, 2);

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

  settingsDialog = this;
  renderSettingsHooks.refresh = refreshHook;
  renderSettingsHooks.redrawSwatch = redrawHook;
  ui::registerCommandTarget(ui::WindowId::renderSettings, this);
  refresh();
  resize(kWidth, kHeight);
}

RenderSettingsDialog::~RenderSettingsDialog() {
  // Closing takes the focus from the edit, which would report to a dialog half gone.
  disconnect(static_cast<QLineEdit*>(control(kCameraNumber)), &QLineEdit::editingFinished, this, nullptr);
  if (settingsDialog == this) {
    settingsDialog = nullptr;
    renderSettingsHooks = {};
  }
  if (ui::commandTarget(ui::WindowId::renderSettings) == this)
    ui::registerCommandTarget(ui::WindowId::renderSettings, nullptr);
}

QSize RenderSettingsDialog::sizeHint() const { return {kWidth, kHeight}; }

void RenderSettingsDialog::command(int id) {
  switch (id) {
    case kFogSwatch: chooseFogColour(); break;
    case kPreviousCamera: previousCamera(); break;
    case kNextCamera: nextCamera(); break;
    case kTakeCamera: takeCamera(); break;
    // Each frame of the fly is shown as it is drawn; at the last entry there is
    // nothing to fly to and nothing happens.
    case kFly: cameraFly(renderAndShow); break;
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
  if (id != kRenderTargetSize || chosen < 0) return;
  const int size = kRenderTargetSizes[chosen];
  if (size == renderSettings.renderTargetSize) return;
  renderSettings.renderTargetSize = size;
  recreateRenderTargetTexture(size);
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
  setSwatchColour(kFogSwatch, fogPixel(scene::currentSceneRecord()));
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

// A typed camera number is taken when it names a list entry (nothing is loaded:
// "взять" then stores the view there); anything else is refused and the edit
// shows the stored number again.
void RenderSettingsDialog::cameraNumberFinished() {
  bool ok = false;
  const int n = editInt(kCameraNumber, &ok);
  if (ok && n >= 0 && n <= kLastCamera) renderSettings.currentCameraNumber = n;
  refresh();
}

void RenderSettingsDialog::chooseFogColour() {
  scene::Scene& s = scene::currentSceneRecord();
  const auto chosen = ui::prompts().chooseColour(fogPixel(s));
  if (!chosen) return;
  s.fogRed = static_cast<std::int32_t>((*chosen >> 16) & 0xFF);
  s.fogGreen = static_cast<std::int32_t>((*chosen >> 8) & 0xFF);
  s.fogBlue = static_cast<std::int32_t>(*chosen & 0xFF);
  refresh();
  redrawSwatch();
}

void RenderSettingsDialog::load() {
  const auto path = ui::prompts().openFile(kSettingsFilter);
  if (!path) return;
  std::string error;
  if (!loadRenderSettingsFile(*path, &error))
    ui::prompts().message("Не удалось загрузить установки\n" + error, kTitle, ui::MessageButtons::ok,
                          ui::MessageIcon::error);
}

void RenderSettingsDialog::save() {
  const auto path = ui::prompts().saveFile(kSettingsFilter);
  if (!path) return;
  std::string error;
  if (!saveRenderSettingsFile(*path, &error))
    ui::prompts().message("Не удалось сохранить установки\n" + error, kTitle, ui::MessageButtons::ok,
                          ui::MessageIcon::error);
}

}  // namespace vandrel::render
