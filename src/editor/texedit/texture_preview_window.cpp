#include "editor/texedit/texture_preview_window.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cstdint>

#include "platform/ui/commands.h"
#include "platform/ui/cursors.h"
#include "platform/ui/dialog.h"
#include "platform/ui/tool_windows.h"
#include "render/frame.h"
#include "render/view_navigation.h"
#include "render/window_commands.h"
#include "texedit/preview_image.h"
#include "texgen/editor_hooks.h"
#include "texgen/texture_store.h"

namespace vandrel::texedit {

namespace {

constexpr int kStartEdge = 256;         // the picture's size before the first layout
constexpr int kFunctionList = 1039;     // in the texture editor dialog
constexpr int kCommitCommand = 1035;    // "ОК" of the texture editor dialog
constexpr std::uint32_t kOpaque = 0xFF000000u;  // the display ignores alpha

// The texture editor's function-list selection; -1 while there is no editor.
int editorFunction() {
  auto* editor = dynamic_cast<ui::Dialog*>(ui::commandTarget(ui::WindowId::textureEditor));
  return editor ? editor->selection(kFunctionList) : -1;
}

void readLayout(int number) {
  ui::shellFlags.layoutIndex = number;
  ui::sendCommand(ui::WindowId::frame, render::kReadLayout);
}

bool isPreviewKey(int key) {
  return key == Qt::Key_Tab || key == Qt::Key_Backtab || (key >= Qt::Key_F1 && key <= Qt::Key_F5) ||
         key == Qt::Key_Space || key == Qt::Key_1 || key == Qt::Key_W;
}

}  // namespace

TexturePreviewWindow::TexturePreviewWindow(QWidget* parent) : QWidget(parent) {
  setWindowTitle(QStringLiteral("Просмотр текстуры"));
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  resetPreviewState();
  // The texture memory comes with the preview, so every operation finds it.
  texgen::createLayerStack();
  setCursor(ui::cursorFor(ui::CursorKind::arrow));
  resize(kStartEdge, kStartEdge);
  texgen::textureHooks.redrawPreview.set(this, [this] { redraw(); });
}

TexturePreviewWindow::~TexturePreviewWindow() { texgen::textureHooks.redrawPreview.clear(this); }

QSize TexturePreviewWindow::sizeHint() const { return {kStartEdge, kStartEdge}; }

void TexturePreviewWindow::redraw() {
  const int w = width();
  const int h = height();
  if (image_.width() != w || image_.height() != h) {
    image_ = w > 0 && h > 0 ? QImage(w, h, QImage::Format_RGB32) : QImage();
  }
  if (image_.isNull()) {
    renderPreview(nullptr, w, h);  // still keeps the size for the mouse mapping
    return;
  }
  // 32-bit rows are never padded, so the image is one W x H block.
  auto* pixels = reinterpret_cast<std::uint32_t*>(image_.bits());
  renderPreview(pixels, w, h);
  const std::size_t count = static_cast<std::size_t>(w) * h;
  for (std::size_t k = 0; k < count; ++k) pixels[k] |= kOpaque;
  update();
}

void TexturePreviewWindow::redrawAndRender() {
  redraw();
  render::renderFrame();
}

void TexturePreviewWindow::showCursorOfMode() {
  const int mode = render::viewState.cursorMode;
  const ui::CursorKind kind = mode == 1   ? ui::CursorKind::move
                              : mode == 2 ? ui::CursorKind::cross
                                          : ui::CursorKind::arrow;
  const QCursor wanted = ui::cursorFor(kind);
  if (cursor().shape() != wanted.shape()) setCursor(wanted);
}

bool TexturePreviewWindow::event(QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride) {
    // While the preview has the focus its keys win over menu shortcuts.
    if (isPreviewKey(static_cast<QKeyEvent*>(event)->key())) {
      event->accept();
      return true;
    }
  } else if (event->type() == QEvent::KeyPress) {
    // Tab cycles the layouts instead of moving the focus to the next widget.
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
      keyPressEvent(key);
      return true;
    }
  }
  return QWidget::event(event);
}

void TexturePreviewWindow::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
    readLayout((ui::shellFlags.layoutIndex + 1) % ui::kLayoutCount);
  } else if (key >= Qt::Key_F1 && key <= Qt::Key_F5) {
    readLayout(key - Qt::Key_F1);
  } else if (key == Qt::Key_Space) {
    render::viewState.cursorMode = 1;
    showCursorOfMode();
    armPan(true);
  } else if (key == Qt::Key_1) {
    previewState.zoom = kPreviewStartZoom;
    redrawAndRender();
  } else if (key == Qt::Key_W) {
    previewState.outsideColourToggle = 1 - previewState.outsideColourToggle;
    redrawAndRender();
  } else {
    QWidget::keyPressEvent(event);
  }
}

void TexturePreviewWindow::keyReleaseEvent(QKeyEvent* event) {
  // A held key repeats as release and press pairs; only the real release disarms.
  if (event->key() != Qt::Key_Space || event->isAutoRepeat()) {
    QWidget::keyReleaseEvent(event);
    return;
  }
  render::viewState.cursorMode = 0;
  showCursorOfMode();
  armPan(false);
}

void TexturePreviewWindow::mouseMoveEvent(QMouseEvent* event) {
  // The preview takes the focus whatever the automatic-focus setting says.
  ui::takeFocusOnMouseMove(ui::kFocusPreview);
  showCursorOfMode();
  const QPoint p = event->position().toPoint();
  if (previewState.dragging) dragPanTo(p.x(), p.y());
  redraw();
  // Placing follows a plain left drag only: a modifier, another button or the pan
  // means the user is doing something else.
  const bool plainLeft = event->buttons() == Qt::LeftButton &&
                         !(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier));
  if (plainLeft && !previewState.dragging && !previewState.panArmed &&
      placeOperationAt(editorFunction(), p.x(), p.y()))
    redraw();
  render::renderFrame();
}

void TexturePreviewWindow::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint p = event->position().toPoint();
  if (startPanDrag(p.x(), p.y())) {
    render::viewState.cursorMode = 1;
    showCursorOfMode();
  }
}

void TexturePreviewWindow::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  endPanDrag();
  render::viewState.cursorMode = 0;
  showCursorOfMode();
}

void TexturePreviewWindow::mouseDoubleClickEvent(QMouseEvent* event) {
  // The second click commits instead of pressing again.
  if (event->button() == Qt::LeftButton) ui::sendCommand(ui::WindowId::textureEditor, kCommitCommand);
}

void TexturePreviewWindow::wheelEvent(QWheelEvent* event) {
  const int delta = event->angleDelta().y();
  if (delta == 0) return;  // a sideways scroll is not a wheel turn
  wheelZoom(delta);
  redrawAndRender();
}

void TexturePreviewWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  redraw();
}

void TexturePreviewWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (image_.size() != size()) painter.fillRect(rect(), Qt::black);
  if (!image_.isNull()) painter.drawImage(QPoint(0, 0), image_);
}

// Tool windows are not closed; the frame window ends the program.
void TexturePreviewWindow::closeEvent(QCloseEvent* event) { event->ignore(); }

}  // namespace vandrel::texedit
