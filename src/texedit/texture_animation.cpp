#include "texedit/texture_animation.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "render/frame.h"
#include "texgen/catalogue.h"
#include "texgen/dispatcher.h"
#include "texgen/editor_hooks.h"
#include "texgen/parameter_rows.h"

namespace vandrel::texedit {

using texgen::TextureOp;
using texgen::textureStore;

TextureAnimation textureAnimation;

namespace {

constexpr double kMorphScale = 0.00390625;  // 1/256
constexpr double kFrequencyScale = 0.03125;  // 1/32
constexpr double kPhaseScale = 0.02453125;   // 3.14/128: a phase step of 256 is one period
constexpr int kDefaultStages = 64;

// The logs a run reads, copied when it starts: slot 254 may be one of them, and
// it is overwritten frame by frame.
TextureOp fromLog[texgen::kLogLength];
TextureOp toLog[texgen::kLogLength];
// Slot 254's own log while a run borrows the slot it is being edited in.
TextureOp keptLog[texgen::kLogLength];

int truncated(double v) {
  if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(v);
}

void copyLog(const TextureOp* from, TextureOp* to) { std::copy(from, from + texgen::kLogLength, to); }

void recreateScratchTexture() {
  if (texgen::textureHooks.recreateSlotTexture)
    texgen::textureHooks.recreateSlotTexture(kAnimationSlot, textureStore.edgeSize);
}

// Slot S blends into S+1, so 255 has nothing to blend to.
bool morphCanRun(int reference) {
  return reference >= 0 && reference < kLastReferenceSlot &&
         textureStore.slots[reference].entryCount >= 1;
}

void takeMorphSources(int reference) {
  copyLog(textureStore.slots[reference].log, fromLog);
  copyLog(textureStore.slots[reference + 1].log, toLog);
}

// The entry loop both kinds share; newEntry writes entry h of slot 254.
template <class NewEntry>
void computeFrame(int firstRun, bool clearLayers, NewEntry newEntry) {
  auto& s = textureStore;
  const int count = s.entryCount;
  TextureOp* log = texgen::currentSlot().log;
  // The entry count is the position the dispatcher works at: layer h for entry h.
  s.entryCount = 1;
  if (clearLayers) {
    texgen::clearLayer(1);
    texgen::clearLayer(0);
  }
  for (int h = 1; h < count; ++h) {
    newEntry(h, log[h]);
    if (h >= firstRun) {
      texgen::loadEntryIntoRows(h);
      texgen::runOperation(log[h].code());
      texgen::copyLayer(h, h + 1);
    }
    ++s.entryCount;
  }
  s.entryCount = count;
}

// Frames t = 0, step, 2 step, ... while t <= 256; the first runs every entry on
// cleared layers, the others only the last `depth` entries.
template <class Frame>
void playFrames(int stages, int depth, const FrameShown& shown, Frame frame) {
  TextureAnimation& a = textureAnimation;
  const double step = kRunLength / stages;
  const int count = textureStore.entryCount;
  for (a.time = 0.0; a.time <= kRunLength; a.time += step) {
    const bool first = a.time == 0.0;
    frame(first ? 1 : count - depth, first);
    if (shown) shown();
  }
}

}  // namespace

void resetTextureAnimation() {
  textureAnimation = TextureAnimation{0.0, 0, kDefaultStages, kDefaultStages, 1, 1, 1};
}

int clampStages(int stages) { return std::clamp(stages, 1, kMaxStages); }

int clampDepth(int depth) { return std::max(1, std::min(depth, textureStore.entryCount - 1)); }

int clampCommandNumber(int c) {
  return std::max(1, std::min({c, textureStore.entryCount - 1, kLastSinusRow}));
}

int morphParameter(double t, int from, int to) {
  return truncated(((kRunLength - t) * from + t * to) * kMorphScale);
}

int sinusParameter(double t, int value, int amplitude, int frequency, int phase) {
  const int amp = texgen::clampToTrackbar(amplitude);
  const int f = texgen::clampToTrackbar(frequency);
  const int ph = texgen::clampToTrackbar(phase);
  const double v = std::sin((f * t * kFrequencyScale + ph) * kPhaseScale) * amp + value;
  // Truncating and then holding to 0..255 is the same as holding first: every
  // value below 1 truncates to 0 or less.
  if (v >= texgen::kParamMax) return texgen::kParamMax;
  if (v < 1.0) return 0;
  return static_cast<int>(v);
}

int enterAnimationSlot() {
  // A change pending in the texture editor is settled first: the run reuses the
  // layers and the parameter rows it would otherwise leave half-edited.
  if (texgen::textureHooks.beforeSlotChange) texgen::textureHooks.beforeSlotChange();
  auto& s = textureStore;
  const int slot = s.currentSlot;
  texgen::TextureSlot& current = texgen::currentSlot();
  current.entryCount = s.entryCount;
  current.edgeSize = s.edgeSize;
  texgen::TextureSlot& scratch = s.slots[kAnimationSlot];
  if (slot == kAnimationSlot) copyLog(scratch.log, keptLog);
  scratch.entryCount = s.entryCount;
  scratch.edgeSize = s.edgeSize;
  scratch.renderSize = s.edgeSize;
  s.currentSlot = kAnimationSlot;
  return slot;
}

void leaveAnimationSlot(int slot) {
  auto& s = textureStore;
  s.currentSlot = slot;
  // The slot being edited keeps its log even when it is the scratch slot itself.
  if (slot == kAnimationSlot) copyLog(keptLog, s.slots[kAnimationSlot].log);
  s.entryCount = texgen::currentSlot().entryCount;
  s.edgeSize = texgen::currentSlot().edgeSize;
  render::frameState.animation = render::TextureAnimationState{};
}

void computeMorphFrame(const TextureOp* from, const TextureOp* to, double t, int firstRun,
                       bool clearLayers) {
  computeFrame(firstRun, clearLayers, [&](int h, TextureOp& op) {
    op = from[h];
    const int n = texgen::parameterCount(op.code());
    for (int i = 1; i <= n; ++i) op.setParam(i, morphParameter(t, from[h].param(i), to[h].param(i)));
  });
}

void computeSinusFrame(const TextureOp* source, double t, int firstRun, bool clearLayers) {
  const SinusAnimation& table = sinusAnimation;
  computeFrame(firstRun, clearLayers, [&](int h, TextureOp& op) {
    op = source[h];
    const int n = texgen::parameterCount(op.code());
    // Entries past the tables' rows have no settings: they keep their values.
    if (h >= kSinusRows) {
      for (int i = 1; i <= n; ++i) op.setParam(i, sinusParameter(t, source[h].param(i), 0, 0, 0));
      return;
    }
    for (int i = 1; i <= n; ++i)
      op.setParam(i, sinusParameter(t, source[h].param(i), table.amplitude[h][i],
                                    table.frequency[h][i], table.phase[h][i]));
  });
}

bool runMorph(const FrameShown& shown) {
  TextureAnimation& a = textureAnimation;
  const int reference = a.referenceSlot;
  if (!morphCanRun(reference)) return false;
  recreateScratchTexture();
  a.morphStages = clampStages(a.morphStages);
  a.morphDepth = clampDepth(a.morphDepth);
  render::frameState.animation = {kAnimationMorph, 0, reference};
  takeMorphSources(reference);
  const int slot = enterAnimationSlot();
  playFrames(a.morphStages, a.morphDepth, shown, [&](int firstRun, bool first) {
    computeMorphFrame(fromLog, toLog, a.time, firstRun, first);
  });
  leaveAnimationSlot(slot);
  return true;
}

bool runMorphAndAdvance(const FrameShown& shown) {
  if (!runMorph(shown)) return false;
  if (textureAnimation.referenceSlot < kLastAdvancedSlot) ++textureAnimation.referenceSlot;
  return true;
}

bool showMorphFrame(int position, const FrameShown& shown) {
  TextureAnimation& a = textureAnimation;
  if (position == a.time) return false;
  const int reference = a.referenceSlot;
  if (!morphCanRun(reference)) return false;
  render::frameState.animation = {kAnimationMorphFrame, 0, reference};
  a.morphStages = clampStages(a.morphStages);
  a.time = position;
  recreateScratchTexture();
  takeMorphSources(reference);
  const int slot = enterAnimationSlot();
  computeMorphFrame(fromLog, toLog, a.time, 1, false);
  if (shown) shown();
  leaveAnimationSlot(slot);
  return true;
}

bool runSinus(const FrameShown& shown) {
  TextureAnimation& a = textureAnimation;
  const int animated = textureStore.currentSlot;
  if (textureStore.slots[animated].entryCount < 1) return false;
  render::frameState.animation.state = kAnimationSinus;
  recreateScratchTexture();
  a.sinusStages = clampStages(a.sinusStages);
  a.sinusDepth = clampDepth(a.sinusDepth);
  render::frameState.animation.sinusSlot = animated;
  copyLog(texgen::currentSlot().log, fromLog);
  const int slot = enterAnimationSlot();
  playFrames(a.sinusStages, a.sinusDepth, shown, [&](int firstRun, bool first) {
    computeSinusFrame(fromLog, a.time, firstRun, first);
  });
  leaveAnimationSlot(slot);
  return true;
}

SinusRowValues sinusRow(int row) {
  SinusRowValues v{};
  if (row < 1 || row >= kSinusRows) return v;
  const SinusAnimation& t = sinusAnimation;
  for (int j = 1; j <= kSinusParams; ++j) {
    v.amplitude[j - 1] = texgen::clampToTrackbar(t.amplitude[row][j]);
    v.frequency[j - 1] = texgen::clampToTrackbar(t.frequency[row][j]);
    v.phase[j - 1] = texgen::clampToTrackbar(t.phase[row][j]);
  }
  return v;
}

void storeSinusRow(int row, const SinusRowValues& values) {
  if (row < 1 || row >= kSinusRows) return;
  SinusAnimation& t = sinusAnimation;
  for (int j = 1; j <= kSinusParams; ++j) {
    t.amplitude[row][j] = values.amplitude[j - 1];
    t.frequency[row][j] = values.frequency[j - 1];
    t.phase[row][j] = values.phase[j - 1];
  }
}

}  // namespace vandrel::texedit
