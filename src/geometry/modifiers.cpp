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
#include "scene/modifier_kinds.h"
#include "scene/scene_store.h"

namespace vandrel::geometry {
namespace {

using scene::kObjectSlots;
using scene::kSceneTable;
using scene::Modifier;
using scene::ModifierKind;
using scene::ModifierList;
using enum scene::ModifierKind;
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

// What one modifier works with at one point: its fields, the values derived from
// them and from the animation parameters, and the point. The point is a copy,
// placed at the home position when the home offset is on; the walk writes back
// only the coordinates a kind changed, so kinds that do not move the point leave
// it bit for bit.
struct Step {
  Step(const Modifier& mod, const AnimationParameters& animation, double X0, double Y0, double Z0)
      : anim(animation), x(mod.offsetX), y(mod.offsetY), z(mod.offsetZ), rad(mod.radius), str(mod.strength) {
    phi = phaseAngle(anim);
    s = phaseSine(radians(phi));
    a = radians(phi);
    cx = (s * anim.Ax + x) / 64;
    cy = (s * anim.Ay + y) / 64;
    cz = (s * anim.Az + z) / 64;
    G = s * anim.As + str;
    R = 2 * rad / 64;
    X = X0, Y = Y0, Z = Z0;
    dx = X - cx, dy = Y - cy, dz = Z - cz;
    dist = std::sqrt(dx * dx + dy * dy + dz * dz);
    inside = dist < std::abs(R);
  }

