#include "editor/shell/frame_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>

#include "editor/scene/scenes_dialog.h"
#include "editor/shell/editor.h"
#include "editor/shell/export_commands.h"
#include "editor/shell/help_window.h"
#include "editor/shell/layouts.h"
#include "editor/shell/pack_commands.h"
#include "platform/os/status_line.h"
#include "platform/ui/tool_windows.h"
#include "render/view_navigation.h"
#include "scene/undo.h"

namespace vandrel::shell {

namespace {

constexpr int kNoticeMilliseconds = 5000;  // how long a status-bar notice stays
// The caption's unsaved mark is checked this long after the last key or button
// release: soon enough to follow an edit, and once for a burst of them.
constexpr int kUnsavedCheckMilliseconds = 250;

// Tool windows are never closed by the user: closing the 3D view or the preview
// would end the program and lose the work.
class ToolSubWindow : public QMdiSubWindow {
 public:
  using QMdiSubWindow::QMdiSubWindow;
  bool closable = false;

 protected:
  void closeEvent(QCloseEvent* event) override {
    if (closable) {
      hide();
      event->ignore();  // hidden, never destroyed
    } else {
      event->ignore();
    }
  }
};

}  // namespace

FrameWindow::FrameWindow() {
  startDirectory = QDir::currentPath().toStdString();
  setWindowTitle(QStringLiteral("%1[*]").arg(kTitle));
  setFocusPolicy(Qt::StrongFocus);
  area_ = new QMdiArea(this);
  area_->setBackground(palette().dark());
  area_->viewport()->setMouseTracking(true);
  area_->viewport()->installEventFilter(this);
  setCentralWidget(area_);
  progress_ = new QProgressBar(this);
  progress_->setRange(0, 253);
  progress_->setFormat(QStringLiteral("Текстуры: %v из %m"));
  progress_->setVisible(false);
  statusBar()->addPermanentWidget(progress_, 1);
  buildMenu();
  setChecks();
  unsavedCheck_ = new QTimer(this);
  unsavedCheck_->setSingleShot(true);
  unsavedCheck_->setInterval(kUnsavedCheckMilliseconds);
  connect(unsavedCheck_, &QTimer::timeout, this, &updateUnsavedMark);
  qApp->installEventFilter(this);  // every edit ends with a key or button release
  os::statusLine.set(this, [this](const std::string& text) {
    statusBar()->showMessage(QString::fromStdString(text), kNoticeMilliseconds);
  });
}

FrameWindow::~FrameWindow() {
  qApp->removeEventFilter(this);
  os::statusLine.clear(this);
}

QMdiSubWindow* FrameWindow::addWindow(QWidget* widget, bool closable) {
  auto* sub = new ToolSubWindow;
  sub->closable = closable;
  sub->setWidget(widget);
  Qt::WindowFlags flags = Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (closable) flags |= Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint;
  sub->setWindowFlags(flags);
  area_->addSubWindow(sub);
  return sub;
}

QAction* FrameWindow::action(int id) const {
  const auto it = actions_.find(id);
  return it == actions_.end() ? nullptr : it->second;
}

void FrameWindow::buildMenu() {
  auto add = [this](QMenu* menu, int id, const char* text, bool checkable = false) {
    QAction* a = menu->addAction(QString::fromUtf8(text));
    a->setCheckable(checkable);
    connect(a, &QAction::triggered, this, [this, id] { command(id); });
    actions_[id] = a;
  };
  QMenu* file = menuBar()->addMenu(QStringLiteral("Файл"));
  add(file, kLoadPack, "Загрузить пакет");
  add(file, kSavePack, "Сохранить пакет");
  actions_[kSavePack]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  add(file, kSavePackAs, "Сохранить пакет как...");
  add(file, kClearScene, "Стереть сцену");
  file->addSeparator();
  add(file, kExportScene, "Экспорт сцены (glTF)...");
  add(file, kExportTextures, "Экспорт текстур...");
  add(file, kRecordVideo, "Записать видео...");
  file->addSeparator();
  add(file, kHelp, "Помощь");
  file->addSeparator();
  add(file, kQuit, "Выход");
  actions_[kQuit]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  QMenu* edit = menuBar()->addMenu(QStringLiteral("Правка"));
  add(edit, kUndo, "Отменить");
  actions_[kUndo]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  add(edit, kRedo, "Повторить");
  actions_[kRedo]->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
  QMenu* windows = menuBar()->addMenu(QStringLiteral("Окна"));
  add(windows, kReadLayout, "Считать раскладку");
  add(windows, kWriteLayout, "Записать раскладку");
  windows->addSeparator();
  add(windows, kUnfoldedWindows, "Раскрытые окна", true);
  add(windows, kFoldingWindows, "Сворачивающиеся окна", true);
  windows->addSeparator();
  add(windows, kAutoFocusOff, "Выкл. автосмена фокуса окон", true);
  add(windows, kAutoFocusOn, "Вкл. автосмены фокуса окон", true);
  windows->addSeparator();
  add(windows, kAutoSwitch, "Автосмена текстуры и материала", true);
}

// The check marks follow the flags.
void FrameWindow::setChecks() {
  const ui::ShellFlags& f = ui::shellFlags;
  actions_[kUnfoldedWindows]->setChecked(f.unfoldedWindows);
  actions_[kFoldingWindows]->setChecked(!f.unfoldedWindows);
  actions_[kAutoFocusOff]->setChecked(f.autoFocusOff);
  actions_[kAutoFocusOn]->setChecked(!f.autoFocusOff);
  actions_[kAutoSwitch]->setChecked(f.autoSwitchTextureMaterial);
}

// A layout key without its file would otherwise do nothing visible at all.
void FrameWindow::readCurrentLayout() {
  const int index = ui::shellFlags.layoutIndex;
  if (readLayout(index))
    statusBar()->clearMessage();
  else
    statusBar()->showMessage(QStringLiteral("раскладка %1 не записана").arg(index + 1), kNoticeMilliseconds);
}

void FrameWindow::command(int id) {
  ui::ShellFlags& f = ui::shellFlags;
  switch (id) {
    case kLoadPack: loadPack(); break;
    case kSavePack: savePack(); break;
    case kSavePackAs: savePackAs(); break;
    case kClearScene: scene::eraseSceneAfterAsking(); break;
    // As the 3D view's Backspace: the snapshot, then the markers where the things now are.
    case kUndo:
      scene::undo();
      render::updateMarkers();
      break;
    case kRedo:
      scene::redo();
      render::updateMarkers();
      break;
    case kExportScene: exportScene(); break;
    case kExportTextures: exportTextures(); break;
    case kRecordVideo: recordVideo(); break;
    case kHelp: showHelp(); break;
    case kReadLayout: readCurrentLayout(); break;
    case kWriteLayout: writeLayout(f.layoutIndex); break;
    case kUnfoldedWindows: ui::unfoldAll(); break;
    case kFoldingWindows: f.unfoldedWindows = false; break;
    case kAutoFocusOff: f.autoFocusOff = true; break;
    case kAutoFocusOn: f.autoFocusOff = false; break;
    case kAutoSwitch: f.autoSwitchTextureMaterial = !f.autoSwitchTextureMaterial; break;
    case kQuit: close(); break;
    default: return;
  }
  setChecks();
  updateUnsavedMark();
  ui::focusActiveToolWindow();
  // Help stays in front of the window that has the keys again.
  if (id == kHelp && editor.helpWindow) editor.helpWindow->raise();
}

bool FrameWindow::event(QEvent* event) {
  // TAB cycles the layouts instead of moving the focus between widgets.
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Tab) {
    ui::shellFlags.layoutIndex = (ui::shellFlags.layoutIndex + 1) % ui::kLayoutCount;
    command(kReadLayout);
    return true;
  }
  return QMainWindow::event(event);
}

