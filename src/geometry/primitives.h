#pragma once
// The parametric surfaces every scene object is sampled from: one grid point
// (column j, row i) becomes an object-space point in object units.

#include <cstdint>

#include "geometry/build_inputs.h"
#include "scene/scene_store.h"

namespace vandrel::geometry {

struct ObjectPoint {
  double X, Y, Z;
};

// The landscape types' height source: level 0 of a device texture and the
// material's relief factor. Without pixels every height reads 0.
struct HeightMap {
  const std::uint32_t* pixels = nullptr;  // 0xAARRGGBB words, edge x edge
  int edge = 0;
  std::int32_t relief = 0;  // the material's bumpiness, h

  // The blue byte of texel (column, row), clamped to the texture's edge.
  int height(int column, int row) const;
};

// The height map of an object's material: texture mapNumber of the device's
// table; a number outside 1..255 or an empty table entry gives no pixels.
HeightMap heightMapOf(const scene::SceneObject& object, const BuildInputs& inputs);

// Even ring count of the torus; below 2 rings it is taken as 2 so that the
// ring angle stays defined.
int torusRingDivisor(int M);

// Evaluates primitive object.primitive at (j, i) of the effective grid N x M,
// U = 360 j / N and V = 360 i / M degrees; cubeFace selects the face of the
// cube types. The zbuf cleaner and unknown types give (0, 0, 0): the builder
// never evaluates them.
ObjectPoint evaluatePrimitive(const scene::SceneObject& object, const HeightMap& map, int j, int i,
                              int N, int M, double U, double V, int cubeFace);

}  // namespace vandrel::geometry