  const AnimationParameters& anim;
  double x, y, z, rad, str;  // the modifier's fields
  double phi, s, a;          // phase in degrees, its sine, the phase in radians
  double cx, cy, cz;         // centre
  double G;                  // effective strength
  double R;                  // radius of influence
  double X, Y, Z;
  double dx, dy, dz, dist;   // the point seen from the centre
  bool inside;
};

// Local rotations turn the point about the centre.
void localRotation(Step& st, Axis axis, double t) {
  rotate(axis, st.dx, st.dy, st.dz, t);
  st.X = st.cx + st.dx;
  st.Y = st.cy + st.dy;
  st.Z = st.cz + st.dz;
}
void localTurn(Step& st, Axis axis, double t) {
  turn(axis, st.dx, st.dy, st.dz, t);
  st.X = st.cx + st.dx;
  st.Y = st.cy + st.dy;
  st.Z = st.cz + st.dz;
}

// A turn by G byte angles (256 to the full turn).
double byteTurn(const Step& st) { return radians(st.G * kPhaseUnit); }

// --- Deformers: act around the centre, most of them only inside its sphere.

void breathe(Step& st) {
  const double f = st.str / 64;
  double qx, qy, qz;
  if (st.R > 0) {
    const double g = std::max(1.0, st.R / (st.dist + 0.05));
    qx = st.cx + st.dx * g;
    qy = st.cy + st.dy * g;
    qz = st.cz + st.dz * g;
  } else {
    // R < 0 here: nothing is inside a sphere of radius 0.
    const double r = st.dist / std::abs(st.R);
    const double g = r * r * r;
    qx = st.cx * (1 - g) + st.X * g;
    qy = st.cy * (1 - g) + st.Y * g;
    qz = st.cz * (1 - g) + st.Z * g;
  }
  st.X = st.X * (1 - 2 * f) + 2 * f * qx;
  st.Y = st.Y * (1 - 2 * f) + 2 * f * qy;
  st.Z = st.Z * (1 - 2 * f) + 2 * f * qz;
}

void limit(Step& st) {
  const double r = std::abs(st.R);
  st.X = std::min(std::max(st.X, st.cx - r), st.cx + r);
  st.Y = std::min(std::max(st.Y, st.cy - r), st.cy + r);
  st.Z = std::min(std::max(st.Z, st.cz - r), st.cz + r);
}

double twistAngle(const Step& st) { return radians(st.G * std::sin(radians(80 * (st.R - st.dist)))); }

// A bend turns by G x sin(frequency x d degrees) degrees, d the distance along one axis.
double bendAngle(const Step& st, double frequency, double d) {
  return radians(st.G * std::sin(radians(frequency * d)));
}

void stretch(Step& st) {
  st.X = st.cx + st.dx * st.G / 256;
  st.Y = st.cy + st.dy * st.G / 256;
  st.Z = st.cz + st.dz * st.G / 256;
}

void zoom(Step& st, double by) {
  st.X = st.X * st.G / by;
  st.Y = st.Y * st.G / by;
  st.Z = st.Z * st.G / by;
}

// Lifts the point with the square of its distance from the vertical axis.
void brush(Step& st) { st.Y = st.Y + (st.X * st.X + st.Z * st.Z) * st.str / 1024; }

// The same lift divided by the height above the centre, where that is at least 1.
void brushWithStop(Step& st) {
  if (std::abs(st.Y + st.cy) >= 1) st.Y = st.Y + ((st.X * st.X + st.Z * st.Z) * st.str / 1024) / (st.Y + st.cy);
}

bool deformLocally(ModifierKind kind, Step& st) {
  switch (kind) {
    case kBreathe: if (st.inside) breathe(st); break;
    case kLimiter: limit(st); break;
    case kTwistX: if (st.inside) localRotation(st, Axis::X, twistAngle(st)); break;
    case kTwistY: if (st.inside) localRotation(st, Axis::Y, twistAngle(st)); break;
    case kTwistZ: if (st.inside) localRotation(st, Axis::Z, twistAngle(st)); break;
    case kCBendX: if (st.inside) localRotation(st, Axis::YPrime, bendAngle(st, 80, st.dx)); break;
    case kCBendY: if (st.inside) localRotation(st, Axis::Z, bendAngle(st, 80, st.dy)); break;
    case kCBendZ: if (st.inside) localRotation(st, Axis::X, bendAngle(st, 80, st.dy)); break;
    case kBendX: if (st.inside) localRotation(st, Axis::YPrime, bendAngle(st, 4 * st.R, st.dx)); break;
    case kBendY: if (st.inside) localRotation(st, Axis::Z, bendAngle(st, 4 * st.R, st.dy)); break;
    case kBendZ: if (st.inside) localRotation(st, Axis::X, bendAngle(st, 4 * st.R, st.dy)); break;
    case kTurnX: if (st.inside) localTurn(st, Axis::X, byteTurn(st)); break;
    case kTurnY: if (st.inside) localTurn(st, Axis::Y, byteTurn(st)); break;
    case kTurnZ: if (st.inside) localTurn(st, Axis::Z, byteTurn(st)); break;
    case kStretch: if (st.inside) stretch(st); break;
    case kZoomXyz: if (st.inside) zoom(st, 64); break;  // about the origin, not the centre
    case kBottleBrush: if (st.inside) brush(st); break;
    case kBottleBrushWithStop: brushWithStop(st); break;
    case kDisplacement:
      st.X += st.cx;
      st.Y += st.cy;
      st.Z += st.cz;
      break;
    default: return false;
  }
  return true;
}

// --- Global transforms: act on the whole object, about the origin.

// A shear or trapezoid divides by (scale + 1); with a scale of -1 the term is 0
// instead of an infinity (or NaN), so the point stays where it is.
double perScale(double num, double scale) { return scale + 1 == 0 ? 0.0 : num / (scale + 1); }

// Widens `first` by G and `second` by the animated radius, both growing along `along`.
void trapezoid(const Step& st, double along, double scale, double& first, double& second) {
  first = first * (perScale(st.G * along, scale) + 1);
  second = second * (perScale((st.rad + st.s * st.anim.Ar) * along, scale) + 1);
}

bool transformGlobally(ModifierKind kind, Step& st, const SceneObject& object) {
  const double sx = object.scaleX, sy = object.scaleY, sz = object.scaleZ;
  switch (kind) {
    case kGlobalTurnX: turn(Axis::X, st.X, st.Y, st.Z, byteTurn(st)); break;
    case kGlobalTurnY: turn(Axis::Y, st.X, st.Y, st.Z, byteTurn(st)); break;
    case kGlobalTurnZ: turn(Axis::Z, st.X, st.Y, st.Z, byteTurn(st)); break;
    case kGlobalMirrorX: st.X = -st.X; break;
    case kGlobalMirrorY: st.Y = -st.Y; break;
    case kGlobalMirrorZ: st.Z = -st.Z; break;
    case kGlobalZoomX: st.X = st.X * st.G / 32; break;
    case kGlobalZoomY: st.Y = st.Y * st.G / 32; break;
    case kGlobalZoomZ: st.Z = st.Z * st.G / 32; break;
    case kGlobalZoomXyz: zoom(st, 32); break;
    case kGlobalTrapezoidY: trapezoid(st, st.Y, sy, st.X, st.Z); break;
    case kGlobalTrapezoidX: trapezoid(st, st.X, sx, st.Y, st.Z); break;
    case kGlobalTrapezoidZ: trapezoid(st, st.Z, sz, st.Y, st.X); break;
    case kGlobalSkewX: st.X = st.X + perScale(st.G * st.Y, sy); break;
    case kGlobalSkewY: st.Y = st.Y + perScale(st.G * st.X, sx); break;
    case kGlobalSkewZ: st.Z = st.Z + perScale(st.G * st.Y, sz); break;
    case kGlobalWaves:
      // The x and z offsets serve as frequencies here.
      st.Y = st.Y + std::sin(st.x * st.X + st.a) * st.str / 32 + std::sin(st.z * st.Z + st.a) * st.rad / 32;
      break;
    case kGlobalRadialWaves:
      st.Y = st.Y + std::sin(std::sqrt(st.dx * st.dx + st.dz * st.dz) * st.rad / 32 + st.a) * st.str / 32;
      break;
    default: return false;
  }
  return true;
}

// --- Animation: kinds that follow the phase, and the two that set its parameters
// for the modifiers after them.

void wobble(Step& st) {
  const double w = st.a * st.R;
  const double e = st.dist * kPi / 180;
  st.X += std::sin(64 * w + e) * st.str / 16;
  st.Y += std::cos(54 * w + e) * st.str / 16;
  st.Z += std::sin(e - 106.81416130065918 * w) * st.str / 16;
}

void pulse(Step& st) {
  const double f = 1 + std::sin(64 * st.a * st.R) * st.str / 128;
  st.X *= f;
  st.Y *= f;
  st.Z *= f;
}

// Whole degrees of the phase's low byte: the phase read as a byte angle.
double spinAngle(const Step& st) { return radians(std::floor(low8(st.phi) * 360.0 / 256)); }

void jump(Step& st) {
  const double q = std::abs(st.s / 64);
  st.X += q * st.anim.Ax;
  st.Y += q * st.anim.Ay;
  st.Z += q * st.anim.Az;
}

// A saw-tooth drift along the centre amplitudes.
void drift(Step& st) {
  const int v = low8(4 * st.phi) - 128;
  st.X += v * st.anim.Ax / 64;
  st.Y += v * st.anim.Ay / 64;
  st.Z += v * st.anim.Az / 64;
}

bool animate(ModifierKind kind, Step& st, AnimationParameters& anim) {
  switch (kind) {
    case kAnimatedGlobalWobble: wobble(st); break;
    case kAnimatedGlobalZoom: pulse(st); break;
    case kAnimationSpeedPhase:
      anim.S = st.str;
      anim.P = st.rad;
      anim.As = st.x;
      anim.Ar = st.y;
      break;
    case kAnimationAmplitude:
      anim.Ax = st.x;
      anim.Ay = st.y;
      anim.Az = st.z;
      break;
    case kAnimatedTurnX: localRotation(st, Axis::X, spinAngle(st)); break;
    case kAnimatedTurnY: localRotation(st, Axis::Y, spinAngle(st)); break;
    case kAnimatedTurnZ: localRotation(st, Axis::Z, spinAngle(st)); break;
    case kAnimatedJumps: jump(st); break;
    case kAnimatedPerpetualMotion: drift(st); break;
    default: return false;
  }
  return true;
}

// --- Texture coordinates and waves over the grid.

// The angle of the waves that run across the grid, in radians; `column` is the
// column's share of 16.
double gridWaveAngle(const Step& st, const MeshPoint& p, double column) {
  return radians((column + ratio(p.i * 16.0, meshState.M)) * st.rad * kPhaseUnit + st.phi);
}

void rotateTexture(const Step& st, MeshPoint& p, const SceneObject& object) {
  const int primitive = object.primitive;
  const bool cubeLike = primitive >= 11 && primitive <= 13;
  if (!cubeLike || st.rad == meshState.cubeFace) rotateMinus(p.tu0, p.tv0, byteTurn(st));
}

// Distance of the texture coordinates from the middle of the texture.
double textureRadius(const MeshPoint& p) {
  return std::sqrt((p.tv0 - 0.5) * (p.tv0 - 0.5) + (p.tu0 - 0.5) * (p.tu0 - 0.5));
}

void shiftTexture(const Step& st, MeshPoint& p, double t) {
  p.tu0 += std::sin(t) * st.str / 256;
  p.tv0 += std::cos(t) * st.str / 256;
}

void zoomTextureRadially(const Step& st, MeshPoint& p) {
  const double f = 1 + std::sin(textureRadius(p) * st.rad + st.a) * st.str / 64;
  p.tu0 = (p.tu0 - 0.5) * f + 0.5;
  p.tv0 = (p.tv0 - 0.5) * f + 0.5;
}

bool moveTexture(ModifierKind kind, const Step& st, MeshPoint& p, const SceneObject& object) {
  const MeshState& m = meshState;
  switch (kind) {
    case kTextureTurn: rotateTexture(st, p, object); break;
    case kAnimatedTextureScrollU: p.tu0 = p.tu0 + low8(st.phi) / 256.0; break;
    case kAnimatedTextureScrollV: p.tv0 = p.tv0 + low8(st.phi) / 256.0; break;
    case kTextureWaves: shiftTexture(st, p, gridWaveAngle(st, p, ratio(p.j * 16.0, m.N))); break;
    case kTextureRadialWaves:
      shiftTexture(st, p, radians(textureRadius(p) * 32 * st.rad * kPhaseUnit + st.phi));
      break;
    case kTextureRadialWavesZoom: zoomTextureRadially(st, p); break;
    case kTextureWavesU:
      p.tu0 += std::sin(radians(ratio(p.j * 32.0, m.N) * st.rad * kPhaseUnit + st.phi)) * st.str / 256;
      break;
    case kTextureWavesV:
      p.tv0 += std::cos(radians(ratio(p.i * 32.0, m.M) * st.rad * kPhaseUnit + st.phi)) * st.str / 256;
      break;
    default: return false;
  }
  return true;
}

// The grid waves of the texture, moving the point instead.
bool sourceWaves(ModifierKind kind, Step& st, const MeshPoint& p) {
  const MeshState& m = meshState;
  double t;
  switch (kind) {
    case kSourceGlobalWaves1: t = gridWaveAngle(st, p, ratio(p.j * 16.0, m.N)); break;
    case kSourceGlobalWaves2: t = gridWaveAngle(st, p, ratio((m.N - p.j) * 16.0, m.N)); break;
    default: return false;
  }
  st.X += std::sin(t) * st.str / 256;
  st.Y += std::cos(t) * st.str / 256;
  return true;
}

// --- Selection: which grid points the following modifiers touch.

bool isSelectionKind(int kind) { return kind >= kSelectionPlus && kind <= kSelectionEquals; }

void updateSelection(ModifierKind kind, const Step& st, const MeshPoint& p, std::uint8_t& flag) {
  switch (kind) {
    case kSelectionPlus: if (st.inside) flag = 1; break;
    case kSelectionMinus: if (st.inside) flag = 0; break;
    case kSelectAll: flag = 1; break;
    case kClearSelection: flag = 0; break;
    case kInvertSelection: flag = flag == 0 ? 1 : 0; break;
    case kNoiseSelection:
      if (flag == 1 && (p.i % 2 == 0 || p.j % 2 == 0)) flag = 0;
      break;
    case kSelectionEquals: flag = st.inside ? 1 : 0; break;
    default: break;
  }
}

void applyKind(ModifierKind kind, Step& st, AnimationParameters& anim, MeshPoint& p,
               const SceneObject& object, std::uint8_t& flag) {
  if (deformLocally(kind, st) || transformGlobally(kind, st, object) || animate(kind, st, anim) ||
      moveTexture(kind, st, p, object) || sourceWaves(kind, st, p))
    return;
  updateSelection(kind, st, p, flag);
}

// --- Sources: another object lends its list.

// What lasts for one point's walk through the lists: the home object and its
// position, the objects that already lent their list (so cycles end and a source
// still applies at every grid point), and whether lent lists see the point at the
// home position.
struct Walk {
  int home;
  double homeX, homeY, homeZ;
  std::bitset<kObjectSlots> visited{};
  bool homeOffset = false;
};

// The object a source names, when it may lend its list at this point; else -1.
int lenderOf(const Modifier& mod, Walk& walk) {
  const int target = mod.strength;
  if (target == walk.home || target < 0 || target >= kObjectSlots || walk.visited.test(target)) return -1;
  walk.visited.set(target);
  if (mod.kind == kGlobalSource) walk.homeOffset = true;
  return target;
}

// Runs one object's list on the point; returns the object that lends its list
// from here on, or -1 when the list ran to its end.
int walkList(const SceneObject& object, const ModifierList& list, Walk& walk, MeshPoint& p,
             std::uint8_t& flag) {
  AnimationParameters anim;
  for (int n = 0; n < list.count; ++n) {
    const Modifier& mod = list.modifiers[n];
    if (mod.kind >= scene::kModifierKinds) continue;
    if (flag == 0 && !isSelectionKind(mod.kind)) continue;
    // The rest of this list is not evaluated once another object lends its own.
    if (scene::isSourceKind(mod.kind)) {
      if (const int lender = lenderOf(mod, walk); lender >= 0) return lender;
      continue;
    }
    const double ox = walk.homeOffset ? walk.homeX : 0.0;
    const double oy = walk.homeOffset ? walk.homeY : 0.0;
    const double oz = walk.homeOffset ? walk.homeZ : 0.0;
    const double X0 = p.X + ox, Y0 = p.Y + oy, Z0 = p.Z + oz;
    Step st(mod, anim, X0, Y0, Z0);
    applyKind(static_cast<ModifierKind>(mod.kind), st, anim, p, object, flag);
    if (st.X != X0) p.X = st.X - ox;
    if (st.Y != Y0) p.Y = st.Y - oy;
    if (st.Z != Z0) p.Z = st.Z - oz;
  }
  return -1;
}

}  // namespace

void applyModifiers(MeshPoint& p) {
  MeshState& m = meshState;
  const int scene = scene::sceneStore.currentScene;
  if (scene < 0 || scene >= kSceneTable) return;
  const int home = scene::sceneStore.scenes[scene].currentObject;
  const SceneObject& homeRecord = scene::objectRecord(scene, home);

  // Before the first reset the flag table is not allocated yet: start-up state.
  if (m.selection.size() != static_cast<std::size_t>(kGridCapacity))
    m.selection.assign(kGridCapacity, 1);
  const int fi = std::clamp(p.i, 0, kGridStride - 1);
  const int fj = std::clamp(p.j, 0, kGridStride - 1);
  std::uint8_t& flag = m.selection[static_cast<std::size_t>(fi) * kGridStride + fj];

  Walk walk{home, homeRecord.posX / 64.0, homeRecord.posY / 64.0, homeRecord.posZ / 64.0};
  for (int walked = home; walked >= 0;)
    walked = walkList(scene::objectRecord(scene, walked), scene::modifierList(scene, walked), walk, p, flag);
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
