#include "texgen/dispatcher.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "texgen/catalogue.h"
#include "texgen/editor_hooks.h"
#include "texgen/ops.h"
#include "texgen/parameter_rows.h"
#include "texgen/texture_store.h"

namespace vandrel::texgen {

namespace {

// The operations that overwrite every pixel, mixer, which reads other layers, and
// those that read the layer below themselves need no copy of it.
bool needsPreCopy(int code) {
  switch (code) {
    case kCells:
    case kMandelBrot:
    case kPlasm:
    case kJulia:
    case kChessfield:
    case kMixer:
    case kClear:
    case kBlur:
    case kMotionBlur:
    case kRadialBlur:
    case kMedian:
    case kDilate:
    case kErode:
    case kEdge:
    case kEmboss:
    case kSharpen:
    case kInvert:
    case kScaleColor:
    case kAdjustColor:
    case kCopyBToAlfa:
    case kClearRgb:
    case kClearAlfa:
      return false;
    default:
      return true;
  }
}

// Mixer's sources must name layers below the current one.
void correctMixerSources(int* p, int currentIndex, ParameterRows& rows) {
  for (int i = 0; i < 2; ++i) {
    int source = std::min(std::max(p[i], 1), currentIndex - 1);
    p[i] = source;
    rows.setPosition(i + 1, source);
    rows.showNumber(i + 1, std::to_string(static_cast<unsigned>(source)));
  }
}

// The parameters of `code` as the dispatcher runs it at layer `index`, read from the
// rows (which show each number). False for headings and codes outside the catalogue.
bool takeParameters(int code, int index, ParameterRows& rows, int* p) {
  if (!isOperationCode(code)) return false;
  const int n = parameterCount(code);
  for (int i = 1; i <= n; ++i) {
    p[i - 1] = rows.position(i);
    rows.showNumber(i, std::to_string(static_cast<unsigned>(p[i - 1])));
  }
  if (code == kMixer) correctMixerSources(p, index, rows);
  return true;
}

// A pass repeated `passes` times: the first reads the layer below, the others the
// layer itself. No pass at all leaves the layer a copy of the one below.
void repeatPass(void (*pass)(const Pixel*, Pixel*, int), int passes, const Pixel* below, Pixel* layer, int edge) {
  if (passes < 1) {
    std::memcpy(layer, below, sizeof(Pixel) * std::size_t(edge) * std::size_t(edge));
    return;
  }
  pass(below, layer, edge);
  for (int k = 1; k < passes; ++k) pass(layer, layer, edge);
}

// Radial blur reads a whole picture while it writes one: its passes go back and forth
// between the layer and the scratch image, starting where the last lands in the layer.
void repeatRadialBlur(int passes, int zoom, const Pixel* below, Pixel* layer, Pixel* scratch, int edge) {
  if (passes < 1) {
    std::memcpy(layer, below, sizeof(Pixel) * std::size_t(edge) * std::size_t(edge));
    return;
  }
  const Pixel* from = below;
  Pixel* to = passes % 2 ? layer : scratch;
  for (int k = 0; k < passes; ++k) {
    radialBlurPass(from, to, edge, zoom);
    from = to;
    to = to == layer ? scratch : layer;
  }
}

// Layer index - 1 is the input of the operations that read it themselves; where the
// layer already holds that picture (a carried replay) it is the same input.
void runOnLayer(int code, const int* p, const Workspace& w, int index) {
  Pixel* const L = w.layer(index);
  const Pixel* const below = w.layer(index - 1);
  Pixel* const scratch = w.scratch;
  const int edge = w.edge;
  switch (code) {
    case kCells: cells(L, edge, p[0], p[1], p[2], p[3]); break;
    case kStars: stars(L, edge, p[0], p[1]); break;
    case kMandelBrot: mandelBrot(L, edge, p[0], p[1], p[2], p[3]); break;
    case kPlasm: plasm(L, edge, p[0], p[1], p[2], p[3]); break;
    case kJulia: julia(L, edge, p[0], p[1]); break;
    case kNoise: noise(L, edge, p[0]); break;
    case kChessfield: chessfield(L, edge, p[0], p[1]); break;
    case kSindistort: sindistort(L, scratch, edge, p[0], p[1], p[2], p[3]); break;
    case kRotorzoom: rotorzoom(L, scratch, edge, p[0], p[1], p[2], p[3]); break;
    case kTwirl: twirl(L, scratch, edge, p[0], p[1], p[2], p[3], p[4]); break;
    case kLenz: lenz(L, scratch, edge, p[0], p[1], p[2], p[3]); break;
    case kBlur: repeatPass(blurPass, p[0], below, L, edge); break;
    case kMotionBlur: repeatPass(motionBlurPass, p[0], below, L, edge); break;
    case kPshift: pshift(L, edge, p[0], p[1], p[2], p[3]); break;
    case kRadialPshift: radialPshift(L, scratch, edge, p[0], p[1], p[2], p[3]); break;
    case kRadialBlur: repeatRadialBlur(p[0], p[1], below, L, scratch, edge); break;
    case kRoll: roll(L, scratch, edge, p[0], p[1], p[2]); break;
    case kTiling: tiling(L, scratch, edge, p[0], p[1], p[2], p[3]); break;
    case kMedian: median(below, L, edge); break;
    case kDilate: dilate(below, L, edge); break;
    case kErode: erode(below, L, edge); break;
    case kEdge: edgeDetect(below, L, edge); break;
    case kEmboss: emboss(below, L, edge); break;
    case kSharpen: sharpen(below, L, edge); break;
    case kAddparticle: addparticle(L, edge, p[0], p[1], p[2], p[3], p[4], p[5], p[6]); break;
    case kMosaic: mosaic(L, scratch, edge, p[0]); break;
    case kClear: clear(L, edge); break;
    case kMixer: mixer(L, w.layer(p[0]), w.layer(p[1]), edge, p[2], p[3], p[4]); break;
    case kBorderCrossfade: borderCrossfade(L, edge, p[0], p[1]); break;
    case kSolidfill: solidfill(L, scratch, edge, p[0], p[1], p[2], p[3], p[4], p[5]); break;
    case kInvert: invert(below, L, edge); break;
    case kScaleColor: scaleColor(below, L, edge, p[0], p[1], p[2]); break;
    case kAdjustColor: adjustColor(below, L, edge, p[0], p[1], p[2]); break;
    case kBox: box(L, edge, p[0], p[1], p[2], p[3], p[4], p[5], p[6]); break;
    case kCircle: circle(L, edge, p[0], p[1], p[2], p[3], p[4], p[5]); break;
    case kCopyBToAlfa: copyBToAlfa(below, L, edge); break;
    case kClearRgb: clearRgb(below, L, edge); break;
    case kClearAlfa: clearAlfa(below, L, edge); break;
    default: break;
  }
}

std::string historyLabel(int index, int code, HistoryLabels labels) {
  std::string name = operationName(code);
  return labels == HistoryLabels::Numbered ? std::to_string(index) + name : name;
}

Workspace storeWorkspace() {
  TextureStore& s = textureStore;
  return Workspace{s.layerStack.get(), s.scratch.get(), s.edgeSize};
}

void copyWorkspaceLayer(const Workspace& w, int from, int to) {
  std::memcpy(w.layer(to), w.layer(from), sizeof(Pixel) * w.pixels());
}

// The operation itself once its parameters are taken: the pre-copy, then the pixels.
void runOnLayers(int code, const int* p, const Workspace& w, int index) {
  if (needsPreCopy(code)) copyWorkspaceLayer(w, index - 1, index);
  runOnLayer(code, p, w, index);
}

void loadEntryInto(const TextureOp& op, ParameterRows& rows) {
  const int n = parameterCount(op.code());
  for (int i = 1; i <= n; ++i) {
    rows.setPosition(i, op.param(i));
    rows.showNumber(i, std::to_string(static_cast<unsigned>(rows.position(i))));
  }
}

// One entry of a replay: the editor shows what runs, the dispatcher runs it, and
// the result is carried one layer up for the next entry. Without pixels only the
// editor's side happens (the image comes from a rebuild elsewhere). carried: layer i
// already holds layer i - 1, so the pre-copy would change nothing.
void replayEntry(int i, HistoryLabels labels, bool pixels, bool carried) {
  TextureStore& s = textureStore;
  s.entryCount = i;
  const int code = currentSlot().log[i].code();
  if (textureHooks.selectFunction) textureHooks.selectFunction(code);
  loadEntryIntoRows(i);
  int p[kParamCount] = {};
  const bool runs = takeParameters(code, i, *textureHooks.rows, p);
  if (pixels) {
    if (runs && carried) runOnLayer(code, p, storeWorkspace(), i);
    if (runs && !carried) runOnLayers(code, p, storeWorkspace(), i);
    if (textureHooks.redrawPreview) textureHooks.redrawPreview();
    copyLayer(i, i + 1);
  }
  if (textureHooks.insertHistoryAtTop)
    textureHooks.insertHistoryAtTop(historyLabel(i, code, labels).c_str());
}

// replayCurrentSlot, or with `rebuilt` (the slot's final image, made off the store)
// everything it does but the operations: the store's layers then get only the final
// image, which is all that the device, the preview and later replays read of them.
void replayCurrentSlotWith(HistoryLabels labels, const Pixel* rebuilt) {
  TextureStore& s = textureStore;
  if (textureHooks.clearHistory) textureHooks.clearHistory();
  // A count that does not fit the layers at this edge is never stored; keep the
  // replay inside the layer block all the same.
  const int count = std::min(s.entryCount, currentCapacity());
  if (!rebuilt) {
    clearLayer(1);
    clearLayer(0);
  }
  // Layers 0 and 1 start equal, and each entry carries its result up.
  for (int i = 1; i < count; ++i) replayEntry(i, labels, rebuilt == nullptr, true);
  s.entryCount = count;
  if (rebuilt) {
    std::memcpy(layer(count), rebuilt, sizeof(Pixel) * layerPixels());
    if (count > 1 && textureHooks.redrawPreview) textureHooks.redrawPreview();
  }
  if (textureHooks.selectFunction) textureHooks.selectFunction(kHeadingGenerators);
}

void recreateSlotTexture() {
  TextureStore& s = textureStore;
  if (textureHooks.recreateSlotTexture) textureHooks.recreateSlotTexture(s.currentSlot, s.edgeSize);
  currentSlot().renderSize = s.edgeSize;
}

}  // namespace

void runOperation(int code) {
  int p[kParamCount] = {};
  const int index = textureStore.entryCount;
  if (takeParameters(code, index, *textureHooks.rows, p)) runOnLayers(code, p, storeWorkspace(), index);
}

void loadEntryIntoRows(int entryIndex) {
  const TextureOp& op = currentSlot().log[entryIndex];
  loadEntryInto(op, *textureHooks.rows);
  if (textureHooks.showRows) textureHooks.showRows(op.code());
}

void replayCurrentSlot(HistoryLabels labels) { replayCurrentSlotWith(labels, nullptr); }

const Pixel* replayLog(const TextureOp* log, int count, const Workspace& w) {
  // Rows of its own: the parameters reach the operations exactly as the editor's
  // rows would pass them, clamped like a trackbar.
  PlainParameterRows rows;
  std::memset(w.layer(0), 0, sizeof(Pixel) * w.pixels());
  std::memset(w.layer(1), 0, sizeof(Pixel) * w.pixels());
  for (int i = 1; i < count; ++i) {
    const int code = log[i].code();
    loadEntryInto(log[i], rows);
    int p[kParamCount] = {};
    // Layer i already holds layer i - 1 (both cleared, or carried up): no pre-copy.
    if (takeParameters(code, i, rows, p)) runOnLayer(code, p, w, i);
    copyWorkspaceLayer(w, i, i + 1);
  }
  return w.layer(std::max(count, 1));
}

void replayFrom(int k, int end) {
  end = std::min(end, currentCapacity());
  if (k < 1) k = 1;
  for (int i = k; i < end; ++i) replayEntry(i, HistoryLabels::Numbered, true, i > k);
  if (k < end) textureStore.entryCount = end;
}

void deleteEntry(int k) {
  TextureStore& s = textureStore;
  const int count = s.entryCount;
  if (k < 1 || k > count - 1) return;
  TextureOp* log = currentSlot().log;
  std::copy(log + k + 1, log + count, log + k);
  for (int j = k; j <= count - 2; ++j) {
    if (log[j].code() != kMixer) continue;
    for (int source = 1; source <= 2; ++source)
      if (log[j].param(source) > k) log[j].setParam(source, log[j].param(source) - 1);
  }
  s.entryCount = count - 1;
  replayCurrentSlot();
}

namespace {

void selectSlotWith(int n, const Pixel* rebuilt) {
  if (n < 1 || n > kSlotCount) return;
  if (textureHooks.beforeSlotChange) textureHooks.beforeSlotChange();
  TextureStore& s = textureStore;
  currentSlot().entryCount = s.entryCount;
  currentSlot().edgeSize = s.edgeSize;
  s.currentSlot = n;
  s.entryCount = currentSlot().entryCount;
  s.edgeSize = currentSlot().edgeSize;
  if (textureHooks.selectSizeItem) textureHooks.selectSizeItem(edgeSizeIndex(s.edgeSize));
  recreateSlotTexture();
  replayCurrentSlotWith(HistoryLabels::Numbered, rebuilt);
  if (textureHooks.showSlotNumber) textureHooks.showSlotNumber(n);
}

}  // namespace

void selectSlot(int n) { selectSlotWith(n, nullptr); }

void selectRebuiltSlot(int n, const Pixel* image) { selectSlotWith(n, image); }

bool changeEdgeSize(int edge) {
  TextureStore& s = textureStore;
  if (edgeSizeIndex(edge) < 0 || edge == s.edgeSize) return false;
  if (s.entryCount > maxEntryCount(edge)) return false;
  if (textureHooks.clearHistory) textureHooks.clearHistory();
  s.edgeSize = edge;
  recreateSlotTexture();
  replayCurrentSlot(HistoryLabels::BareNames);
  return true;
}

}  // namespace vandrel::texgen
