#pragma once
// The modifiers dialog: picks the current modifier of the current object, creates
// and deletes modifiers, and edits the current one's kind, two parameters and
// centre offset, each through one of the modifier edits of the scene store; the
// dialog only shows them. Other windows reach its refresh through
// scene::refreshModifiersDialog().

#include <optional>

#include "platform/ui/dialog.h"

class QEvent;
class QMouseEvent;
class QObject;

namespace vandrel::scene {

// Control ids.
inline constexpr int kModCreate = 1113;
inline constexpr int kModDelete = 1114;
inline constexpr int kModPrevious = 1101;
inline constexpr int kModNext = 1103;
inline constexpr int kModLast = 1104;
inline constexpr int kModIndex = 1102;
inline constexpr int kModCount = 1115;
inline constexpr int kModFold = 1131;
inline constexpr int kModKind = 1100;
inline constexpr int kModStrengthLabel = 1162;
inline constexpr int kModStrengthEdit = 1105;
inline constexpr int kModStrengthMinus = 1048;
inline constexpr int kModStrengthPlus = 1047;
inline constexpr int kModStrengthApply = 1045;
inline constexpr int kModStrengthBar = 1108;
inline constexpr int kModRadiusLabel = 1163;
inline constexpr int kModRadiusEdit = 1008;
inline constexpr int kModRadiusMinus = 1052;
inline constexpr int kModRadiusPlus = 1051;
inline constexpr int kModRadiusApply = 1046;
inline constexpr int kModRadiusCoarse = 1025;
inline constexpr int kModRadiusFine = 1026;
inline constexpr int kModOffsetX = 1109;
inline constexpr int kModOffsetY = 1110;
inline constexpr int kModOffsetZ = 1111;
inline constexpr int kModOffsetsApply = 1006;

// Dialog size in dialog units.
inline constexpr int kModifiersDialogWidth = 122;
inline constexpr int kModifiersDialogHeight = 130;

class ModifiersDialog : public ui::Dialog {
 public:
  // Also what start-up does to the store: the current object's modifier list is
  // emptied and currentModifier becomes 0.
  explicit ModifiersDialog(QWidget* parent = nullptr);
  ~ModifiersDialog() override;

  void command(int id) override;
  void trackbarMoved(int id) override;
  void listChanged(int id) override;
  void refresh() override;
  void mouseMoved();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
};

}  // namespace vandrel::scene
