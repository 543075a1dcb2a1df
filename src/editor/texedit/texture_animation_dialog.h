#pragma once
// The texture animation dialog ("Анимация текстур"): the morph between a
// reference slot and the next one on top, the sinus animation ("Sin-anim") with
// its 21 trackbars below. Its values live in texedit::textureAnimation and the
// sinus tables; the runs are the plain functions of texture_animation.h, each
// frame shown at once while the run holds the program.

#include "platform/ui/dialog.h"

namespace vandrel::texedit {

class TextureAnimationDialog : public ui::Dialog {
 public:
  // Controls by resource id.
  static constexpr int kPlayMorph = 1;
  static constexpr int kPlayMorphAdvance = 2;  // "play+"
  static constexpr int kPlaySinus = 3;
  static constexpr int kMorphStages = 1000;
  static constexpr int kSinusStages = 1001;
  static constexpr int kReferenceSlot = 1004;
  static constexpr int kMorphDepth = 1016;
  static constexpr int kFirstAmplitude = 1017;  // 1017..1023, parameters 1..7
  static constexpr int kTime = 1024;
  static constexpr int kSinusDepth = 1025;
  static constexpr int kCommandNumber = 1026;
  static constexpr int kPreviousReference = 1027;  // "<"
  static constexpr int kNextReference = 1028;      // ">"
  static constexpr int kMorphDeeper = 1029;        // "+"
  static constexpr int kMorphShallower = 1030;     // "-"
  static constexpr int kNextCommand = 1031;        // "+"
  static constexpr int kPreviousCommand = 1032;    // "-"
  static constexpr int kSinusDeeper = 1033;        // "+"
  static constexpr int kSinusShallower = 1034;     // "-"
  static constexpr int kLoad = 1035;
  static constexpr int kSave = 1036;
  static constexpr int kFold = 1037;               // "/"
  static constexpr int kFirstParamLabel = 1045;    // "p1"; p2..p7 are 1060..1065
  static constexpr int kFirstFrequency = 1046;     // 1046..1052
  static constexpr int kFirstPhase = 1053;         // 1053..1059
  static constexpr int kFunction = 1066;
  static constexpr int kErase = 1067;

  static constexpr int paramLabelId(int param) {  // param = 1..7
    return param == 1 ? kFirstParamLabel : 1058 + param;
  }

  // 183 x 194 dialog units. Resets textureAnimation to its start-up values and
  // shows them.
  explicit TextureAnimationDialog(QWidget* parent = nullptr);
  ~TextureAnimationDialog() override;

  void command(int id) override;
  // Any trackbar: the sinus trackbars go into row c, then a moved time trackbar
  // shows one morph frame.
  void trackbarMoved(int id) override;

 protected:
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  void createControls();
  void playMorph(bool advance);
  void playSinus();
  void showNumber(int id, int value);
  void stepReference(int delta);
  void stepDepth(int edit, int delta);
  void stepCommand(int delta);
  // c into edit 1026, row c into the trackbars, entry c's labels and name.
  void showCommand();
  void showSinusRow();
  void storeSinusTrackbars();
  void loadSettings();
  void saveSettings();
  void erase();
  // Each frame of a run: preview, one 3D frame, both shown at once.
  void showFrame(bool moveTimeTrackbar);
};

}  // namespace vandrel::texedit
