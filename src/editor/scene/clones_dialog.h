#pragma once
// "клоны": edits the clone rules of the current scene. Its own object selector
// reaches every rule slot of the scene, also those beyond the objects in use, so
// a rule can be prepared before its object exists.

#include <cstdint>

#include "platform/ui/dialog.h"

namespace vandrel::scene {

// Control ids.
inline constexpr int kCloneObjectDown = 1148;
inline constexpr int kCloneObjectUp = 1149;
inline constexpr int kCloneObjectNumber = 1150;
inline constexpr int kCloneKindList = 1002;
inline constexpr int kCloneCountDown = 1151;
inline constexpr int kCloneCountUp = 1152;
inline constexpr int kCloneCountNumber = 1153;
inline constexpr int kCloneStepEdit = 1155;
inline constexpr int kApplyCloneStep = 1154;

// In dialog units.
inline constexpr int kClonesDialogWidth = 240;
inline constexpr int kClonesDialogHeight = 34;

class ClonesDialog : public ui::Dialog {
 public:
  // Clears every clone rule of the current scene, becomes the clones dialog's
  // refresh and the clones window's command target.
  explicit ClonesDialog(QWidget* parent = nullptr);
  ~ClonesDialog() override;

  void command(int id) override;
  void listChanged(int id) override;
  // The rule of slot cloneObjectIndex in the current scene.
  void refresh() override;

  int cloneObjectIndex() const { return cloneObjectIndex_; }

 private:
  std::int32_t cloneObjectIndex_ = 0;
};

}  // namespace vandrel::scene
