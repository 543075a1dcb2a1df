#pragma once
// The materials editor: one material at a time, its three colours as swatches,
// and a single material to or from a ".vmt" file. The records and the actions are
// the materials subsystem's (materials/materials.h); this dialog reads its
// controls into them and shows them back.

#include <QSize>

#include "platform/ui/dialog.h"

namespace vandrel::materials {

class MaterialsDialog : public ui::Dialog {
 public:
  // Colour trackbars: value x 64.
  static constexpr int kDiffuseRed = 1029, kDiffuseGreen = 1030, kDiffuseBlue = 1031;
  static constexpr int kAmbientRed = 1032, kAmbientGreen = 1033, kAmbientBlue = 1034;
  static constexpr int kSpecularRed = 1036, kSpecularGreen = 1025, kSpecularBlue = 1026;
  static constexpr int kPower = 1088, kBumpiness = 1092;
  // Edits with their steppers.
  static constexpr int kMaterialNumber = 1091, kPreviousMaterial = 1089, kNextMaterial = 1090;
  static constexpr int kMapNumber = 1116, kPreviousMap = 1114, kNextMap = 1115;
  static constexpr int kStageTexture = 1119, kPreviousStageTexture = 1117, kNextStageTexture = 1118;
  static constexpr int kStageTypeList = 1002;
  static constexpr int kLoad = 1071, kSave = 1072, kErase = 1073, kFold = 1130;
  static constexpr int kDiffuseSwatch = 1167, kAmbientSwatch = 1166, kSpecularSwatch = 1165;

  // 138 x 156 dialog units. Connects the materials hooks to this dialog and shows
  // the current material.
  explicit MaterialsDialog(QWidget* parent = nullptr);
  ~MaterialsDialog() override;

  void command(int id) override;
  void trackbarMoved(int id) override;
  void listChanged(int id) override;
  // Every trackbar, edit and the list from the current material; the swatches too.
  void refresh() override;
  // The three swatches from the current material's colours.
  void redrawSwatches();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  void mouseMoved();
  void chooseColour(int swatch);
  void load();
  void save();
};

}  // namespace vandrel::materials
