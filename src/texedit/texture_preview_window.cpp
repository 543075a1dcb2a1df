#include "texedit/texture_preview_window.h"

#include "platform/ui/tool_windows.h"

namespace vandrel::texedit {

TexturePreviewWindow::TexturePreviewWindow(QWidget* parent) : QWidget(parent) {
  setWindowTitle(QStringLiteral("Просмотр текстуры"));
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
}

void TexturePreviewWindow::mouseMoveEvent(QMouseEvent*) {
  ui::takeFocusOnMouseMove(ui::kFocusPreview);
}

}  // namespace vandrel::texedit
