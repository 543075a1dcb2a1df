#pragma once
// The renderer settings dialog: fog of the current scene, quality, render-target
// size, the current camera's zoom, the numbered camera list with the fly between
// two entries, and the ".vrs" file. The data and the actions are in
// render/render_settings.h; this dialog reads its controls into them.

#include <QSize>

#include "platform/ui/dialog.h"

namespace vandrel::render {

class RenderSettingsDialog : public ui::Dialog {
 public:
  static constexpr int kFogRed = 1026, kFogGreen = 1027, kFogBlue = 1028;
  static constexpr int kFogStart = 1119, kFogEnd = 1025;
  static constexpr int kFogSwatch = 1166;
  static constexpr int kCameraNumber = 1131, kPreviousCamera = 1129, kNextCamera = 1130;
  static constexpr int kTakeCamera = 1132, kFly = 1133;
  static constexpr int kQuality = 1134, kZoom = 1128;
  static constexpr int kRenderTargetSize = 1156;
  static constexpr int kLoad = 1120, kSave = 1121, kFold = 1036;  // "/" does nothing here

  // 124 x 142 dialog units. Connects the render settings hooks to this dialog and
  // shows the current values.
  explicit RenderSettingsDialog(QWidget* parent = nullptr);
  ~RenderSettingsDialog() override;

  void command(int id) override;
  void trackbarMoved(int id) override;
  void listChanged(int id) override;
  // Fog trackbars of the current scene, zoom and camera number (not quality);
  // the swatch too.
  void refresh() override;
  // The fog colour swatch of the current scene.
  void redrawSwatch();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  void mouseMoved();
  void cameraNumberFinished();
  void chooseFogColour();
  void load();
  void save();
};

}  // namespace vandrel::render
