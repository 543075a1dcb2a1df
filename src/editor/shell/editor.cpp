#include "editor/shell/editor.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFont>
#include <QIcon>
#include <QLayout>
#include <QLibraryInfo>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QTranslator>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "editor/materials/materials_dialog.h"
#include "editor/render/render_settings_dialog.h"
#include "editor/render/view_window.h"
#include "editor/scene/clones_dialog.h"
#include "editor/scene/modifiers_dialog.h"
#include "editor/scene/scenes_dialog.h"
#include "editor/shell/frame_pacing.h"
#include "editor/shell/frame_window.h"
#include "editor/shell/help_window.h"
#include "editor/shell/long_work.h"
#include "editor/shell/layouts.h"
#include "editor/shell/pack_commands.h"
#include "editor/texedit/texture_animation_dialog.h"
#include "editor/texedit/texture_editor_dialog.h"
#include "editor/texedit/texture_preview_window.h"
#include "pack/complex_pack.h"
#include "pack/document.h"
#include "platform/os/parallel.h"
#include "platform/os/temp_folder.h"
#include "platform/ui/cursors.h"
#include "platform/ui/prompts.h"
#include "platform/ui/tool_windows.h"
#include "render/device_setup.h"
#include "render/frame.h"
#include "render/render_settings.h"
#include "scene/undo.h"

namespace vandrel::shell {

Editor editor;

namespace {

// Where the 3D view and the preview start; the default layout moves the view
// right of the left column.
const QRect kViewGeometry(265, 0, 640, 480);
const QRect kPreviewGeometry(0, 0, 265, 302);
constexpr double kFallbackRefreshRate = 60;  // when the screen does not tell
constexpr int kMaximiseWaitMilliseconds = 500;
// The frame's normal (not maximised) size leaves this much of the screen on each
// side, so a restored frame keeps its title bar on screen.
constexpr double kRestoredMargin = 0.05;

void renderAndShowNow() {
  render::renderFrame();
  ui::showNowRegistered();
}

// A tool dialog in a sub-window of its natural size, part of focus, folding and
// the layouts.
// Holds a dialog at its natural size, so that folding a window clips the dialog
// to a strip instead of squeezing its controls together.
class ClipPage : public QWidget {
 public:
  explicit ClipPage(QWidget* dialog) {
    dialog->setParent(this);
    dialog->setFixedSize(dialog->sizeHint());
    setFocusProxy(dialog);
  }
  QSize sizeHint() const override { return childrenRect().size(); }
  QSize minimumSizeHint() const override { return {0, 0}; }
};

template <typename DialogType>
DialogType* addToolDialog(DialogType* dialog, int focusCode, int layoutSlot, bool foldable) {
  QMdiSubWindow* window = editor.frame->addWindow(new ClipPage(dialog));
  window->setWindowTitle(dialog->windowTitle());
  window->adjustSize();
  ui::registerToolWindow({window, dialog, focusCode, layoutSlot, foldable, false});
  window->show();
  return dialog;
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

// One frame per refresh of the screen the frame window is on, never more.
std::chrono::milliseconds frameInterval() {
  QScreen* screen = editor.frame ? editor.frame->screen() : QGuiApplication::primaryScreen();
  const double rate = screen && screen->refreshRate() >= 1 ? screen->refreshRate() : kFallbackRefreshRate;
  return std::chrono::milliseconds(std::max(1, static_cast<int>(std::ceil(1000 / rate))));
}

// Maximised, and restored to a rectangle inside the screen's free area.
void showFrameMaximised() {
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect free = screen->availableGeometry();
    const int dx = static_cast<int>(free.width() * kRestoredMargin);
    const int dy = static_cast<int>(free.height() * kRestoredMargin);
    editor.frame->setGeometry(free.adjusted(dx, dy, -dx, -dy));
  }
  editor.frame->showMaximized();
}

// The window manager maximises the frame a moment after it was asked to; the
// default arrangement fits the windows into the area as the maximised frame has it.
// Without a window manager that does, the frame keeps its size and the wait ends.
void waitUntilMaximised() {
  const QSize restored = editor.frame->size();
  QElapsedTimer clock;
  clock.start();
  while (editor.frame->size() == restored && clock.elapsed() < kMaximiseWaitMilliseconds) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (editor.frame->size() == restored) QThread::msleep(5);
  }
  editor.frame->layout()->activate();
}

// A file too large for the machine's memory (a pack of huge grids, say) fails an
// allocation somewhere inside an event: it is told, and the editor goes on with
// the work it has, instead of ending with it.
class EditorApplication : public QApplication {
 public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::bad_alloc&) {
      ui::prompts().message("Недостаточно памяти: действие не выполнено.", kTitle, ui::MessageButtons::ok,
                            ui::MessageIcon::error);
      return false;
    }
  }
};

bool displayAvailable() {
  return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
         !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

}  // namespace

