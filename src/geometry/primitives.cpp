#include "geometry/primitives.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

#include "geometry/mesh_state.h"
#include "materials/materials.h"
#include "scene/catalogues.h"

namespace vandrel::geometry {

namespace {

using namespace vandrel::scene;

constexpr double kRad = kDegreesToRadians;
constexpr int kLastTextureNumber = 255;

double sinDeg(double degrees) { return std::sin(degrees * kRad); }
double cosDeg(double degrees) { return std::cos(degrees * kRad); }

// sinDeg and cosDeg of one angle, remembered: a grid repeats each row angle along
// the row and each column angle in every row. A hit needs the same argument bits,
// so the values are the very ones a fresh call would give.
struct TrigMemo {
  std::uint64_t bits = 0;
  bool set = false;
  double s = 0, c = 0;
  void of(double degrees, double& sine, double& cosine) {
    const std::uint64_t key = std::bit_cast<std::uint64_t>(degrees);
    if (!set || key != bits) {
      s = sinDeg(degrees);
      c = cosDeg(degrees);
      bits = key;
      set = true;
    }
    sine = s;
    cosine = c;
  }
};

thread_local TrigMemo rowMemo;
thread_local TrigMemo columnMemo[kGridStride];

// column picks the slot for U; any value is correct, a stable one just hits.
ObjectPoint sphere(double U, double V, double sx, double sy, double sz, int column) {
  const double a = V / 2, b = U;
  double sa, ca, sb, cb;
  rowMemo.of(a, sa, ca);
  columnMemo[static_cast<unsigned>(column) % kGridStride].of(b, sb, cb);
  return {sa * cb * sx, sa * sb * sy, ca * sz};
}

ObjectPoint tube(double U, double V, double sx, double sy, double sz) {
  const double b = U;
  return {sinDeg(b) * sx, cosDeg(b) * sy, sz * V / 180 - sz};
}

// Face k of a cube of half-edge D (in the face's own 180 units).
ObjectPoint cube(double U, double V, double D, int face, double sx, double sy, double sz) {
  const double c = U - 180, d = V - 180;
  double Xp, Yp, Zp;
  if (face < 4) {
    const double t = 90.0 * face;
    Xp = c * cosDeg(t) - D * sinDeg(t);
    Zp = c * sinDeg(t) + D * cosDeg(t);
    Yp = d;
  } else {
    const double t = 180.0 * face - 720 + 90;
    Xp = c;
    Zp = D * cosDeg(t) - d * sinDeg(t);
    Yp = d * cosDeg(t) + D * sinDeg(t);
  }
  return {sx * Xp / 180, sy * Yp / 180, sz * Zp / 180};
}

ObjectPoint torus(double U, int i, int M, double sx, double sy, double sz, double e) {
  const double b = U;
  const double r = 1 + cosDeg(b) * (sy + e) / 64;
  const double phi = i * 360.0 / torusRingDivisor(M);
  return {sz * sinDeg(b) * (sx + e) / 64, sz * r * cosDeg(phi), -sz * r * sinDeg(phi)};
}

}  // namespace

int HeightMap::height(int column, int row) const {
  if (!pixels || edge <= 0) return 0;
  column = std::clamp(column, 0, edge - 1);
  row = std::clamp(row, 0, edge - 1);
  return static_cast<int>(pixels[static_cast<std::size_t>(row) * edge + column] & 0xFFu);
}

HeightMap heightMapOf(const SceneObject& object, const BuildInputs& inputs) {
  HeightMap map;
  map.relief = materials::materialStore.bumpiness[object.material];
  const std::int32_t number = materials::materialStore.mapNumber[object.material];
  if (number < 1 || number > kLastTextureNumber || !inputs.texture) return map;
  const gfx::Texture* texture = inputs.texture(number);
  if (!texture) return map;
  map.pixels = texture->pixels();
  map.edge = texture->edge();
  return map;
}

int torusRingDivisor(int M) {
  const int M2 = 2 * (M / 2);
  return M2 < 2 ? 2 : M2;
}

ObjectPoint evaluatePrimitive(const SceneObject& object, const HeightMap& map, int j, int i, int N,
                              int M, double U, double V, int cubeFace) {
  const double sx = object.scaleX, sy = object.scaleY, sz = object.scaleZ;
  // h x sx x B is an integer product in the formulas; 64 bits keep it exact.
  const auto heightB = [&] {
    return static_cast<std::int64_t>(map.height(j == N ? 0 : j, i == M ? 0 : i));
  };
  const std::int64_t h = map.relief;
  switch (object.primitive) {
    case kSphere:
      return sphere(U, V, sx, sy, sz, j);
    case kTube:
      return tube(U, V, sx, sy, sz);
    case kCylinder: {
      ObjectPoint p = tube(U, V, sx, sy, sz);
      if (i == 0 || i == M) p.X = p.Y = 0;
      return p;
    }
    case kBarrel: {
      ObjectPoint p = tube(U, V, sx, sy, sz);
      if (i == M) p.X = p.Y = 0;
      return p;
    }
    case kPlane:
      return {2 * sx * U / 360 - sx, 2 * sy * V / 360 - sy, 0};
    case kLandscape: {
      const std::int64_t product = h * object.scaleX * heightB();
      return {2 * sx * U / 360 - sx, static_cast<double>(-product) * (1.0 / 16384),
              2 * sy * V / 360 - sy};
    }
    case kLandscapeOnSphere: {
      const double e = static_cast<double>(h * object.scaleX * heightB()) / 256;
      return sphere(U, V, sx + e, sy + e, sz + e, j);
    }
    case kLandscapeOnTube: {
      const double e = static_cast<double>(h * object.scaleX * heightB()) / 256;
      return tube(U, V, sx + e, sy + e, sz);
    }
    case kCube:
      return cube(U, V, 180, cubeFace, sx, sy, sz);
    case kLandscapeOnCube:
      return cube(U, V, 180 + static_cast<double>(h * heightB()) / 4, cubeFace, sx, sy, sz);
    case kLandscapeOnCubeMinus:
      return cube(U, V, 180 - static_cast<double>(h * heightB()) / 4, cubeFace, sx, sy, sz);
    case kPostprocessor:
      return {(sx * U / 360 - sx / 2) / 32, (sy * V / 360 - sy / 2) / 32, 0};
    case kTorus:
      return torus(U, i, M, sx, sy, sz, 0);
    case kLandscapeOnTorus: {
      const double e = static_cast<double>(h * object.scaleX * heightB()) / 16384;
      return torus(U, i, M, sx, sy, sz, e);
    }
    case kSun:
    case kLamp:
      return sphere(U, V, 32, 32, 32, j);
    default:
      return {0, 0, 0};
  }
}

}  // namespace vandrel::geometry
