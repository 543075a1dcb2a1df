#include "editor/render/view_window.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "platform/ui/commands.h"
#include "platform/ui/cursors.h"
#include "platform/ui/tool_windows.h"
#include "render/view_navigation.h"
#include "scene/scene_hooks.h"

namespace vandrel::render {

namespace {

constexpr int kClientWidth = 640;
constexpr int kClientHeight = 480;
constexpr std::uint32_t kOpaque = 0xFF000000u;  // the display ignores alpha

ViewKey viewKeyOf(int key) {
  switch (key) {
    case Qt::Key_Left: return ViewKey::left;
    case Qt::Key_Right: return ViewKey::right;
    case Qt::Key_Up: return ViewKey::up;
    case Qt::Key_Down: return ViewKey::down;
    case Qt::Key_1: return ViewKey::digit1;
    case Qt::Key_2: return ViewKey::digit2;
    case Qt::Key_3: return ViewKey::digit3;
    case Qt::Key_4: return ViewKey::digit4;
    case Qt::Key_5: return ViewKey::digit5;
    case Qt::Key_6: return ViewKey::digit6;
    case Qt::Key_7: return ViewKey::digit7;
    case Qt::Key_A: return ViewKey::a;
    case Qt::Key_C: return ViewKey::c;
    case Qt::Key_G: return ViewKey::g;
    case Qt::Key_Q: return ViewKey::q;
    case Qt::Key_S: return ViewKey::s;
    case Qt::Key_W: return ViewKey::w;
    case Qt::Key_X: return ViewKey::x;
    case Qt::Key_Z: return ViewKey::z;
    case Qt::Key_Backspace: return ViewKey::backspace;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return ViewKey::tab;  // Tab with Shift held is still Tab here
    case Qt::Key_F1: return ViewKey::f1;
    case Qt::Key_F2: return ViewKey::f2;
    case Qt::Key_F3: return ViewKey::f3;
    case Qt::Key_F4: return ViewKey::f4;
    case Qt::Key_F5: return ViewKey::f5;
    case Qt::Key_Shift: return ViewKey::shift;
    case Qt::Key_Control: return ViewKey::control;
    case Qt::Key_Space: return ViewKey::space;
    default: return ViewKey::other;
  }
}

PointerState pointerOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
  PointerState s;
  s.left = buttons.testFlag(Qt::LeftButton);
  s.right = buttons.testFlag(Qt::RightButton);
  s.middle = buttons.testFlag(Qt::MiddleButton);
  s.shift = modifiers.testFlag(Qt::ShiftModifier);
  s.control = modifiers.testFlag(Qt::ControlModifier);
  return s;
}

}  // namespace

ViewWindow::ViewWindow(QWidget* parent) : QWidget(parent) {
  ViewHooks& h = viewHooks;
  h.sendFrameCommand.set(this, [](int id) { ui::sendCommand(ui::WindowId::frame, id); });
  h.sendScenesCommand.set(this, [](int id) { ui::sendCommand(ui::WindowId::scenes, id); });
  h.takeFocus.set(this, [] { ui::takeFocusOnMouseMove(ui::kFocusView); });
  h.layoutNumber.set(this, [] { return ui::shellFlags.layoutIndex; });
  h.setLayoutNumber.set(this, [](int number) { ui::shellFlags.layoutIndex = number; });
  h.autoSwitchTextureMaterial.set(this, [] { return ui::shellFlags.autoSwitchTextureMaterial; });
  scene::sceneHooks.selectionChanged.set(this, updateMarkers);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  resize(kClientWidth, kClientHeight);
  syncFromState();
}

ViewWindow::~ViewWindow() {
  ViewHooks& h = viewHooks;
  h.sendFrameCommand.clear(this);
  h.sendScenesCommand.clear(this);
  h.takeFocus.clear(this);
  h.layoutNumber.clear(this);
  h.setLayoutNumber.clear(this);
  h.autoSwitchTextureMaterial.clear(this);
  scene::sceneHooks.selectionChanged.clear(this);
}

