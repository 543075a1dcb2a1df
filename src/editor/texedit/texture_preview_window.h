#pragma once
// The texture preview window: shows the working layer of the texture being edited
// (texedit/preview_image.h draws it), pans with the space bar and the left button,
// zooms with the wheel, places position-taking operations with a left drag, commits
// with a double click and carries the layout keys. The whole client area is the
// picture, shown 1:1.

#include <QImage>
#include <QWidget>

namespace vandrel::texedit {

class TexturePreviewWindow : public QWidget {
 public:
  // Start-up state of the preview; allocates the texture memory if that has not
  // happened yet and becomes the generator's preview (its redraw hook).
  explicit TexturePreviewWindow(QWidget* parent = nullptr);
  ~TexturePreviewWindow() override;

  // Draws the working layer at the client size into the image and schedules a paint.
  void redraw();
  // What the window shows: the drawn pixels with the alpha byte forced to 255.
  const QImage& image() const { return image_; }

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
  void showCursorOfMode();
  void redrawAndRender();

  QImage image_;
};

}  // namespace vandrel::texedit
