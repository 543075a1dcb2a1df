// The modifier evaluator: runs an object's modifier list on the mesh builder's
// current point, its base texture coordinates and the selection flags.

#include "geometry/modifiers.h"

#include <algorithm>
#include <bit>
#include <bitset>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "geometry/mesh_state.h"
#include "scene/scene_store.h"

namespace vandrel::geometry {
namespace {

using scene::kObjectSlots;
using scene::kSceneTable;
using scene::Modifier;
using scene::ModifierList;
using scene::SceneObject;

constexpr double kPi = std::numbers::pi;
constexpr double kPhaseUnit = 1.40625;  // 360 / 256 degrees

double radians(double degrees) { return degrees * kPi / 180.0; }

// Low 8 bits of trunc(v), 0..255, also for negative v. fmod is exact, so this
// holds for every finite v without an integer conversion that could overflow.
int low8(double v) {
  if (!std::isfinite(v)) return 0;
  double r = std::fmod(std::trunc(v), 256.0);
  if (r < 0) r += 256.0;
  return static_cast<int>(r);
}

// a / b for the grid-position waves; the light set-up can evaluate with an empty
// grid (N' or M' = 0), where 0 / 0 would poison the point with NaN.
double ratio(double a, double b) { return b == 0 ? 0.0 : a / b; }

// The two rotation forms: Rx and Ry share "plus", Ry' and Rz share "minus".
void rotatePlus(double& u, double& v, double t) {
  const double c = std::cos(t), s = std::sin(t);
  const double nu = u * c + v * s;
  v = v * c - u * s;
  u = nu;
}
void rotateMinus(double& u, double& v, double t) {
  const double c = std::cos(t), s = std::sin(t);
  const double nu = u * c - v * s;
  v = v * c + u * s;
  u = nu;
}

// sin and cos of an angle that is the same for every point of an object (a phase
// or a fixed turn), remembered by its exact bits: a hit returns the values a fresh
// call would.
struct TrigMemo {
  std::uint64_t bits = 0;
  bool set = false;
  double s = 0, c = 0;
  bool holds(double t) const { return set && std::bit_cast<std::uint64_t>(t) == bits; }
  void store(double t, double sine, double cosine) {
    bits = std::bit_cast<std::uint64_t>(t);
    set = true;
    s = sine;
    c = cosine;
  }
};

thread_local TrigMemo phaseMemo;
thread_local TrigMemo turnMemo;

double phaseSine(double t) {
  if (!phaseMemo.holds(t)) phaseMemo.store(t, std::sin(t), 0);
  return phaseMemo.s;
}

// rotatePlus / rotateMinus for a fixed angle.
void turnPlus(double& u, double& v, double t) {
  if (!turnMemo.holds(t)) turnMemo.store(t, std::sin(t), std::cos(t));
  const double c = turnMemo.c, s = turnMemo.s;
  const double nu = u * c + v * s;
  v = v * c - u * s;
  u = nu;
}
void turnMinus(double& u, double& v, double t) {
  if (!turnMemo.holds(t)) turnMemo.store(t, std::sin(t), std::cos(t));
  const double c = turnMemo.c, s = turnMemo.s;
  const double nu = u * c - v * s;
  v = v * c + u * s;
  u = nu;
}

enum class Axis { X, Y, YPrime, Z };

// rotate() for a fixed angle.
void turn(Axis axis, double& x, double& y, double& z, double t) {
  switch (axis) {
    case Axis::X: turnPlus(y, z, t); break;
    case Axis::Y: turnPlus(x, z, t); break;
    case Axis::YPrime: turnMinus(x, z, t); break;
    case Axis::Z: turnMinus(x, y, t); break;
  }
}

void rotate(Axis axis, double& x, double& y, double& z, double t) {
  switch (axis) {
    case Axis::X: rotatePlus(y, z, t); break;
    case Axis::Y: rotatePlus(x, z, t); break;
    case Axis::YPrime: rotateMinus(x, z, t); break;
    case Axis::Z: rotateMinus(x, y, t); break;
  }
}

struct AnimationParameters {
  double S = 0, P = 0, As = 0, Ar = 0, Ax = 0, Ay = 0, Az = 0;
};

// phi in degrees, computed in double and rounded once to float32. Values beyond
// float range (only a runaway animation time) saturate instead of turning into
// an infinity whose sine is NaN.
double phaseAngle(const AnimationParameters& p) {
  double v = p.P * kPhaseUnit + static_cast<double>(animationTime) * p.S;
  if (std::isnan(v)) v = 0;
  v = std::clamp(v, -static_cast<double>(FLT_MAX), static_cast<double>(FLT_MAX));
  return static_cast<double>(static_cast<float>(v));
}

}  // namespace

void applyModifiers(MeshPoint& p) {
  MeshState& m = meshState;
  const int scene = scene::sceneStore.currentScene;
  if (scene < 0 || scene >= kSceneTable) return;
  const int home = scene::sceneStore.scenes[scene].currentObject;
  const SceneObject& homeRecord = scene::objectRecord(scene, home);
  const double homeX = homeRecord.posX / 64.0;
  const double homeY = homeRecord.posY / 64.0;
  const double homeZ = homeRecord.posZ / 64.0;

  // Before the first reset the flag table is not allocated yet: start-up state.
  if (m.selection.size() != static_cast<std::size_t>(kGridCapacity))
    m.selection.assign(kGridCapacity, 1);
  const int fi = std::clamp(p.i, 0, kGridStride - 1);
  const int fj = std::clamp(p.j, 0, kGridStride - 1);
  std::uint8_t& flag = m.selection[static_cast<std::size_t>(fi) * kGridStride + fj];

  // Per point: which objects already lent their list, so cycles end and a
  // source still applies at every grid point.
  std::bitset<kObjectSlots> visited;
  bool homeOffset = false;
  int walked = home;

  for (;;) {
    const SceneObject& object = scene::objectRecord(scene, walked);
    const ModifierList& list = scene::modifierList(scene, walked);
    AnimationParameters anim;
    int lender = -1;

    for (int k = 0; k < list.count; ++k) {
      const Modifier& mod = list.modifiers[k];
      const int kind = mod.kind;
      if (kind > 64) continue;
      if (flag == 0 && (kind < 57 || kind > 63)) continue;

      const double x = mod.offsetX, y = mod.offsetY, z = mod.offsetZ;
      const double rad = mod.radius, str = mod.strength;
      const double phi = phaseAngle(anim);
      const double s = phaseSine(radians(phi));
      const double a = radians(phi);
      const double cx = (s * anim.Ax + x) / 64;
      const double cy = (s * anim.Ay + y) / 64;
      const double cz = (s * anim.Az + z) / 64;
      const double G = s * anim.As + str;
      const double R = 2 * rad / 64;

      // Work on a copy placed at the home position when the offset is on; only
      // coordinates a kind changes are written back, so kinds that do not move
      // the point leave it bit for bit.
      const double ox = homeOffset ? homeX : 0.0;
      const double oy = homeOffset ? homeY : 0.0;
      const double oz = homeOffset ? homeZ : 0.0;
      const double X0 = p.X + ox, Y0 = p.Y + oy, Z0 = p.Z + oz;
      double X = X0, Y = Y0, Z = Z0;
      double dx = X - cx, dy = Y - cy, dz = Z - cz;
      const double dist = std::sqrt(dx * dx + dy * dy + dz * dz);
      const bool inside = dist < std::abs(R);

      auto localRotation = [&](Axis axis, double t) {
        rotate(axis, dx, dy, dz, t);
        X = cx + dx;
        Y = cy + dy;
        Z = cz + dz;
      };
      auto localTurn = [&](Axis axis, double t) {
        turn(axis, dx, dy, dz, t);
        X = cx + dx;
        Y = cy + dy;
        Z = cz + dz;
      };
      // A shear or trapezoid divides by (scale + 1); with a scale of -1 the term
      // is 0 instead of an infinity (or NaN), so the point stays where it is.
      auto perScale = [](double num, double scale) {
        return scale + 1 == 0 ? 0.0 : num / (scale + 1);
      };
      const double sx = object.scaleX, sy = object.scaleY, sz = object.scaleZ;

      switch (kind) {
        case 0:
          if (inside) {
            const double f = str / 64;
            double qx, qy, qz;
            if (R > 0) {
              const double g = std::max(1.0, R / (dist + 0.05));
              qx = cx + dx * g;
              qy = cy + dy * g;
              qz = cz + dz * g;
            } else {
              // R < 0 here: nothing is inside a sphere of radius 0.
              const double r = dist / std::abs(R);
              const double g = r * r * r;
              qx = cx * (1 - g) + X * g;
              qy = cy * (1 - g) + Y * g;
              qz = cz * (1 - g) + Z * g;
            }
            X = X * (1 - 2 * f) + 2 * f * qx;
            Y = Y * (1 - 2 * f) + 2 * f * qy;
            Z = Z * (1 - 2 * f) + 2 * f * qz;
          }
          break;
        case 1: {
          const double r = std::abs(R);
          X = std::min(std::max(X, cx - r), cx + r);
          Y = std::min(std::max(Y, cy - r), cy + r);
          Z = std::min(std::max(Z, cz - r), cz + r);
          break;
        }
        case 2:
        case 3:
        case 4:
          if (inside) {
            const double t = radians(G * std::sin(radians(80 * (R - dist))));
            localRotation(kind == 2 ? Axis::X : kind == 3 ? Axis::Y : Axis::Z, t);
          }
          break;
        case 5:
          if (inside) localRotation(Axis::YPrime, radians(G * std::sin(radians(80 * dx))));
          break;
        case 6:
          if (inside) localRotation(Axis::Z, radians(G * std::sin(radians(80 * dy))));
          break;
        case 7:
          if (inside) localRotation(Axis::X, radians(G * std::sin(radians(80 * dy))));
          break;
        case 8:
        case 9:
        case 10:
          if (inside)
            localTurn(kind == 8   ? Axis::X
                          : kind == 9 ? Axis::Y
                                      : Axis::Z,
                          radians(G * kPhaseUnit));
          break;
        case 11: turn(Axis::X, X, Y, Z, radians(G * kPhaseUnit)); break;
        case 12: turn(Axis::Y, X, Y, Z, radians(G * kPhaseUnit)); break;
        case 13: turn(Axis::Z, X, Y, Z, radians(G * kPhaseUnit)); break;
        case 14: X = -X; break;
        case 15: Y = -Y; break;
        case 16: Z = -Z; break;
        case 17:
          if (inside) {
            X = cx + dx * G / 256;
            Y = cy + dy * G / 256;
            Z = cz + dz * G / 256;
          }
          break;
        case 18:
          if (inside) {
            X = X * G / 64;
            Y = Y * G / 64;
            Z = Z * G / 64;
          }
          break;
        case 19: X = X * G / 32; break;
        case 20: Y = Y * G / 32; break;
        case 21: Z = Z * G / 32; break;
        case 22: {
          const double w = a * R;
          const double e = dist * kPi / 180;
          X += std::sin(64 * w + e) * str / 16;
          Y += std::cos(54 * w + e) * str / 16;
          Z += std::sin(e - 106.81416130065918 * w) * str / 16;
          break;
        }
        case 23: {
          const double f = 1 + std::sin(64 * a * R) * str / 128;
          X *= f;
          Y *= f;
          Z *= f;
          break;
        }
        case 24:
          X = X * (perScale(G * Y, sy) + 1);
          Z = Z * (perScale((rad + s * anim.Ar) * Y, sy) + 1);
          break;
        case 25:
          Y = Y * (perScale(G * X, sx) + 1);
          Z = Z * (perScale((rad + s * anim.Ar) * X, sx) + 1);
          break;
        case 26:
          Y = Y * (perScale(G * Z, sz) + 1);
          X = X * (perScale((rad + s * anim.Ar) * Z, sz) + 1);
          break;
        case 27: X = X + perScale(G * Y, sy); break;
        case 28: Y = Y + perScale(G * X, sx); break;
        case 29: Z = Z + perScale(G * Y, sz); break;
        case 30: {
          const int primitive = object.primitive;
          const bool cubeLike = primitive >= 11 && primitive <= 13;
          if (!cubeLike || mod.radius == m.cubeFace)
            rotateMinus(p.tu0, p.tv0, radians(G * kPhaseUnit));
          break;
        }
        case 31:
          X = X * G / 32;
          Y = Y * G / 32;
          Z = Z * G / 32;
          break;
        case 32:
          anim.S = str;
          anim.P = rad;
          anim.As = x;
          anim.Ar = y;
          break;
        case 33:
          anim.Ax = x;
          anim.Ay = y;
          anim.Az = z;
          break;
        case 34:
          if (inside) localRotation(Axis::YPrime, radians(G * std::sin(radians(4 * R * dx))));
          break;
        case 35:
          if (inside) localRotation(Axis::Z, radians(G * std::sin(radians(4 * R * dy))));
          break;
        case 36:
          if (inside) localRotation(Axis::X, radians(G * std::sin(radians(4 * R * dy))));
          break;
        case 37:
        case 38:
        case 39: {
          const double t = radians(std::floor(low8(phi) * 360.0 / 256));
          localRotation(kind == 37 ? Axis::X : kind == 38 ? Axis::Y : Axis::Z, t);
          break;
        }
        case 40: p.tu0 = p.tu0 + low8(phi) / 256.0; break;
        case 41: p.tv0 = p.tv0 + low8(phi) / 256.0; break;
        case 42:
        case 53:
        case 54: {
          const double column =
              kind == 54 ? ratio((m.N - p.j) * 16.0, m.N) : ratio(p.j * 16.0, m.N);
          const double t = radians((column + ratio(p.i * 16.0, m.M)) * rad * kPhaseUnit + phi);
          if (kind == 42) {
            p.tu0 += std::sin(t) * str / 256;
            p.tv0 += std::cos(t) * str / 256;
          } else {
            X += std::sin(t) * str / 256;
            Y += std::cos(t) * str / 256;
          }
          break;
        }
        case 43:
        case 44: {
          const double rho =
              std::sqrt((p.tv0 - 0.5) * (p.tv0 - 0.5) + (p.tu0 - 0.5) * (p.tu0 - 0.5));
          if (kind == 43) {
            const double t = radians(rho * 32 * rad * kPhaseUnit + phi);
            p.tu0 += std::sin(t) * str / 256;
            p.tv0 += std::cos(t) * str / 256;
          } else {
            const double f = 1 + std::sin(rho * rad + a) * str / 64;
            p.tu0 = (p.tu0 - 0.5) * f + 0.5;
            p.tv0 = (p.tv0 - 0.5) * f + 0.5;
          }
          break;
        }
        case 45:
          p.tu0 += std::sin(radians(ratio(p.j * 32.0, m.N) * rad * kPhaseUnit + phi)) * str / 256;
          break;
        case 46:
          p.tv0 += std::cos(radians(ratio(p.i * 32.0, m.M) * rad * kPhaseUnit + phi)) * str / 256;
          break;
        case 47: {
          const double q = std::abs(s / 64);
          X += q * anim.Ax;
          Y += q * anim.Ay;
          Z += q * anim.Az;
          break;
        }
        case 48:
          if (inside) Y = Y + (X * X + Z * Z) * str / 1024;
          break;
        case 49:
          if (std::abs(Y + cy) >= 1) Y = Y + ((X * X + Z * Z) * str / 1024) / (Y + cy);
          break;
        case 50:
          X += cx;
          Y += cy;
          Z += cz;
          break;
        case 51:
        case 52: {
          const int target = mod.strength;
          if (target != home && target >= 0 && target < kObjectSlots && !visited.test(target)) {
            visited.set(target);
            if (kind == 52) homeOffset = true;
            lender = target;
          }
          break;
        }
        case 55: Y = Y + std::sin(x * X + a) * str / 32 + std::sin(z * Z + a) * rad / 32; break;
        case 56: Y = Y + std::sin(std::sqrt(dx * dx + dz * dz) * rad / 32 + a) * str / 32; break;
        case 57:
          if (inside) flag = 1;
          break;
        case 58:
          if (inside) flag = 0;
          break;
        case 59: flag = 1; break;
        case 60: flag = 0; break;
        case 61: flag = flag == 0 ? 1 : 0; break;
        case 62:
          if (flag == 1 && (p.i % 2 == 0 || p.j % 2 == 0)) flag = 0;
          break;
        case 63: flag = inside ? 1 : 0; break;
        case 64: {
          const int v = low8(4 * phi) - 128;
          X += v * anim.Ax / 64;
          Y += v * anim.Ay / 64;
          Z += v * anim.Az / 64;
          break;
        }
        default: break;
      }

      if (X != X0) p.X = X - ox;
      if (Y != Y0) p.Y = Y - oy;
      if (Z != Z0) p.Z = Z - oz;
      if (lender >= 0) break;  // the rest of this list is not evaluated
    }

    if (lender < 0) break;
    walked = lender;
  }
}

void applyModifiers() {
  MeshState& m = meshState;
  MeshPoint p{m.X, m.Y, m.Z, m.tu0, m.tv0, m.i, m.j};
  applyModifiers(p);
  m.X = p.X, m.Y = p.Y, m.Z = p.Z, m.tu0 = p.tu0, m.tv0 = p.tv0;
}

void applyModifiersToPoint(double& X, double& Y, double& Z) {
  meshState.X = X;
  meshState.Y = Y;
  meshState.Z = Z;
  applyModifiers();
  X = meshState.X;
  Y = meshState.Y;
  Z = meshState.Z;
}

}  // namespace vandrel::geometry
