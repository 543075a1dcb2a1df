#pragma once
// The 3D view: shows the frames the device presents and turns keys, mouse and
// wheel into the view's navigation (render/view_navigation.h), whose table also
// holds the caption and the cursor mode this window shows.

#include <QImage>
#include <QWidget>

#include <cstdint>

namespace vandrel::render {

class ViewWindow : public QWidget {
  Q_OBJECT

 public:
  // Client 640 x 480, the caption of the view's table, focus by click, Tab and
  // the mouse. Connects the navigation's hooks to the frame window, the scenes
  // dialog and the tool-window flags, and the scene store's selection hook to
  // the markers.
  explicit ViewWindow(QWidget* parent = nullptr);
  ~ViewWindow() override;

  // A presented back buffer (bytes blue, green, red, alpha in memory), shown
  // stretched over the client area at the next paint.
  void present(const std::uint32_t* pixels, int width, int height);
  const QImage& image() const { return image_; }

  // Caption and cursor from the view's table, for changes made from outside.
  void syncFromState();

  QSize sizeHint() const override;

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QImage image_;
};

}  // namespace vandrel::render
