#include "shell/editor.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QMdiArea>
#include <QPainter>
#include <QPixmap>
#include <QMdiSubWindow>
#include <QScreen>

#include <cstdio>
#include <cstdlib>

#include "geometry/mesh_state.h"
#include "materials/materials.h"
#include "pack/complex_pack.h"
#include "pack/document.h"
#include "platform/os/temp_folder.h"
#include "platform/ui/cursors.h"
#include "platform/ui/prompts.h"
#include "platform/ui/tool_windows.h"
#include "render/device_setup.h"
#include "render/frame.h"
#include "render/render_settings.h"
#include "render/view_navigation.h"
#include "render/view_window.h"
#include "scene/scene_hooks.h"
#include "scene/undo.h"
#include "shell/frame_window.h"
#include "shell/help_window.h"
#include "shell/layouts.h"
#include "shell/pack_commands.h"
#include "texedit/texture_preview_window.h"

namespace vandrel::shell {

Editor editor;

namespace {

// Dialog units of the help window's resource, in pixels.
const QRect kHelpGeometry(33, 28, 386, 286);
const QRect kViewGeometry(265, 0, 640, 480);
const QRect kPreviewGeometry(0, 0, 265, 302);

void renderAndShowNow() {
  render::renderFrame();
  ui::showNowRegistered();
}

void refreshDialogs() {
  scene::refreshScenesDialog();
  scene::refreshModifiersDialog();
  if (materials::materialHooks.refreshEditor) materials::materialHooks.refreshEditor();
  if (render::renderSettingsHooks.refresh) render::renderSettingsHooks.refresh();
}

void connectPresent() {
  render::deviceSetup.device->setPresentHandler(
      [](const std::uint32_t* pixels, int width, int height) { editor.view->present(pixels, width, height); });
}

// A plain mark for the title bars and the task bar: an orange V on slate.
QIcon programIcon() {
  QPixmap pixmap(32, 32);
  pixmap.fill(QColor(0x2B, 0x33, 0x40));
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(0xF0, 0x90, 0x30), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawPolyline(QPolygon({QPoint(7, 7), QPoint(16, 25), QPoint(25, 7)}));
  return QIcon(pixmap);
}

bool displayAvailable() {
  return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
         !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

}  // namespace

bool startEditor(const EditorOptions& options) {
  editor = Editor{};
  pack::resetDocument();
  geometry::resetMeshState();
  render::renderSettings.currentCamera = render::startupCamera();
  render::resetFrameState();
  render::resetViewState();
  render::frameState.clock = render::tickCount;
  ui::resetToolWindows();

  editor.frame = new FrameWindow;
  ui::registerCommandTarget(ui::WindowId::frame, editor.frame);
  ui::qtPrompts().setOwner(editor.frame);
  ui::registerToolWindow({editor.frame, editor.frame, ui::kFocusFrame, -1, false, false});

  editor.view = new render::ViewWindow;
  QMdiSubWindow* view = editor.frame->addWindow(editor.view);
  view->setGeometry(kViewGeometry);
  ui::registerToolWindow({view, editor.view, ui::kFocusView, ui::kSlotView, false, false});
  auto* preview = new texedit::TexturePreviewWindow;
  editor.preview = preview;
  QMdiSubWindow* previewWindow = editor.frame->addWindow(preview);
  ui::registerShowNowWindow(editor.view);
  ui::registerShowNowWindow(preview);
  previewWindow->setGeometry(kPreviewGeometry);
  ui::registerToolWindow({previewWindow, preview, ui::kFocusPreview, ui::kSlotPreview, false, false});

  if (QScreen* screen = QGuiApplication::primaryScreen())
    editor.frame->setGeometry(screen->availableGeometry());
  editor.frame->show();
  previewWindow->show();
  view->show();

  const bool deviceReady = (options.createDevice ? options.createDevice : render::createDevice)();
  if (deviceReady) {
    connectPresent();
  } else {
    editor.deviceFailed = true;
    ui::prompts().message("Ошибка инициализации Direct3D9", "VE9RUDOZI", ui::MessageButtons::ok,
                          ui::MessageIcon::error);
  }

  // The tool dialogs plug in here as they come; the scenes dialog's place in the
  // order is where the undo folder and snapshot 1 are made.
  scene::checkpoint();
  pack::packHooks.renderFrame = renderAndShowNow;
  pack::packHooks.refreshDialogs = refreshDialogs;

  editor.frame->setCursor(ui::cursorFor(ui::CursorKind::arrow));
  editor.help = new HelpWindow;
  editor.helpWindow = editor.frame->addWindow(editor.help, true);
  editor.helpWindow->setGeometry(kHelpGeometry);
  editor.helpWindow->hide();

  readLayout(0);
  // The active-tool code starts as the 3D view's, so the view starts with the keys.
  editor.frame->area()->setActiveSubWindow(view);
  editor.view->setFocus(Qt::OtherFocusReason);
  resetPackState();
  if (deviceReady && options.pack) loadPackFrom(*options.pack);
  return deviceReady;
}

void idleFrame() {
  if (render::renderSettings.flying == 0) render::renderFrame();
}

bool runOnce() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  if (!editor.frame || editor.frame->quitRequested()) return false;
  idleFrame();
  return true;
}

void stopEditor() {
  if (render::deviceSetup.device) render::deviceSetup.device->setPresentHandler(nullptr);
  pack::resetPackHooks();
  scene::resetSceneHooks();
  render::resetViewHooks();
  for (int w = 0; w < static_cast<int>(ui::WindowId::count); ++w)
    ui::registerCommandTarget(static_cast<ui::WindowId>(w), nullptr);
  ui::resetToolWindows();
  ui::forgetShowNowWindows();
  ui::qtPrompts().setOwner(nullptr);
  delete editor.frame;
  editor = Editor{};
  render::releaseDevice();
  os::removeSnapshotFolder();
}

int runEditor(int argc, char** argv, const EditorOptions& options) {
  if (!displayAvailable()) {
    std::fprintf(stderr,
                 "vandrel: no display to open the editor on (DISPLAY is not set); the headless "
                 "commands texture, mesh, render, info and resave work without one\n");
    return 1;
  }
  QApplication application(argc, argv);
  QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
  QApplication::setWindowIcon(programIcon());
  const bool started = startEditor(options);
  if (started)
    while (runOnce()) {
    }
  stopEditor();
  return started ? 0 : 1;
}

}  // namespace vandrel::shell
