#include "platform/ui/swatch.h"

#include <QMouseEvent>
#include <QPainter>

namespace vandrel::ui {

Swatch::Swatch(QWidget* parent) : QWidget(parent) {
  setMinimumSize(16, 16);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void Swatch::setColour(std::uint32_t rgb) {
  rgb_ = rgb & 0xFFFFFFu;
  repaint();
}

void Swatch::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  painter.fillRect(rect().adjusted(2, 2, -2, -2), QColor::fromRgb(rgb_));
}

void Swatch::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && clicked_)
    clicked_();
}

}  // namespace vandrel::ui
