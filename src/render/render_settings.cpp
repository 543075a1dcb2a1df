#include "render/render_settings.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "platform/os/files.h"
#include "scene/scene_store.h"

namespace vandrel::render {

RenderSettings renderSettings;
RenderSettingsHooks renderSettingsHooks;

namespace {

void refresh() {
  if (renderSettingsHooks.refresh) renderSettingsHooks.refresh();
}

void redrawSwatch() {
  if (renderSettingsHooks.redrawSwatch) renderSettingsHooks.redrawSwatch();
}

// Truncation toward zero that stays defined for any camera the view can produce.
std::int32_t truncToInt(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return INT_MAX;
  if (v <= -2147483648.0) return INT_MIN;
  return static_cast<std::int32_t>(v);
}

int scenesInUse() {
  return std::min<int>(scene::sceneStore.sceneCount, scene::kSceneTable);
}

void loadListEntry() {
  RenderSettings& r = renderSettings;
  r.currentCamera = r.cameraList[r.currentCameraNumber];
  refresh();
}

// A bounded number reader: a decimal integer (0 when there are no digits, saturated
// to int32), then on to just past the next comma. `lineBound` keeps both the
// leading white space and the comma search inside the current line.
class NumberReader {
 public:
  explicit NumberReader(std::string_view text) : text_(text) {}

  std::size_t position() const { return pos_; }
  void moveTo(std::size_t p) { pos_ = std::min(p, text_.size()); }

  // Skips leading white space; false when no number can start here.
  bool atNumber(bool lineBound) {
    while (pos_ < text_.size() && isSpace(text_[pos_], lineBound)) ++pos_;
    return pos_ < text_.size() && text_[pos_] != '\n';
  }

  std::int32_t read(bool lineBound, bool* more) {
    std::size_t p = pos_;
    bool negative = false;
    if (p < text_.size() && (text_[p] == '-' || text_[p] == '+')) negative = text_[p++] == '-';
    long long value = 0;
    for (; p < text_.size() && text_[p] >= '0' && text_[p] <= '9'; ++p)
      value = std::min<long long>(value * 10 + (text_[p] - '0'), 1LL << 32);
    if (negative) value = -value;
    while (p < text_.size() && text_[p] != ',' && !(lineBound && text_[p] == '\n')) ++p;
    *more = p < text_.size() && text_[p] == ',';
    pos_ = *more ? p + 1 : p;
    return static_cast<std::int32_t>(std::clamp<long long>(value, INT_MIN, INT_MAX));
  }

  void nextLine() {
    while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
    if (pos_ < text_.size()) ++pos_;
  }

