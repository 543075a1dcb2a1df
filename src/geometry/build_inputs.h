#pragma once
// What a mesh is built from besides the scene and the materials: the render
// quality, the camera the scene is seen from, and the textures landscapes take
// their heights from. The renderer owns all three and hands them in.

#include <functional>

#include "platform/gfx/texture.h"

namespace vandrel::geometry {

inline constexpr double kDegreesToRadians = 0.017453292519943295;

struct Camera {
  double eyeX, eyeY, eyeZ;
  double targetX, targetY, targetZ;
  double angle;  // added to the rotation derived from eye and target
  double zoom;
};

// Eye at the origin looking along +z from 100 away, zoom 1.
constexpr Camera startupCamera() { return Camera{0, 0, 0, 0, 0, 100, 0, 1.0}; }

struct BuildInputs {
  int quality = 128;
  Camera camera = startupCamera();
  // Texture n (1..255) of the device's table, or null when there is none.
  std::function<const gfx::Texture*(int n)> texture;
};

}  // namespace vandrel::geometry
