#include "materials/materials.h"

#include <algorithm>

#include "platform/os/files.h"
#include "platform/os/text_checks.h"
#include "platform/os/text_numbers.h"

namespace vandrel::materials {

MaterialStore materialStore;
MaterialHooks materialHooks;

namespace {

void redrawSwatches() {
  if (materialHooks.redrawSwatches) materialHooks.redrawSwatches();
}

void refreshEditor() {
  if (materialHooks.refreshEditor) materialHooks.refreshEditor();
}

float fromTrackbar(int position) { return static_cast<float>(position / kTrackbarScale); }

void setRgb(gfx::D3DCOLORVALUE& c, float r, float g, float b) {
  c.r = r;
  c.g = g;
  c.b = b;
}

}  // namespace

void resetMaterials() {
  materialStore = MaterialStore{};
  for (int m = 0; m < kLastMaterial; ++m) materialStore.mapNumber[m] = kMinMapNumber;
}

Material& currentMaterialRecord() { return materialStore.materials[materialStore.currentMaterial]; }

namespace {
void showMaterial(int number) {
  MaterialStore& s = materialStore;
  s.currentMaterial = static_cast<std::uint8_t>(number);
  // Material 255 has no map number until it is first shown.
  if (s.mapNumber[number] < kMinMapNumber) s.mapNumber[number] = kMinMapNumber;
  redrawSwatches();
  refreshEditor();
}
}  // namespace

void previousMaterial() {
  int m = materialStore.currentMaterial;
  showMaterial(m > 0 ? m - 1 : m);
}

void nextMaterial() {
  int m = materialStore.currentMaterial;
  showMaterial(m < kLastMaterial ? m + 1 : m);
}

void previousMapNumber() {
  std::int32_t& n = materialStore.mapNumber[materialStore.currentMaterial];
  if (n > kMinMapNumber) --n;
  redrawSwatches();
  refreshEditor();
}

void nextMapNumber() {
  std::int32_t& n = materialStore.mapNumber[materialStore.currentMaterial];
  if (n < kMaxMapNumber) ++n;
  redrawSwatches();
  refreshEditor();
}

void typeMaterialNumber(std::optional<int> number) {
  if (!number || *number < 0 || *number > kLastMaterial) {
    refreshEditor();
  } else if (*number > 0) {
    materialStore.currentMaterial = static_cast<std::uint8_t>(*number - 1);
    nextMaterial();
  } else {
    materialStore.currentMaterial = 1;
    previousMaterial();
  }
}

void typeMapNumber(std::optional<int> number) {
  if (number && *number >= kMinMapNumber && *number <= kMaxMapNumber)
    materialStore.mapNumber[materialStore.currentMaterial] = *number;
  refreshEditor();
}

void typeStageTexture(std::optional<int> number) {
  if (number && *number >= 0 && *number <= kMaxStageTexture)
    materialStore.stageTexture[materialStore.currentMaterial] = static_cast<std::uint8_t>(*number);
  refreshEditor();
}

void previousStageTexture() {
  std::uint8_t& t = materialStore.stageTexture[materialStore.currentMaterial];
  if (t > 0) --t;
  refreshEditor();
}

void nextStageTexture() {
  std::uint8_t& t = materialStore.stageTexture[materialStore.currentMaterial];
  if (t < kMaxStageTexture) ++t;
  refreshEditor();
}

void selectStageType(int selection) {
  materialStore.stageType[materialStore.currentMaterial] = static_cast<std::uint8_t>(selection);
  refreshEditor();
}

void eraseCurrentMaterial() {
  const int m = materialStore.currentMaterial;
  Material& mat = materialStore.materials[m];
  materialStore.mapNumber[m] = kMinMapNumber;
  materialStore.bumpiness[m] = 0;
  setRgb(mat.Diffuse, kErasedValue, kErasedValue, kErasedValue);
  setRgb(mat.Ambient, kErasedValue, kErasedValue, kErasedValue);
  setRgb(mat.Specular, kErasedValue, kErasedValue, kErasedValue);
  mat.Power = kErasedValue;
  redrawSwatches();
  refreshEditor();
}

void storeTrackbars(const MaterialTrackbars& t) {
  Material& mat = currentMaterialRecord();
  setRgb(mat.Specular, fromTrackbar(t.specular[0]), fromTrackbar(t.specular[1]),
         fromTrackbar(t.specular[2]));
  setRgb(mat.Diffuse, fromTrackbar(t.diffuse[0]), fromTrackbar(t.diffuse[1]),
         fromTrackbar(t.diffuse[2]));
  setRgb(mat.Ambient, fromTrackbar(t.ambient[0]), fromTrackbar(t.ambient[1]),
         fromTrackbar(t.ambient[2]));
  mat.Power = static_cast<float>(t.power);
  materialStore.bumpiness[materialStore.currentMaterial] = t.bumpiness;
  redrawSwatches();
}

MaterialTrackbars trackbarsOf(int material) {
  const Material& mat = materialStore.materials[material & 0xFF];
  auto pos = [](float c) { return os::truncToInt32(c * kTrackbarScale); };
  MaterialTrackbars t{};
  const gfx::D3DCOLORVALUE* colours[3] = {&mat.Diffuse, &mat.Ambient, &mat.Specular};
  int* rows[3] = {t.diffuse, t.ambient, t.specular};
  for (int i = 0; i < 3; ++i) {
    rows[i][0] = pos(colours[i]->r);
    rows[i][1] = pos(colours[i]->g);
    rows[i][2] = pos(colours[i]->b);
  }
  t.power = os::truncToInt32(mat.Power);
  t.bumpiness = materialStore.bumpiness[material & 0xFF];
  return t;
}

void setColourFromChooser(MaterialColour which, std::uint8_t red, std::uint8_t green,
                          std::uint8_t blue) {
  Material& mat = currentMaterialRecord();
  gfx::D3DCOLORVALUE& c = which == MaterialColour::diffuse   ? mat.Diffuse
                          : which == MaterialColour::ambient ? mat.Ambient
                                                             : mat.Specular;
  setRgb(c, red / 256.0f, green / 256.0f, blue / 256.0f);
  redrawSwatches();
  refreshEditor();
}

int swatchComponent(float c) {
  // A negative colour can only come from a file; it shows as black.
  return std::clamp(os::truncToInt32(c * 256.0), 0, 255);
}

std::uint32_t swatchPixel(const gfx::D3DCOLORVALUE& colour) {
  return static_cast<std::uint32_t>(swatchComponent(colour.r)) * 65536u +
         static_cast<std::uint32_t>(swatchComponent(colour.g)) * 256u +
         static_cast<std::uint32_t>(swatchComponent(colour.b));
}

std::string writeMaterialLine(std::uint8_t material) {
  const Material& mat = materialStore.materials[material];
  std::string out;
  auto put = [&out](std::int32_t v) {
    out += std::to_string(v);
    out += ',';
  };
  auto putColour = [&put](const gfx::D3DCOLORVALUE& c) {
    put(os::truncToInt32(c.r * kTrackbarScale));
    put(os::truncToInt32(c.g * kTrackbarScale));
    put(os::truncToInt32(c.b * kTrackbarScale));
  };
  putColour(mat.Diffuse);
  putColour(mat.Specular);
  putColour(mat.Ambient);
  put(os::truncToInt32(mat.Power));
  put(materialStore.mapNumber[material]);
  put(materialStore.bumpiness[material]);
  put(materialStore.stageType[material]);
  put(materialStore.stageTexture[material]);
  out += '\n';
  return out;
}

namespace {

constexpr int kLineValues = 14;
constexpr int kColourValues = 9;
constexpr int kPowerValue = 9;

// The numbers of one material line, as many as it carries, and where each began.
struct MaterialLine {
  std::int32_t values[kLineValues];
  std::size_t starts[kLineValues];
  int count = 0;
  std::size_t end = 0;  // just after the last number read and its comma
  std::size_t firstMalformed = std::string_view::npos;
};

MaterialLine scanMaterialLine(std::string_view text) {
  MaterialLine line;
  os::NumberReader in(text);
  bool more = true;
  while (line.count < kLineValues && more && in.atNumber()) {
    line.starts[line.count] = in.position();
    line.values[line.count++] = in.read(&more);
  }
  line.end = in.position();
  line.firstMalformed = in.firstMalformed();
  return line;
}

}  // namespace

std::size_t readMaterialLine(std::string_view text, std::uint8_t material) {
  Material& mat = materialStore.materials[material];
  float* colours[kColourValues] = {&mat.Diffuse.r,  &mat.Diffuse.g,  &mat.Diffuse.b,
                                   &mat.Specular.r, &mat.Specular.g, &mat.Specular.b,
                                   &mat.Ambient.r,  &mat.Ambient.g,  &mat.Ambient.b};
  const MaterialLine line = scanMaterialLine(text);
  for (int field = 0; field < line.count; ++field) {
    const std::int32_t n = line.values[field];
    if (field < kColourValues)
      *colours[field] = static_cast<float>(n / kTrackbarScale);
    else if (field == kPowerValue)
      mat.Power = static_cast<float>(n);
    else if (field == 10)
      materialStore.mapNumber[material] = n;
    else if (field == 11)
      materialStore.bumpiness[material] = n;
    else if (field == 12)
      materialStore.stageType[material] = static_cast<std::uint8_t>(n);
    else
      materialStore.stageTexture[material] = static_cast<std::uint8_t>(n);
  }
  return line.end;
}

os::TextProblem checkMaterialLine(std::string_view text) {
  const MaterialLine line = scanMaterialLine(text);
  if (line.firstMalformed != std::string_view::npos)
    return os::problemAt(os::TextFault::notNumber, line.firstMalformed);
  // No control makes a colour or a highlight negative, and lighting with one
  // turns the object black or white whatever the light.
  for (int field = 0; field <= kPowerValue && field < line.count; ++field)
    if (line.values[field] < 0) return os::problemAt(os::TextFault::outOfRange, line.starts[field], "от 0");
  return {};
}

os::TextProblem checkMaterialText(std::string_view text) {
  if (os::TextProblem p = os::checkPlainText(text)) return p;
  const std::size_t lineStart = text.find_first_not_of(" \t\r\n");
  return os::shifted(checkMaterialLine(text.substr(lineStart)), lineStart);
}

bool loadMaterialFile(const std::string& path, std::string* error) {
  std::string text;
  if (!os::readFile(path, &text, error)) return false;
  if (const os::TextProblem problem = checkMaterialText(text)) {
    if (error) *error = os::refusalMessage(path, text, problem);
    return false;
  }
  readMaterialLine(text, materialStore.currentMaterial);
  redrawSwatches();
  refreshEditor();
  return true;
}

bool saveMaterialFile(const std::string& path, std::string* error) {
  const std::string name = path.find(".vmt") == std::string::npos ? path + ".vmt" : path;
  return os::writeFile(name, writeMaterialLine(materialStore.currentMaterial), error);
}

}  // namespace vandrel::materials
