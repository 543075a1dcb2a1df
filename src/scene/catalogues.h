#pragma once
// The codes the scene records carry and the labels the dialogs list them under.
// A file may carry codes outside these lists; their label is empty.

namespace vandrel::scene {

inline constexpr int kPrimitiveKinds = 17;
inline constexpr int kAlphaModes = 7;
inline constexpr int kNormalModes = 6;
inline constexpr int kCloneKinds = 9;

enum Primitive : int {
  kSphere = 0,
  kTube = 1,
  kCylinder = 2,
  kBarrel = 3,
  kPlane = 4,
  kLandscape = 5,
  kLandscapeOnSphere = 6,
  kLandscapeOnTube = 7,
  kCube = 8,
  kLandscapeOnCube = 9,
  kLandscapeOnCubeMinus = 10,
  kPostprocessor = 11,
  kZbufCleaner = 12,
  kTorus = 13,
  kLandscapeOnTorus = 14,
  kSun = 15,
  kLamp = 16,
};

const char* primitiveLabel(int code);
const char* alphaModeLabel(int code);
const char* normalModeLabel(int code);
const char* cloneKindLabel(int code);

}  // namespace vandrel::scene
