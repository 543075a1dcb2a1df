#pragma once
// A colour swatch: a static control filled with one colour, inset by two pixels as
// the colour is copied into its frame, that reports clicks to its dialog.

#include <QWidget>

#include <cstdint>
#include <functional>

namespace vandrel::ui {

class Swatch : public QWidget {
 public:
  explicit Swatch(QWidget* parent = nullptr);

  // The pixel value r x 65536 + g x 256 + b; repaints at once.
  void setColour(std::uint32_t rgb);
  std::uint32_t colour() const { return rgb_; }
  void onClick(std::function<void()> handler) { clicked_ = std::move(handler); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  std::uint32_t rgb_ = 0;
  std::function<void()> clicked_;
};

}  // namespace vandrel::ui
