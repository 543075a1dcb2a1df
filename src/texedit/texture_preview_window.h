#pragma once
// The texture preview window: shows the current layer of the texture being edited.

#include <QWidget>

namespace vandrel::texedit {

class TexturePreviewWindow : public QWidget {
 public:
  explicit TexturePreviewWindow(QWidget* parent = nullptr);

 protected:
  void mouseMoveEvent(QMouseEvent* event) override;
};

}  // namespace vandrel::texedit