bool startEditor(const EditorOptions& options) {
  editor = Editor{};
  editor.document = std::make_unique<pack::Document>();
  render::renderSettings.currentCamera = render::startupCamera();
  render::frameState.clock = render::tickCount;
  ui::resetToolWindows();

  editor.frame = new FrameWindow;
  if (options.userConfigFolder) startDirectory = userConfigFolder();
  ui::registerCommandTarget(ui::WindowId::frame, editor.frame);
  ui::qtPrompts().setOwner(editor.frame);
  ui::registerToolWindow({editor.frame, editor.frame, ui::kFocusFrame, -1, false, false});

  editor.view = new render::ViewWindow;
  editor.frame->passUndoKeys(editor.view);
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

  showFrameMaximised();
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

  // The tool dialogs, in their documented order; the undo folder and snapshot 1
  // come right after the scenes dialog.
  editor.textureEditor =
      addToolDialog(new texedit::TextureEditorDialog, ui::kFocusTextureEditor, ui::kSlotTextureEditor, true);
  addToolDialog(new texedit::TextureAnimationDialog, ui::kFocusTextureAnimation, ui::kSlotTextureAnimation,
                true);
  addToolDialog(new materials::MaterialsDialog, ui::kFocusMaterials, ui::kSlotMaterials, true);
  addToolDialog(new scene::ScenesDialog, ui::kFocusScenes, ui::kSlotScenes, true);
  scene::checkpoint();
  addToolDialog(new scene::ModifiersDialog, ui::kFocusModifiers, ui::kSlotModifiers, true);
  addToolDialog(new render::RenderSettingsDialog, ui::kFocusRenderSettings, ui::kSlotRenderSettings, false);
  addToolDialog(new scene::ClonesDialog, -1, ui::kSlotClones, false);
  pack::packHooks.renderFrame = renderAndShowNow;

  editor.frame->setCursor(ui::cursorFor(ui::CursorKind::arrow));
  editor.help = new HelpWindow;
  editor.helpWindow = editor.frame->addWindow(editor.help, true);
  editor.helpWindow->adjustSize();  // the dialog's own size inside the window's frame
  editor.helpWindow->move(editor.help->documentedGeometry().topLeft());
  editor.helpWindow->hide();

  waitUntilMaximised();
  placeDefaultLayout();
  readLayout(0);
  ui::foldHelper();  // start tidy: the dialogs without the focus as strips
  // The active-tool code starts as the 3D view's, so the view starts with the keys.
  editor.frame->area()->setActiveSubWindow(view);
  editor.view->setFocus(Qt::OtherFocusReason);
  resetPackState();
  if (deviceReady && options.pack) loadPackFrom(*options.pack);
  return deviceReady;
}

void idleFrame() {
  // Long work lets the event loop run between its steps; its frames are its own.
  if (longWorkRunning()) return;
  if (render::renderSettings.flying == 0) render::renderFrame();
}

bool runOnce() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  if (!editor.frame || editor.frame->quitRequested()) return false;
  idleFrame();
  return true;
}

void runMainLoop() {
  using Clock = std::chrono::steady_clock;
  QEventLoop loop;
  QTimer frames;
  frames.setTimerType(Qt::PreciseTimer);
  frames.setSingleShot(true);
  const std::chrono::milliseconds interval = frameInterval();
  const Clock::time_point origin = Clock::now();
  // Frames start on the display's refreshes, as a present that waits for the
  // refresh makes them: one that takes longer than an interval waits for the next
  // refresh, instead of the next frame starting at once.
  auto waitForRefresh = [&frames, interval, origin] {
    const Clock::duration since = Clock::now() - origin;
    const Clock::duration next = (since / interval + 1) * interval;
    frames.start(std::chrono::ceil<std::chrono::milliseconds>(next - since));
  };
  FramePacing pacing(static_cast<double>(interval.count()), os::threadCount());
  const int ownLevel = QThread::currentThread()->loopLevel() + 1;
  QObject::connect(&frames, &QTimer::timeout, &loop, [&loop, &pacing, &waitForRefresh, ownLevel] {
    if (!editor.frame || editor.frame->quitRequested()) {
      loop.quit();
      return;
    }
    // A message box or file chooser waits inside the command that asked, and
    // a command finishes before the next frame; so does long work, which lets
    // the events in between its steps (its frames would not count for pacing).
    if (QThread::currentThread()->loopLevel() == ownLevel && !longWorkRunning()) {
      const Clock::time_point start = Clock::now();
      if (pacing.shareNextFrame()) {
        idleFrame();
      } else {
        const os::OneThreadScope oneCore;
        idleFrame();
      }
      pacing.frameTook(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    waitForRefresh();
  });
  waitForRefresh();
  loop.exec();
}

bool loadQtTranslations() {
  auto* translator = new QTranslator(QCoreApplication::instance());
  if (!translator->load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  QCoreApplication::installTranslator(translator);
  return true;
}

void stopEditor() {
  if (render::deviceSetup.device) render::deviceSetup.device->setPresentHandler(nullptr);
  editor.document.reset();  // no hook calls into a window being closed
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
                 "vandrel: нет дисплея, на котором открыть редактор (DISPLAY не задан); команды "
                 "texture, mesh, render, export, info и resave работают без него\n");
    return 1;
  }
  EditorApplication application(argc, argv);
  loadQtTranslations();  // without them the system dialogs speak English
  QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
  QApplication::setWindowIcon(programIcon());
  QGuiApplication::setDesktopFileName(QStringLiteral("vandrel"));  // the installed desktop entry
  const bool started = startEditor(options);
  if (started) runMainLoop();
  stopEditor();
  return started ? 0 : 1;
}

}  // namespace vandrel::shell
