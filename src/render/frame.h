#pragma once
// One complete frame of the current scene into the 3D view: animation clock, fog,
// the texture being edited, lights, the opaque and blended passes, the editing
// guides, present, and the copy of the image into texture entry 0.

#include <cstdint>

#include "geometry/build_inputs.h"

#include "platform/gfx/d3d9_types.h"

namespace vandrel::gfx {
class Device;
}

namespace vandrel::render {

inline constexpr double kTauPerMillisecond = 0.0030679618939757347;  // pi / 1024
inline constexpr std::uint32_t kClockPeriod = 65535;
inline constexpr gfx::D3DCOLOR kBackgroundColour = 0x00787878;
inline constexpr int kMaxSceneLights = 8;
inline constexpr int kGuideGridLines = 60;  // per plane

// The 3D view's toggles the frame reads (each 0 or 1; the guide grid 0, 1 or 2).
struct ViewToggles {
  int wireframe = 0;
  int animationFrozen = 0;
  int cleanView = 0;  // hides suns, lamps, invisible objects and the guides
  int guideGridMode = 0;
};

// What the texture animation publishes: with state 1 objects textured with the
// sinus slot show entry 254 instead, with state 2 and above those textured with
// the morph reference slot do; state 0 draws every texture as it is.
struct TextureAnimationState {
  int state = 0;
  int sinusSlot = 0;
  int referenceSlot = 0;
};

struct FrameState {
  ViewToggles view;
  TextureAnimationState animation;
  // Milliseconds of the animation clock; when null the frame reads clockValue,
  // so headless callers and tests can fix the time.
  std::uint32_t (*clock)() = nullptr;
  std::uint32_t clockValue = 0;
};

extern FrameState frameState;

// Toggles off, no texture animation, no clock hook, clock value 0.
void resetFrameState();

// A monotonic millisecond counter that can serve as the clock hook.
std::uint32_t tickCount();

// tau for a clock reading: (ms mod 65535) x pi / 1024, rounded once to float.
float animationTimeFor(std::uint32_t milliseconds);

// The mesh builder's inputs as they stand: the render quality, the current
// camera and the device's texture table.
geometry::BuildInputs meshInputs();

// Renders with tau from the clock (0 while the animation is frozen). Returns 0.
// Does nothing without a device.
int renderFrame();
// Renders with the given tau (0 while the animation is frozen). Returns 0.
int renderFrameAt(float tau);

// Shared with object picking.
namespace detail {
// The view rotation of the mesh build applied to an object-space point.
void rotateByView(double& X, double& Y, double& Z);
// Cull mode of a normal mode; false for a mode outside the catalogue (nothing set).
bool setCullFromNormalMode(gfx::Device& device, int normalMode);
// The last mesh built as a triangle list, nothing when it is empty.
void drawCurrentMesh(gfx::Device& device);
}  // namespace detail

}  // namespace vandrel::render