void FrameWindow::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (key >= Qt::Key_F1 && key <= Qt::Key_F5) {
    ui::shellFlags.layoutIndex = key - Qt::Key_F1;
    command(kReadLayout);
  } else if (key == Qt::Key_S && event->modifiers() & Qt::ControlModifier) {
    command(kSavePack);
  } else {
    QMainWindow::keyPressEvent(event);
  }
}

void FrameWindow::closeEvent(QCloseEvent* event) {
  if (!confirmQuit()) {
    event->ignore();
    return;
  }
  quitRequested_ = true;
  event->accept();
}

void FrameWindow::passUndoKeys(QWidget* widget) { undoKeysPassedBy_ = widget; }

bool FrameWindow::isUndoKey(const QKeyEvent* key) const {
  const QKeySequence pressed(key->keyCombination());
  for (int id : {kUndo, kRedo})
    for (const QKeySequence& shortcut : actions_.at(id)->shortcuts())
      if (shortcut == pressed) return true;
  return false;
}

void FrameWindow::noteInput(QEvent* event) {
  const QEvent::Type type = event->type();
  if ((type == QEvent::KeyRelease || type == QEvent::MouseButtonRelease || type == QEvent::Wheel) &&
      !unsavedCheck_->isActive())
    unsavedCheck_->start();
}

bool FrameWindow::eventFilter(QObject* watched, QEvent* event) {
  noteInput(event);
  // Declining the override lets the shortcut map trigger the menu's action.
  if (watched == undoKeysPassedBy_ && event->type() == QEvent::ShortcutOverride &&
      isUndoKey(static_cast<QKeyEvent*>(event))) {
    event->ignore();
    return true;
  }
  if (watched == area_->viewport()) {
    if (event->type() == QEvent::MouseMove) ui::takeFocusOnMouseMove(ui::kFocusFrame);
    if (event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
      command(kLoadPack);
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace vandrel::shell
