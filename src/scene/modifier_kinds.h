#pragma once
// The modifier kinds: the code a modifier stores in `kind`, the name the code uses
// for it, the text the modifiers dialog lists it under and what its two parameters
// mean. A text starting with "::" opens a group of related kinds, one starting
// with two blanks continues it. A file may carry codes outside the catalogue; they
// have no name and their texts are empty.

#include <cstdint>

namespace vandrel::scene {

// KIND(code, name, list text, `strength` label, `radius` label), in code order;
// "n/u" marks a parameter the kind does not use. Several texts mix scripts: the
// "c" of "c/сгиб", "гл.cкос" and "е.в б. c упором" and the "a" of
// "a.вечное движение" are Latin letters.
#define VANDREL_MODIFIER_KINDS(KIND)                                                    \
  KIND(0, kBreathe, "::вдох/выдох", "сила", "радиус")                                   \
  KIND(1, kLimiter, "::лимитер", "n/u", "размер")                                       \
  KIND(2, kTwistX, "::скрутка x", "сила", "радиус")                                     \
  KIND(3, kTwistY, "  скрутка y", "сила", "радиус")                                     \
  KIND(4, kTwistZ, "  скрутка z", "сила", "радиус")                                     \
  KIND(5, kCBendX, "::c/сгиб x", "сила", "радиус")                                      \
  KIND(6, kCBendY, "  c/сгиб y", "сила", "радиус")                                      \
  KIND(7, kCBendZ, "  c/сгиб z", "сила", "радиус")                                      \
  KIND(8, kTurnX, "::поворот x", "угол", "радиус")                                      \
  KIND(9, kTurnY, "  поворот y", "угол", "радиус")                                      \
  KIND(10, kTurnZ, "  поворот z", "угол", "радиус")                                     \
  KIND(11, kGlobalTurnX, "::гл.поворот x", "угол", "n/u")                               \
  KIND(12, kGlobalTurnY, "  гл.поворот y", "угол", "n/u")                               \
  KIND(13, kGlobalTurnZ, "  гл.поворот z", "угол", "n/u")                               \
  KIND(14, kGlobalMirrorX, "::гл.зеркало x", "n/u", "n/u")                              \
  KIND(15, kGlobalMirrorY, "  гл.зеркало y", "n/u", "n/u")                              \
  KIND(16, kGlobalMirrorZ, "  гл.зеркало z", "n/u", "n/u")                              \
  KIND(17, kStretch, "::вытяжка", "сила", "радиус")                                     \
  KIND(18, kZoomXyz, "  зум xyz", "сила", "радиус")                                     \
  KIND(19, kGlobalZoomX, "::гл.зум x", "сила", "n/u")                                   \
  KIND(20, kGlobalZoomY, "  гл.зум y", "сила", "n/u")                                   \
  KIND(21, kGlobalZoomZ, "  гл.зум z", "сила", "n/u")                                   \
  KIND(22, kAnimatedGlobalWobble, "::а.гл.шатание", "сила", "радиус")                   \
  KIND(23, kAnimatedGlobalZoom, "::а.гл.зум +/-", "сила", "n/u")                        \
  KIND(24, kGlobalTrapezoidY, "::гл.трапеция y", "сила", "сила")                        \
  KIND(25, kGlobalTrapezoidX, "  гл.трапеция x", "сила", "сила")                        \
  KIND(26, kGlobalTrapezoidZ, "  гл.трапеция z", "сила", "сила")                        \
  KIND(27, kGlobalSkewX, "::гл.cкос x", "сила", "n/u")                                  \
  KIND(28, kGlobalSkewY, "  гл.cкос y", "сила", "n/u")                                  \
  KIND(29, kGlobalSkewZ, "  гл.cкос z", "сила", "n/u")                                  \
  KIND(30, kTextureTurn, "::tx.поворот", "угол", "n/u")                                 \
  KIND(31, kGlobalZoomXyz, "::гл.зум xyz", "сила", "n/u")                               \
  KIND(32, kAnimationSpeedPhase, "::анима-spd|fz|xyzS", "скорость", "фаза")             \
  KIND(33, kAnimationAmplitude, "  анима-xyzАмплитуда", "n/u", "n/u")                   \
  KIND(34, kBendX, "::сгиб x", "сила", "радиус")                                        \
  KIND(35, kBendY, "  сгиб y", "сила", "радиус")                                        \
  KIND(36, kBendZ, "  сгиб z", "сила", "радиус")                                        \
  KIND(37, kAnimatedTurnX, "::а.вращение x", "n/u", "n/u")                              \
  KIND(38, kAnimatedTurnY, "  а.вращение y", "n/u", "n/u")                              \
  KIND(39, kAnimatedTurnZ, "  а.вращение z", "n/u", "n/u")                              \
  KIND(40, kAnimatedTextureScrollU, "::а.т.скролл u", "n/u", "n/u")                     \
  KIND(41, kAnimatedTextureScrollV, "  а.т.скролл v", "n/u", "n/u")                     \
  KIND(42, kTextureWaves, "::т.волны", "амплитуда", "частота")                          \
  KIND(43, kTextureRadialWaves, "  т.рад.волны", "амплитуда", "частота")                \
  KIND(44, kTextureRadialWavesZoom, "::т.рад.волны/зум", "амплитуда", "частота")        \
  KIND(45, kTextureWavesU, "  т.волны u", "амплитуда", "частота")                       \
  KIND(46, kTextureWavesV, "  т.волны v", "амплитуда", "частота")                       \
  KIND(47, kAnimatedJumps, "::а.прыжки", "n/u", "n/u")                                  \
  KIND(48, kBottleBrush, "::ершик в бутылке", "сила", "радиус")                         \
  KIND(49, kBottleBrushWithStop, "  е.в б. c упором", "сила", "радиус")                 \
  KIND(50, kDisplacement, "::смещение", "n/u", "радиус")                                \
  KIND(51, kSource, "::м.источник", "№ объекта", "n/u")                                 \
  KIND(52, kGlobalSource, "  гл.м.источник", "№ объекта", "n/u")                        \
  KIND(53, kSourceGlobalWaves1, "::ис.гл.волны 1", "амплитуда", "частота")              \
  KIND(54, kSourceGlobalWaves2, "  ис.гл.волны 2", "амплитуда", "частота")              \
  KIND(55, kGlobalWaves, "::гл.волны", "амплитуда", "частота")                          \
  KIND(56, kGlobalRadialWaves, "  гл.рад.волны", "амплитуда", "частота")                \
  KIND(57, kSelectionPlus, "::выделение +", "сила", "радиус")                           \
  KIND(58, kSelectionMinus, "  выделение -", "сила", "радиус")                          \
  KIND(59, kSelectAll, "  выделить все", "n/u", "n/u")                                  \
  KIND(60, kClearSelection, "  снять выделение", "n/u", "радиус")                       \
  KIND(61, kInvertSelection, "  инв. выделение", "n/u", "n/u")                          \
  KIND(62, kNoiseSelection, "  шумтиь выделение", "n/u", "n/u")                         \
  KIND(63, kSelectionEquals, "  выделение=", "n/u", "n/u")                              \
  KIND(64, kAnimatedPerpetualMotion, "::a.вечное движение", "n/u", "n/u")

enum ModifierKind : std::uint8_t {
#define VANDREL_KIND_NAME(code, name, text, strength, radius) name = code,
  VANDREL_MODIFIER_KINDS(VANDREL_KIND_NAME)
#undef VANDREL_KIND_NAME
};

#define VANDREL_KIND_COUNT(code, name, text, strength, radius) +1
inline constexpr int kModifierKinds = 0 VANDREL_MODIFIER_KINDS(VANDREL_KIND_COUNT);
#undef VANDREL_KIND_COUNT

const char* modifierListText(int kind);
const char* modifierStrengthLabel(int kind);  // what `strength` means; "n/u" when unused
const char* modifierRadiusLabel(int kind);    // what `radius` means; "n/u" when unused

// Kinds 51 and 52 hold an object number of the same scene in `strength`.
constexpr bool isSourceKind(int kind) { return kind == kSource || kind == kGlobalSource; }

}  // namespace vandrel::scene