 private:
  static bool isSpace(char c, bool lineBound) {
    return c == ' ' || c == '\t' || c == '\r' || (!lineBound && c == '\n');
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

constexpr std::string_view kCameraMarker = "camera_";

void readFog(std::string_view fogText) {
  NumberReader in(fogText);
  bool more = true;
  for (int s = 0; s < scenesInUse(); ++s) {
    scene::Scene& sc = scene::sceneStore.scenes[s];
    std::int32_t* fields[5] = {&sc.fogRed, &sc.fogGreen, &sc.fogBlue, &sc.fogStart, &sc.fogEnd};
    for (std::int32_t* field : fields) {
      if (!more || !in.atNumber(false)) return;
      *field = in.read(false, &more);
    }
  }
}

void readCameras(std::string_view text) {
  NumberReader in(text);
  in.nextLine();  // the rest of the "camera_" line
  for (int k = 0; k < kStoredCameras; ++k) {
    if (in.position() >= text.size()) return;
    Camera& c = renderSettings.cameraList[k];
    double* fields[8] = {&c.zoom,    &c.eyeX,    &c.eyeY,    &c.eyeZ,
                         &c.targetX, &c.targetY, &c.targetZ, &c.angle};
    bool more = true;
    for (int f = 0; f < 8 && more && in.atNumber(true); ++f) {
      const std::int32_t n = in.read(true, &more);
      *fields[f] = f == 0 ? (static_cast<double>(n) * 4) / 256 : n;
    }
    in.nextLine();
  }
}

}  // namespace

void setFogDefaults(int scene) {
  scene::Scene& sc = scene::sceneStore.scenes[scene];
  sc.fogRed = sc.fogGreen = sc.fogBlue = kFogDefaultColour;
  sc.fogStart = kFogDefaultStart;
  sc.fogEnd = kFogDefaultEnd;
}

void resetRenderSettings() {
  RenderSettings& r = renderSettings;
  r.quality = kStartQuality;
  r.renderTargetSize = kStartRenderTargetSize;
  r.currentCamera = startupCamera();
  std::fill(std::begin(r.cameraList), std::end(r.cameraList), r.currentCamera);
  r.currentCameraNumber = 0;
  r.flying = 0;
  setFogDefaults(scene::sceneStore.currentScene);
}

void previousCamera() {
  if (renderSettings.currentCameraNumber > 0) --renderSettings.currentCameraNumber;
  loadListEntry();
}

void nextCamera() {
  if (renderSettings.currentCameraNumber < kLastCamera) ++renderSettings.currentCameraNumber;
  loadListEntry();
}

void takeCamera() {
  RenderSettings& r = renderSettings;
  r.cameraList[r.currentCameraNumber] = r.currentCamera;
}

void storeTrackbars(const RenderSettingsTrackbars& t) {
  scene::Scene& sc = scene::currentSceneRecord();
  sc.fogRed = t.fogRed;
  sc.fogGreen = t.fogGreen;
  sc.fogBlue = t.fogBlue;
  sc.fogStart = t.fogStart;
  sc.fogEnd = t.fogEnd;
  renderSettings.currentCamera.zoom = (static_cast<double>(t.zoom) * 4) / 256;
  renderSettings.quality = t.quality;
  redrawSwatch();
}

Camera cameraFlyBlend(const Camera& a, const Camera& b, float t) {
  const double e = (std::sin((180 * static_cast<double>(t) - 90) * kDegreesToRadians) + 1) * 0.5;
  const double f =
      (std::sin((180 * (1 - static_cast<double>(t)) - 90) * kDegreesToRadians) + 1) * 0.5;
  Camera c;
  c.zoom = f * a.zoom + e * b.zoom;
  c.eyeX = e * b.eyeX + f * a.eyeX;
  c.eyeY = f * a.eyeY + e * b.eyeY;
  c.eyeZ = f * a.eyeZ + e * b.eyeZ;
  c.targetX = f * a.targetX + e * b.targetX;
  c.targetY = f * a.targetY + e * b.targetY;
  c.targetZ = f * a.targetZ + e * b.targetZ;
  c.angle = f * a.angle + e * b.angle;
  return c;
}

bool cameraFly(const std::function<void()>& renderFrame) {
  RenderSettings& r = renderSettings;
  const int p = r.currentCameraNumber;
  if (p < 0 || p >= kLastCamera) return false;
  const Camera a = r.cameraList[p];
  const Camera b = r.cameraList[p + 1];
  r.flying = 1;
  float t = 0.0f;
  do {
    r.currentCamera = cameraFlyBlend(a, b, t);
    if (renderFrame) renderFrame();
    t = t + kFlyStep;
  } while (t < 1);
  r.currentCameraNumber = p + 1;
  r.currentCamera = r.cameraList[p + 1];
  r.flying = 0;
  refresh();
  return true;
}

std::string writeRenderSettings() {
  std::string out;
  auto put = [&out](std::int32_t v) {
    out += std::to_string(v);
    out += ',';
  };
  for (int s = 0; s < scenesInUse(); ++s) {
    const scene::Scene& sc = scene::sceneStore.scenes[s];
    for (std::int32_t v : {sc.fogRed, sc.fogGreen, sc.fogBlue, sc.fogStart, sc.fogEnd}) put(v);
  }
  out += '\n';
  out += kCameraMarker;
  out += '\n';
  for (int k = 0; k < kStoredCameras; ++k) {
    const Camera& c = renderSettings.cameraList[k];
    put(truncToInt(c.zoom * 64));
    for (double v : {c.eyeX, c.eyeY, c.eyeZ, c.targetX, c.targetY, c.targetZ, c.angle})
      put(truncToInt(v));
    out += '\n';
  }
  return out;
}

void readRenderSettings(std::string_view text) {
  const std::size_t marker = text.find(kCameraMarker);
  readFog(text.substr(0, marker));
  if (marker != std::string_view::npos) readCameras(text.substr(marker));
  renderSettings.currentCameraNumber = 0;
  renderSettings.currentCamera = renderSettings.cameraList[0];
  refresh();
  redrawSwatch();
}

bool loadRenderSettingsFile(const std::string& path, std::string* error) {
  std::string text;
  if (!os::readFile(path, kMaxRenderSettingsFileBytes, &text, error)) return false;
  readRenderSettings(text);
  return true;
}

bool saveRenderSettingsFile(const std::string& path, std::string* error) {
  const std::string name = path.find(".vrs") == std::string::npos ? path + ".vrs" : path;
  return os::writeFile(name, writeRenderSettings(), error);
}

}  // namespace vandrel::render
