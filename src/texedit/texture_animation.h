#pragma once
// The texture animation: the morph blends the parameters of every log entry from
// a reference slot S to slot S+1, the sinus run swings every parameter of the
// current slot's log around its stored value. Both build their frames in slot 254
// (the scratch slot the renderer then draws on the animated objects) and hand
// each frame to the caller to be shown; a run holds the program until its last
// frame.

#include <functional>

#include "texedit/sinus_animation.h"
#include "texgen/texture_store.h"

namespace vandrel::texedit {

inline constexpr int kAnimationSlot = 254;
inline constexpr int kMaxStages = 256;
inline constexpr double kRunLength = 256.0;      // t runs 0..256
inline constexpr int kLastSinusRow = kSinusRows - 1;  // the command number stops here
inline constexpr int kLastReferenceSlot = 255;
inline constexpr int kLastAdvancedSlot = 254;    // "play+" stops advancing here

// What the renderer is told (render::frameState.animation.state).
enum AnimationMode : int {
  kAnimationIdle = 0,
  kAnimationSinus = 1,
  kAnimationMorph = 2,
  kAnimationMorphFrame = 3,
};

// The dialog's values. Stages and depths are what the dialog's edits held when
// last read; the runs clamp them in place so that the dialog can show the values
// actually used.
struct TextureAnimation {
  double time;        // t, shared by both kinds
  int referenceSlot;  // S, 0..255
  int morphStages;
  int sinusStages;
  int morphDepth;     // D
  int sinusDepth;     // D2
  int commandNumber;  // c: the sinus row the 21 trackbars edit
};

extern TextureAnimation textureAnimation;

// Start-up values: t 0, S 0, stages 64 and 64, depths 1 and 1, c 1.
void resetTextureAnimation();

int clampStages(int stages);  // 1..256
// 1..entryCount-1 of the current slot (1 when the log is empty).
int clampDepth(int depth);
// 1..entryCount-1, and never past the last sinus row.
int clampCommandNumber(int c);

// The parameter formulas, truncating toward zero. A sinus value is then held to
// 0..255; so are the table settings, as the trackbars show them.
int morphParameter(double t, int from, int to);
int sinusParameter(double t, int value, int amplitude, int frequency, int phase);

// The common set-up: the current count and edge become the current slot's saved
// values and slot 254's, and 254 becomes current. Returns the slot that was.
int enterAnimationSlot();
// Makes that slot current again with its saved count and edge, and tells the
// renderer that no animation runs.
void leaveAnimationSlot(int slot);

// One frame into slot 254, which must be current. Every entry 1..entryCount-1 is
// copied from the source log(s) with its new parameters; only entries from
// firstRun on are run (the others keep the layers of an earlier frame).
// clearLayers zeroes layers 1 and 0 first, as the first frame of a run does.
void computeMorphFrame(const texgen::TextureOp* from, const texgen::TextureOp* to, double t,
                       int firstRun, bool clearLayers);
void computeSinusFrame(const texgen::TextureOp* source, double t, int firstRun, bool clearLayers);

// Called once per frame after it is computed (slot 254 current, t in
// textureAnimation.time): the editor redraws the preview, renders one 3D frame
// and shows both at once.
using FrameShown = std::function<void()>;

// "play" of the morph: stages and depth clamped, frames t = 0, 256/N, ... while
// t <= 256. Returns false, doing nothing, when slot S has no saved count or no
// following slot.
bool runMorph(const FrameShown& shown);
// "play+": the same, then S + 1 unless S is already 254.
bool runMorphAndAdvance(const FrameShown& shown);
// The time trackbar moved to p: one frame at t = p with every entry run.
bool showMorphFrame(int position, const FrameShown& shown);
// "play" of the sinus animation with the current slot's log.
bool runSinus(const FrameShown& shown);

// What the 21 sinus trackbars show and store for one row: words 1..7 of each table.
struct SinusRowValues {
  int amplitude[kSinusParams];
  int frequency[kSinusParams];
  int phase[kSinusParams];
};

// Row 1..99; values held to 0..255 as a trackbar holds them.
SinusRowValues sinusRow(int row);
void storeSinusRow(int row, const SinusRowValues& values);

}  // namespace vandrel::texedit
