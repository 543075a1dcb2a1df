#pragma once
// What the renderer needs besides the scene: the global quality and render-target
// size, the current camera every frame is drawn from, the numbered camera list and
// the fly between two of its entries, and the ".vrs" text that stores them with the
// fog of every scene (the fog itself lives in the scene store's Scene records).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "geometry/build_inputs.h"
#include "platform/os/hook.h"
#include "platform/os/text_checks.h"

namespace vandrel::render {

inline constexpr int kCameraCount = 255;    // list entries 0..254
inline constexpr int kLastCamera = 254;
inline constexpr int kStoredCameras = 254;  // entry 254 is not saved
inline constexpr std::int32_t kStartQuality = 128;
inline constexpr std::int32_t kStartRenderTargetSize = 32;
inline constexpr std::int32_t kFogDefaultColour = 255;
inline constexpr std::int32_t kFogDefaultStart = 240;
inline constexpr std::int32_t kFogDefaultEnd = 255;
using geometry::kDegreesToRadians;
inline constexpr float kFlyStep = 0.00999999977648258f;

// Eight float64: eye, target, an angle added to the view rotation, the zoom.
using geometry::Camera;
using geometry::startupCamera;

struct RenderSettings {
  std::int32_t quality;           // read by the geometry builder
  std::int32_t renderTargetSize;  // edge of texture slot 0
  Camera currentCamera;
  Camera cameraList[kCameraCount];
  std::int32_t currentCameraNumber;  // 0..254
  std::int32_t flying;               // 1 while a fly runs: no idle frames then
};

extern RenderSettings renderSettings;

// Where the render settings dialog plugs in; empty hooks do nothing.
struct RenderSettingsHooks {
  os::Hook<void()> refresh;       // trackbars and camera number from the data
  os::Hook<void()> redrawSwatch;  // the fog colour swatch
};

extern RenderSettingsHooks renderSettingsHooks;

// State after start-up and the dialog's creation: quality 128, size 32, the start-up
// camera current and copied into every list entry, camera 0, and the fog defaults
// written into the scene that is current now (the scene store must be reset first).
void resetRenderSettings();

// The fog defaults 255, 255, 255, 240, 255 for one scene.
void setFogDefaults(int scene);

// "<" / ">": the number moves within 0..254; the list entry is loaded in any case.
void previousCamera();
void nextCamera();
// "взять": the list entry takes a copy of the current camera.
void takeCamera();
// A typed camera number is taken when it names a list entry (nothing is loaded:
// "взять" then stores the view there); anything else leaves the stored number,
// which the refreshed dialog shows again.
void typeCameraNumber(std::optional<int> number);
// The render target size list: another size is stored and the device's target
// made again at it.
void chooseRenderTargetSize(int size);

// The current scene's fog colour as 0xRRGGBB, the swatch's pixel and the chooser's
// start. Unsigned, since a pack may hold any fog value and the signed sum would
// overflow.
std::uint32_t fogColour();
// A colour from the chooser into the current scene's fog; the dialog follows.
void setFogColour(std::uint32_t rgb);

struct RenderSettingsTrackbars {
  int fogRed, fogGreen, fogBlue, fogStart, fogEnd;
  int zoom;  // 1..255, 64 = 1.0
  int quality;
};

// Any trackbar moved: fog into the current scene, zoom into the current camera
// (not the list), quality; then the swatch.
void storeTrackbars(const RenderSettingsTrackbars& positions);

// The eased blend at t: slow at both ends, A at t = 0 and B at t = 1.
Camera cameraFlyBlend(const Camera& a, const Camera& b, float t);

// Flies from the current list entry to the next one, calling renderFrame (may be
// empty) with each blended camera current, then makes the next entry current.
// When landNow (may be empty) says so after a frame, the fly ends there, on the
// next entry all the same. From entry 254 there is no next entry: nothing
// happens and it returns false.
bool cameraFly(const std::function<void()>& renderFrame, const std::function<bool()>& landNow = {});

// The ".vrs" text: fog of every scene in use, "camera_", list entries 0..253.
std::string writeRenderSettings();

// Reads a ".vrs" text, never beyond its end. Fog numbers are taken only from the text
// before the first "camera_", so a file written with fewer scenes than are in use
// never has its camera lines read as fog; fog values and camera numbers the text does
// not carry keep their values. Each camera line is read up to its line feed. Then
// camera 0 becomes current, and the dialog is refreshed and its swatch redrawn.
void readRenderSettings(std::string_view text);

// What a load refuses: a value that is not a plain number, or a camera zoom below
// 1 (in 64ths). checkRenderSettings looks at the payload only (as a pack holds it),
// checkRenderSettingsText at a whole ".vrs" file.
os::TextProblem checkRenderSettings(std::string_view text);
os::TextProblem checkRenderSettingsText(std::string_view text);

// A failed or refused load changes nothing (error says why, naming the file);
// ".vrs" is appended to a save name without it.
bool loadRenderSettingsFile(const std::string& path, std::string* error);
bool saveRenderSettingsFile(const std::string& path, std::string* error);

}  // namespace vandrel::render
