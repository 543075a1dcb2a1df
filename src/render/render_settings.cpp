#include "render/render_settings.h"

#include <algorithm>
#include <cmath>

#include "platform/os/files.h"
#include "platform/os/text_checks.h"
#include "platform/os/text_numbers.h"
#include "render/device_setup.h"
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

int scenesInUse() {
  return std::min<int>(scene::sceneStore.sceneCount, scene::kSceneTable);
}

void loadListEntry() {
  RenderSettings& r = renderSettings;
  r.currentCamera = r.cameraList[r.currentCameraNumber];
  refresh();
}


constexpr std::string_view kCameraMarker = "camera_";

void readFog(std::string_view fogText) {
  os::NumberReader in(fogText);
  bool more = true;
  for (int s = 0; s < scenesInUse(); ++s) {
    scene::Scene& sc = scene::sceneStore.scenes[s];
    std::int32_t* fields[5] = {&sc.fogRed, &sc.fogGreen, &sc.fogBlue, &sc.fogStart, &sc.fogEnd};
    for (std::int32_t* field : fields) {
      if (!more || !in.atNumber(false)) return;
      *field = in.read(&more, false);
    }
  }
}

// Reads the camera lines after the "camera_" line into a list of cameras (the
// camera list, or a scratch list for a check), and tells what a load refuses: a
// value that is not a plain number, or a zoom below the smallest the view allows
// (a zoom of 0 or less folds every object into a point or turns it inside out).
os::TextProblem readCameras(std::string_view text, Camera* list) {
  os::NumberReader in(text);
  os::TextProblem problem;
  in.nextLine();  // the rest of the "camera_" line
  for (int k = 0; k < kStoredCameras; ++k) {
    if (in.position() >= text.size()) break;
    Camera& c = list[k];
    double* fields[8] = {&c.zoom,    &c.eyeX,    &c.eyeY,    &c.eyeZ,
                         &c.targetX, &c.targetY, &c.targetZ, &c.angle};
    bool more = true;
    for (int f = 0; f < 8 && more && in.atNumber(true); ++f) {
      const std::size_t at = in.position();
      const std::int32_t n = in.read(&more, true);
      if (f == 0 && n < 1 && !problem) problem = os::problemAt(os::TextFault::outOfRange, at, "от 1");
      *fields[f] = f == 0 ? (static_cast<double>(n) * 4) / 256 : n;
    }
    in.nextLine();
  }
  if (in.firstMalformed() != std::string_view::npos)
    return os::problemAt(os::TextFault::notNumber, in.firstMalformed());
  return problem;
}

// Every fog value before the camera lines must be a plain number, also those of
// scenes beyond the ones in use.
os::TextProblem checkFog(std::string_view fogText) {
  os::NumberReader in(fogText);
  bool more = true;
  while (more && in.atNumber(false)) in.read(&more, false);
  if (in.firstMalformed() != std::string_view::npos)
    return os::problemAt(os::TextFault::notNumber, in.firstMalformed());
  return {};
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

void typeCameraNumber(std::optional<int> number) {
  if (number && *number >= 0 && *number <= kLastCamera) renderSettings.currentCameraNumber = *number;
  refresh();
}

void chooseRenderTargetSize(int size) {
  if (size == renderSettings.renderTargetSize) return;
  renderSettings.renderTargetSize = size;
  recreateRenderTargetTexture(size);
}

std::uint32_t fogColour() {
  const scene::Scene& s = scene::currentSceneRecord();
  return static_cast<std::uint32_t>(s.fogRed) * 65536u + static_cast<std::uint32_t>(s.fogGreen) * 256u +
         static_cast<std::uint32_t>(s.fogBlue);
}

void setFogColour(std::uint32_t rgb) {
  scene::Scene& s = scene::currentSceneRecord();
  s.fogRed = static_cast<std::int32_t>((rgb >> 16) & 0xFF);
  s.fogGreen = static_cast<std::int32_t>((rgb >> 8) & 0xFF);
  s.fogBlue = static_cast<std::int32_t>(rgb & 0xFF);
  refresh();
  redrawSwatch();
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

bool cameraFly(const std::function<void()>& renderFrame, const std::function<bool()>& landNow) {
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
    if (landNow && landNow()) break;
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
    put(os::truncToInt32(c.zoom * 64));
    for (double v : {c.eyeX, c.eyeY, c.eyeZ, c.targetX, c.targetY, c.targetZ, c.angle})
      put(os::truncToInt32(v));
    out += '\n';
  }
  return out;
}

void readRenderSettings(std::string_view text) {
  const std::size_t marker = text.find(kCameraMarker);
  readFog(text.substr(0, marker));
  if (marker != std::string_view::npos) readCameras(text.substr(marker), renderSettings.cameraList);
  renderSettings.currentCameraNumber = 0;
  renderSettings.currentCamera = renderSettings.cameraList[0];
  refresh();
  redrawSwatch();
}

os::TextProblem checkRenderSettings(std::string_view text) {
  const std::size_t marker = text.find(kCameraMarker);
  if (os::TextProblem p = checkFog(text.substr(0, marker))) return p;
  if (marker == std::string_view::npos) return {};
  static Camera scratch[kStoredCameras];
  return os::shifted(readCameras(text.substr(marker), scratch), marker);
}

os::TextProblem checkRenderSettingsText(std::string_view text) {
  if (os::TextProblem p = os::checkPlainText(text)) return p;
  return checkRenderSettings(text);
}

bool loadRenderSettingsFile(const std::string& path, std::string* error) {
  std::string text;
  if (!os::readFile(path, &text, error)) return false;
  if (const os::TextProblem problem = checkRenderSettingsText(text)) {
    if (error) *error = os::refusalMessage(path, text, problem);
    return false;
  }
  readRenderSettings(text);
  return true;
}

bool saveRenderSettingsFile(const std::string& path, std::string* error) {
  const std::string name = path.find(".vrs") == std::string::npos ? path + ".vrs" : path;
  return os::writeFile(name, writeRenderSettings(), error);
}

}  // namespace vandrel::render
