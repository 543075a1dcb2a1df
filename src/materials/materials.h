#pragma once
// The 256 surface materials: the device material of each, the side tables the
// renderer (texture stage 1) and the landscape builder (height map) read, the
// materials editor's actions on the current material, and the ".vmt" line.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/gfx/d3d9_types.h"
#include "platform/os/hook.h"
#include "platform/os/text_checks.h"

namespace vandrel::materials {

inline constexpr int kMaterialCount = 256;
inline constexpr int kLastMaterial = 255;
inline constexpr int kMinMapNumber = 1;
inline constexpr int kMaxMapNumber = 254;
inline constexpr int kMaxStageTexture = 254;
inline constexpr double kTrackbarScale = 64.0;  // a trackbar step is 1/64 of a colour unit
inline constexpr float kErasedValue = 64.0f;    // "Стереть" stores 64.0, not 1.0

// The device's own record, so the renderer hands materials[m] to setMaterial as it is.
using Material = gfx::D3DMATERIAL9;

// Colour operation of texture stage 1. A file may carry any byte here (and any
// byte as stageTexture): the renderer must check both before using them.
enum StageType : std::uint8_t { kStageNone = 0, kStageAdd = 1, kStageSub = 2, kStageMod = 3 };

struct MaterialStore {
  Material materials[kMaterialCount];
  std::int32_t bumpiness[kMaterialCount];     // height factor of landscapes
  std::int32_t mapNumber[kMaterialCount];     // texture slot giving landscape heights
  std::uint8_t stageTexture[kMaterialCount];  // texture slot bound to stage 1
  std::uint8_t stageType[kMaterialCount];     // StageType
  std::uint8_t currentMaterial;               // the one the editor shows
};

extern MaterialStore materialStore;

// Where the materials editor plugs in; empty hooks do nothing.
struct MaterialHooks {
  os::Hook<void()> refreshEditor;   // controls from the current material
  os::Hook<void()> redrawSwatches;  // the three colour swatches
};

extern MaterialHooks materialHooks;

// Start-up state once the editor exists: everything 0, material 0 current, and map
// number 1 for materials 0..254 (material 255 gets its 1 when it is first selected).
void resetMaterials();

Material& currentMaterialRecord();

// Editor buttons. Each redraws the swatches and/or refreshes the editor as the
// editor itself does after them.
void previousMaterial();       // "<" of the material number
void nextMaterial();           // ">"
void previousMapNumber();      // "<" of the map number, not below 1
void nextMapNumber();          // ">", not above 254
void previousStageTexture();   // not below 0
void nextStageTexture();       // not above 254
void selectStageType(int selection);  // the stage type list's selection
void eraseCurrentMaterial();   // "Стереть"
// Numbers typed into the editor's boxes, nothing where a box holds no number. A
// number the steppers could reach is taken (a material number as the steppers
// reach it, its map number rule included); anything else leaves the stored value,
// which the refreshed editor shows again.
void typeMaterialNumber(std::optional<int> number);
void typeMapNumber(std::optional<int> number);
void typeStageTexture(std::optional<int> number);

// Trackbar positions as the editor shows them (colours x 64, power as is).
struct MaterialTrackbars {
  int diffuse[3];
  int ambient[3];
  int specular[3];
  int power;
  int bumpiness;
};

// Any trackbar moved: all of them go into the current material.
void storeTrackbars(const MaterialTrackbars& positions);
// The positions the editor's refresh sets for a material: trunc(value x 64).
MaterialTrackbars trackbarsOf(int material);

enum class MaterialColour { diffuse, ambient, specular };

// A colour confirmed in the colour chooser: each byte / 256, so never above 255/256.
void setColourFromChooser(MaterialColour which, std::uint8_t red, std::uint8_t green,
                          std::uint8_t blue);
// Swatch and chooser value of a colour component: trunc(c x 256) held to 0..255.
int swatchComponent(float c);
// Pixel value r x 65536 + g x 256 + b that fills a swatch.
std::uint32_t swatchPixel(const gfx::D3DCOLORVALUE& colour);

// One ".vmt" line of a material: fourteen integers each followed by "," and a line feed.
std::string writeMaterialLine(std::uint8_t material);

// Reads one material line into a material, alpha and emissive untouched. Reading
// ends at the line's line feed (or the end of the text): values the line does not
// carry keep theirs. Returns the position just after the last number read and its
// comma, never beyond the text.
std::size_t readMaterialLine(std::string_view text, std::uint8_t material);

// What a load refuses in a material line: a value that is not a plain number, or
// a negative colour or highlight size. A short line is fine.
os::TextProblem checkMaterialLine(std::string_view text);
// A ".vmt" text: plain text with a material line as its first line.
os::TextProblem checkMaterialText(std::string_view text);

// The current material from or to a file. A failed or refused load changes nothing
// (error then says why, naming the file); ".vmt" is
// appended to a save name that does not contain it.
bool loadMaterialFile(const std::string& path, std::string* error);
bool saveMaterialFile(const std::string& path, std::string* error);

}  // namespace vandrel::materials