QSize ViewWindow::sizeHint() const { return {kClientWidth, kClientHeight}; }

void ViewWindow::present(const std::uint32_t* pixels, int width, int height) {
  if (!pixels || width <= 0 || height <= 0) return;
  if (image_.width() != width || image_.height() != height)
    image_ = QImage(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(image_.scanLine(y));
    const std::uint32_t* source = pixels + static_cast<std::size_t>(y) * width;
    for (int x = 0; x < width; ++x) row[x] = source[x] | kOpaque;
  }
  update();
}

void ViewWindow::syncFromState() {
  const QString caption = QString::fromStdString(viewState.caption);
  if (windowTitle() != caption) setWindowTitle(caption);
  const ui::CursorKind kind = viewState.cursorMode == 1   ? ui::CursorKind::move
                              : viewState.cursorMode == 2 ? ui::CursorKind::cross
                                                          : ui::CursorKind::arrow;
  const QCursor wanted = ui::cursorFor(kind);
  if (cursor().shape() != wanted.shape()) setCursor(wanted);
}

bool ViewWindow::event(QEvent* event) {
  if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(event);
    // Tab belongs to the view, not to focus navigation; and while the view has the
    // focus its keys win over menu shortcuts, except Ctrl+Q, the frame's "Выход".
    if (event->type() == QEvent::ShortcutOverride) {
      const bool quit = key->key() == Qt::Key_Q && key->modifiers().testFlag(Qt::ControlModifier);
      if (viewKeyOf(key->key()) != ViewKey::other && !quit) {
        event->accept();
        return true;
      }
    } else if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
      keyPressEvent(key);
      return true;
    }
  }
  return QWidget::event(event);
}

void ViewWindow::keyPressEvent(QKeyEvent* event) {
  const ViewKey key = viewKeyOf(event->key());
  if (key == ViewKey::other) {
    QWidget::keyPressEvent(event);
    return;
  }
  viewKeyDown(key, event->modifiers().testFlag(Qt::ControlModifier));
  syncFromState();
}

void ViewWindow::keyReleaseEvent(QKeyEvent* event) {
  // A held key repeats as release and press pairs; only the real release counts.
  const ViewKey key = viewKeyOf(event->key());
  if (key == ViewKey::other || event->isAutoRepeat()) {
    QWidget::keyReleaseEvent(event);
    return;
  }
  viewKeyUp(key);
  syncFromState();
}

void ViewWindow::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  viewMouseMove(p.x(), p.y(), pointerOf(event->buttons(), event->modifiers()), width(), height());
  syncFromState();
}

void ViewWindow::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint p = event->position().toPoint();
  viewLeftButtonDown(p.x(), p.y(), width(), height());
  syncFromState();
}

void ViewWindow::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint p = event->position().toPoint();
  viewLeftButtonUp(p.x(), p.y());
  syncFromState();
}

void ViewWindow::mouseDoubleClickEvent(QMouseEvent* event) {
  switch (event->button()) {
    case Qt::LeftButton:
      viewLeftDoubleClick(event->modifiers().testFlag(Qt::ShiftModifier));
      break;
    case Qt::RightButton: viewRightDoubleClick(); break;
    case Qt::MiddleButton: viewMiddleDoubleClick(); break;
    default: break;
  }
}

void ViewWindow::wheelEvent(QWheelEvent* event) {
  viewWheel(event->angleDelta().y(), pointerOf(event->buttons(), event->modifiers()));
}

void ViewWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // The aspect rule is for the outer size; inside a sub-window that is the frame's.
  if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) {
    const int height = viewHeightForWidth(frame->width());
    if (frame->height() != height) frame->resize(frame->width(), height);
  }
}

void ViewWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (image_.isNull())
    painter.fillRect(rect(), palette().window());
  else
    painter.drawImage(rect(), image_);
}

void ViewWindow::closeEvent(QCloseEvent* event) { event->ignore(); }

}  // namespace vandrel::render
