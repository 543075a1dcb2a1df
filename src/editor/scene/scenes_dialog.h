#pragma once
// "Сцены и объекты": the editor of the scene store. It steps through scenes and
// objects, creates, clones and deletes them, edits every field of the current
// object and loads and saves the current scene as a ".vsl" scene layer, each
// through one of the scene edits. The dialog itself keeps only the scale axis its
// two trackbars work on.

#include <cstdint>
#include <optional>

#include "platform/ui/dialog.h"
#include "render/window_commands.h"
#include "scene/scene_edits.h"

namespace vandrel::scene {

// Control ids.
inline constexpr int kScenePrevious = 1159;
inline constexpr int kSceneNext = 1160;
inline constexpr int kSceneNumber = 1095;
inline constexpr int kSceneCreate = 1161;
inline constexpr int kSceneDelete = 1162;
inline constexpr int kScenesFoldFlag = 1129;
inline constexpr int kObjectFirst = 1154;
inline constexpr int kObjectPrevious = 1036;
inline constexpr int kObjectNext = 1081;
inline constexpr int kObjectLast = 1155;
inline constexpr int kObjectNumber = 1083;
inline constexpr int kPositionX = 1089;
inline constexpr int kPositionY = 1090;
inline constexpr int kPositionZ = 1091;
inline constexpr int kApplyPosition = 1132;  // the default button
inline constexpr int kObjectCreate = 1082;
inline constexpr int kObjectClone = 1098;
inline constexpr int kObjectDelete = 1099;
inline constexpr int kPrimitiveList = 1072;
using render::kNormalMode;  // the 3D view's "X" sends this too
inline constexpr int kGridN = 1004;
inline constexpr int kGridM = 1003;
inline constexpr int kApplyGrid = 1073;
inline constexpr int kMaterialDown = 1092;
inline constexpr int kMaterialNumber = 1002;
inline constexpr int kMaterialUp = 1093;
inline constexpr int kTextureDown = 1085;
inline constexpr int kTextureNumber = 1087;
inline constexpr int kTextureUp = 1086;
inline constexpr int kAlphaList = 1074;
inline constexpr int kRepeatU = 1006;
inline constexpr int kRepeatV = 1005;
inline constexpr int kApplyRepeat = 1075;
inline constexpr int kAxisX = 1076;
inline constexpr int kAxisY = 1077;
inline constexpr int kAxisZ = 1078;
inline constexpr int kAxisCommon = 1079;
inline constexpr int kScaleCoarse = 1080;
inline constexpr int kScaleFine = 1094;
inline constexpr int kScaleValue = 1007;
inline constexpr int kLoadLayer = 1088;
inline constexpr int kSaveLayer = 1100;
inline constexpr int kClearScene = 1101;

// In dialog units.
inline constexpr int kScenesDialogWidth = 135;
inline constexpr int kScenesDialogHeight = 210;

class ScenesDialog : public ui::Dialog {
 public:
  // Sets object 0 of the current scene to normal mode 0, becomes the scenes
  // dialog's refresh and the scenes window's command target, and lets the scene
  // edits reach the render settings, the 3D view's object marker and the editors.
  explicit ScenesDialog(QWidget* parent = nullptr);
  ~ScenesDialog() override;

  void command(int id) override;
  void trackbarMoved(int id) override;
  void listChanged(int id) override;
  // Shows the current scene, object and the chosen scale axis.
  void refresh() override;

  int scaleAxis() const { return scaleAxis_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  void chooseAxis(int axis);
  void showScale(int value);
  void showPosition();
  void showGrid();
  void showRepeat();
  void loadLayer();
  void saveLayer();

  std::int32_t scaleAxis_ = kScaleAxisX;
};

// "Стереть сцену", from the dialog or the menu: erases the current scene once the
// user agrees.
void eraseSceneAfterAsking();

}  // namespace vandrel::scene
