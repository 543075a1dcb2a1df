#include "texedit/preview_image.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "texgen/catalogue.h"
#include "texgen/dispatcher.h"
#include "texgen/editor_hooks.h"
#include "texgen/parameter_rows.h"
#include "texgen/texture_store.h"

namespace vandrel::texedit {

PreviewState previewState;

namespace {

// The view leans by 45 degrees with pi taken as 3.14; 0.0109375 = 0.7 / 64. The
// offsets put roughly the texture centre at the window centre.
const double kSin = std::sin(0.785);
const double kCos = std::cos(0.785);
constexpr double kLean = 0.0109375;

int clampParameter(int v) { return std::clamp(v, 0, texgen::kParamMax); }

}  // namespace

void resetPreviewState() { previewState = PreviewState{}; }

void renderPreview(std::uint32_t* out, int width, int height) {
  PreviewState& p = previewState;
  p.width = width;
  p.height = height;
  if (!out || width <= 0 || height <= 0) return;

  const std::uint32_t outside = p.outsideColourToggle ? kPreviewBlack : kPreviewGrey;
  const texgen::TextureStore& store = texgen::textureStore;
  // The column table below lives in the scratch image.
  const bool fits = static_cast<std::size_t>(width) * sizeof(std::int32_t) <= texgen::kScratchBytes;
  if (!store.layerStack || !store.scratch || !fits) {
    std::fill(out, out + static_cast<std::size_t>(width) * height, outside);
    return;
  }
  const int S = store.edgeSize;
  const int Z = p.zoom;
  const int panX = p.dragging ? p.livePanX : p.panX;
  const int panY = p.dragging ? p.livePanY : p.panY;
  const texgen::Pixel* source = texgen::layer(store.entryCount);

  // X and Y step by adding, not multiplying: the texture pixel a window pixel
  // lands on depends on the last bits of that sum. X restarts on every row, so
  // the texture column of each window column is worked out once, into the
  // scratch image (no operation is running while the preview draws). X only
  // grows along a row: surround, then the texture's run, then surround.
  const double step = Z / 64.0;
  auto* columns = reinterpret_cast<std::int32_t*>(store.scratch.get());
  int first = 0, last = 0;  // the texture's run of window columns
  {
    double x = S / 2 - kLean * Z * width * kSin - panX;
    int j = 0;
    for (; j < width && x < 0; ++j) x += step;
    first = j;
    for (; j < width && x < S; ++j, x += step) columns[j] = static_cast<std::int32_t>(x);
    last = j;
  }

  double y = S / 2 - kLean * Z * height * kCos + panY;
  for (int i = 0; i < height; ++i, y += step) {
    // The image is bottom-up: row 0 is the window's bottom line.
    std::uint32_t* row = out + static_cast<std::size_t>(height - 1 - i) * width;
    if (!(y >= 0 && y < S)) {
      std::fill(row, row + width, outside);
      continue;
    }
    const texgen::Pixel* line = source + static_cast<std::size_t>(static_cast<int>(y)) * S;
    std::fill(row, row + first, outside);
    for (int j = first; j < last; ++j) row[j] = line[columns[j]];
    std::fill(row + last, row + width, outside);
  }
}

void armPan(bool armed) { previewState.panArmed = armed ? 1 : 0; }

bool startPanDrag(int x, int y) {
  PreviewState& p = previewState;
  if (p.dragging || !p.panArmed) return false;
  p.dragging = 1;
  p.anchorX = x - p.panX;
  p.anchorY = y - p.panY;
  return true;
}

void dragPanTo(int x, int y) {
  PreviewState& p = previewState;
  if (!p.dragging) return;
  p.livePanX = x - p.anchorX;
  p.livePanY = y - p.anchorY;
}

void endPanDrag() {
  PreviewState& p = previewState;
  p.dragging = 0;
  p.panX = p.livePanX;
  p.panY = p.livePanY;
}

void wheelZoom(int delta) {
  int z = previewState.zoom + (delta < 0 ? -kPreviewZoomStep : kPreviewZoomStep);
  if (z < 0) z = kPreviewZoomMax;
  if (z > kPreviewZoomMax) z = 0;
  previewState.zoom = z;
}

bool isPositionTaking(int code) {
  using namespace texgen;
  switch (code) {
    case kRotorzoom:
    case kTwirl:
    case kLenz:
    case kRoll:
    case kAddparticle:
    case kSolidfill:
    case kBox:
    case kCircle:
      return true;
    default:
      return false;
  }
}

bool parametersAt(int x, int y, int* px, int* py) {
  const PreviewState& p = previewState;
  const int Z = p.zoom;
  const int S = texgen::textureStore.edgeSize;
  if (Z == 0 || S <= 0) return false;
  // Integer division truncates toward zero here, as the mapping is defined.
  const int h = ((S * 64) / Z) / 2;
  const int u = ((((h - p.width / 2 + x) * Z) / 64) - p.panX) * 256 / S;
  const int v = ((p.panY - ((h - p.height / 2 + y) * Z) / 64) * 256) / S + 255;
  *px = clampParameter(u);
  *py = clampParameter(v);
  return true;
}

bool placeOperationAt(int code, int x, int y) {
  if (!isPositionTaking(code)) return false;
  int px = 0, py = 0;
  if (!parametersAt(x, y, &px, &py)) return false;
  texgen::ParameterRows& rows = *texgen::textureHooks.rows;
  rows.setPosition(1, px);
  rows.setPosition(2, py);
  texgen::OperationRecord& record = texgen::catalogue.records[code];
  record.values[0] = px;
  record.values[1] = py;
  texgen::runOperation(code);
  return true;
}

}  // namespace vandrel::texedit
