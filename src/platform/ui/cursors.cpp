#include "platform/ui/cursors.h"

#include <QWidget>

namespace vandrel::ui {

QCursor cursorFor(CursorKind kind) {
  switch (kind) {
    case CursorKind::move: return QCursor(Qt::SizeAllCursor);
    case CursorKind::cross: return QCursor(Qt::CrossCursor);
    case CursorKind::arrow: break;
  }
  return QCursor(Qt::ArrowCursor);
}

void showNow(std::initializer_list<QWidget*> widgets) {
  for (QWidget* w : widgets)
    if (w && w->isVisible()) w->repaint();
}

}  // namespace vandrel::ui
