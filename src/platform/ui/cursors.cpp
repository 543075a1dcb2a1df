#include "platform/ui/cursors.h"

#include <QWidget>

#include <vector>

namespace vandrel::ui {

QCursor cursorFor(CursorKind kind) {
  switch (kind) {
    case CursorKind::move: return QCursor(Qt::SizeAllCursor);
    case CursorKind::cross: return QCursor(Qt::CrossCursor);
    case CursorKind::arrow: break;
  }
  return QCursor(Qt::ArrowCursor);
}

namespace {

void repaintNow(QWidget* w) {
  if (w && w->isVisible()) w->repaint();
}

std::vector<QWidget*> showNowWindows;

}  // namespace

void showNow(std::initializer_list<QWidget*> widgets) {
  for (QWidget* w : widgets) repaintNow(w);
}

void registerShowNowWindow(QWidget* window) { showNowWindows.push_back(window); }

void forgetShowNowWindows() { showNowWindows.clear(); }

void showNowRegistered() {
  for (QWidget* w : showNowWindows) repaintNow(w);
}

}  // namespace vandrel::ui
