#include "pack/complex_pack.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <memory>
#include <vector>

#include "materials/materials.h"
#include "pack/document.h"
#include "platform/os/files.h"
#include "platform/os/text_checks.h"
#include "platform/os/text_numbers.h"
#include "render/device_setup.h"
#include "render/render_settings.h"
#include "scene/geometry_text.h"
#include "scene/scene_store.h"
#include "scene/undo.h"
#include "texgen/dispatcher.h"
#include "texgen/editor_hooks.h"
#include "texgen/limits.h"
#include "texgen/slot_rebuilds.h"
#include "texgen/texture_log_file.h"
#include "texgen/texture_store.h"

namespace vandrel::pack {

PackHooks packHooks;

void resetPackHooks() { packHooks = PackHooks(); }

namespace {

constexpr int kStoredMaterials = 255;  // material 255 is not stored
constexpr int kFirstStoredSlot = 1;
constexpr int kLastStoredSlot = 253;  // slots 0, 254 and 255 are not stored

constexpr std::string_view kGeometryMarker = "section:geometry";
constexpr std::string_view kMaterialsMarker = "section:materials";
constexpr std::string_view kRenderSettingsMarker = "section:rendersettings";
constexpr std::string_view kTextureDataMarker = "section:texturedata";

// Where a section's payload starts: two characters after the "_" that follows its
// marker (past the "_" and the line feed); npos when the marker is missing.
std::size_t payloadStart(std::string_view text, std::string_view marker, std::size_t from) {
  const std::size_t at = text.find(marker, from);
  if (at == std::string_view::npos) return std::string_view::npos;
  const std::size_t underscore = text.find('_', at + marker.size());
  if (underscore == std::string_view::npos) return std::string_view::npos;
  return std::min(underscore + 2, text.size());
}

void renderFrame() {
  if (packHooks.renderFrame) packHooks.renderFrame();
}

// The live count and size of the current slot belong in its table entry before
// slots are walked.
void storeCurrentSlot() {
  texgen::TextureStore& t = texgen::textureStore;
  t.slots[t.currentSlot].entryCount = t.entryCount;
  t.slots[t.currentSlot].edgeSize = t.edgeSize;
}

std::size_t readMaterials(std::string_view text, std::size_t pos) {
  for (int m = 0; m < kStoredMaterials && pos < text.size(); ++m) {
    pos += materials::readMaterialLine(text.substr(pos), static_cast<std::uint8_t>(m));
    const std::size_t lineEnd = text.find('\n', pos);
    pos = lineEnd == std::string_view::npos ? text.size() : lineEnd + 1;
  }
  materials::materialStore.currentMaterial = 0;
  return pos;
}

int readDecimal(std::string_view text) {
  std::size_t p = 0;
  while (p < text.size() && (text[p] == ' ' || text[p] == '\t' || text[p] == '\r' || text[p] == '\n')) ++p;
  return os::parseDecimal(text, p);
}

// Each slot's text runs from its count to four characters past its "end"; the
// log reader is given only that much, so a broken log never reads the next one.
void readTextureData(std::string_view text, std::size_t pos) {
  texgen::TextureStore& t = texgen::textureStore;
  storeCurrentSlot();
  const int liveSlot = t.currentSlot;
  for (int slot = kFirstStoredSlot; slot <= kLastStoredSlot && pos < text.size(); ++slot) {
    const std::size_t end = text.find("end", pos);
    const std::size_t next = end == std::string_view::npos ? text.size() : std::min(end + 4, text.size());
    const std::string_view slotText = text.substr(pos, next - pos);
    if (readDecimal(slotText) >= 2) {
      texgen::TextureSlot& record = t.slots[slot];
      t.currentSlot = slot;
      t.entryCount = 1;
      t.edgeSize = record.edgeSize;
      texgen::readLog(slotText);
      record.entryCount = t.entryCount;
      record.edgeSize = t.edgeSize;
    }
    pos = next;
  }
  t.currentSlot = liveSlot;
  t.entryCount = t.slots[liveSlot].entryCount;
  t.edgeSize = t.slots[liveSlot].edgeSize;
}

// Thrown out of the walk to stop it; the walk lets its helpers finish first.
struct RebuildStopped {};

// Replays every slot with a log and leaves its final image in its texture, ending
// with slot 1 current.
// The slots are replayed on every core; the frames and the progress still follow
// slot order. stop, asked after each slot, ends the rebuild by throwing RebuildStopped.
void rebuildTextures(const std::function<bool()>& stop = {}) {
  storeCurrentSlot();
  texgen::SlotWalk walk;
  walk.beforeEach = [](int slot) {
    if (packHooks.showSlotNumber) packHooks.showSlotNumber(slot);
  };
  walk.afterSelect = [&stop](int) {
    render::uploadCurrentTexture();
    renderFrame();
    if (stop && stop()) throw RebuildStopped{};
  };
  texgen::selectSlotsInTurn(kFirstStoredSlot + 1, kLastStoredSlot, walk);
  texgen::selectSlot(kFirstStoredSlot);
  if (packHooks.showSlotNumber) packHooks.showSlotNumber(kFirstStoredSlot);
  render::uploadCurrentTexture();
  renderFrame();
}

// What a load overwrites, kept to be put back when the load is abandoned.
class WorkBeforeLoad {
 public:
  WorkBeforeLoad()
      : scenes_(std::make_unique<scene::SceneStore>(scene::sceneStore)),
        materials_(std::make_unique<materials::MaterialStore>(materials::materialStore)),
        settings_(std::make_unique<render::RenderSettings>(render::renderSettings)) {
    storeCurrentSlot();
    const texgen::TextureStore& t = texgen::textureStore;
    slots_.assign(std::begin(t.slots), std::end(t.slots));
    currentSlot_ = t.currentSlot;
    std::copy(std::begin(render::deviceSetup.textures), std::end(render::deviceSetup.textures), textures_.begin());
  }

  void putBack() {
    scene::sceneStore = *scenes_;
    materials::materialStore = *materials_;
    render::renderSettings = *settings_;
    texgen::TextureStore& t = texgen::textureStore;
    std::copy(slots_.begin(), slots_.end(), std::begin(t.slots));
    // The textures the slots had still hold their images: a selection gives a
    // slot a new one instead of drawing into the old.
    std::copy(textures_.begin(), textures_.end(), std::begin(render::deviceSetup.textures));
    // The current slot's layers went to the pack's slots: it is selected again.
    t.currentSlot = currentSlot_;
    t.entryCount = t.slots[currentSlot_].entryCount;
    t.edgeSize = t.slots[currentSlot_].edgeSize;
    texgen::selectSlot(currentSlot_);
    render::uploadCurrentTexture();
    renderFrame();
    notifyDocumentChanged();
  }

 private:
  std::unique_ptr<scene::SceneStore> scenes_;  // a hundred megabytes: not on the stack
  std::unique_ptr<materials::MaterialStore> materials_;
  std::unique_ptr<render::RenderSettings> settings_;
  std::vector<texgen::TextureSlot> slots_;
  int currentSlot_ = 1;
  std::array<std::shared_ptr<gfx::Texture>, render::kTextureTableSize> textures_;
};

// ---- checks ----

constexpr std::string_view kAnyMarker = "section:";

os::TextProblem checkGeometry(std::string_view text, std::size_t from) {
  const std::size_t next = text.find(kAnyMarker, from);
  const scene::GeometryCheck check = scene::checkAllScenes(text.substr(from, next == text.npos ? text.npos : next - from));
  if (check.problem) return os::shifted(check.problem, from);
  // Cut short while another section follows: the reader would take that
  // section's numbers for scenes.
  if (!check.complete && next != std::string_view::npos) return os::problemAt(os::TextFault::cutShort, next);
  return {};
}

// The material lines as readMaterials walks them (a material line never reaches
// past its line feed, so each starts just after the one before).
os::TextProblem checkMaterials(std::string_view text, std::size_t pos, std::size_t* end) {
  for (int m = 0; m < kStoredMaterials && pos < text.size(); ++m) {
    if (os::TextProblem p = materials::checkMaterialLine(text.substr(pos))) return os::shifted(p, pos);
    const std::size_t lineEnd = text.find('\n', pos);
    pos = lineEnd == std::string_view::npos ? text.size() : lineEnd + 1;
  }
  *end = pos;
  return {};
}

// Each slot's text as readTextureData walks it: the count, and the log when the
// count says there is one.
os::TextProblem checkTextureData(std::string_view text, std::size_t pos) {
  for (int slot = kFirstStoredSlot; slot <= kLastStoredSlot && pos < text.size(); ++slot) {
    const std::size_t end = text.find("end", pos);
    const std::size_t next = end == std::string_view::npos ? text.size() : std::min(end + 4, text.size());
    const std::string_view slotText = text.substr(pos, next - pos);
    const std::size_t comma = slotText.find(',');
    if (comma == std::string_view::npos || !os::isPlainNumber(slotText, 0, comma))
      return os::problemAt(os::TextFault::notNumber, pos + slotText.find_first_not_of(" \t\r\n"));
    const int count = readDecimal(slotText);
    if (count < 1 || count > texgen::kLogLength)
      return os::problemAt(os::TextFault::outOfRange, pos, "1.." + std::to_string(texgen::kLogLength));
    if (count >= 2)
      if (os::TextProblem p = texgen::checkLog(slotText.substr(comma + 1))) return os::shifted(p, pos + comma + 1);
    pos = next;
  }
  return {};
}

}  // namespace

std::string savedPackText() {
  cleanUpCloneSlots();
  return writePack();
}

std::string savedPackTextOfWork() {
  scene::SceneStore& s = scene::sceneStore;
  const int first = s.currentScene * scene::kObjectSlots;
  const std::vector<scene::SceneObject> objects(s.objects + first, s.objects + first + scene::kObjectSlots);
  const std::vector<scene::ModifierList> lists(s.modifierLists + first,
                                               s.modifierLists + first + scene::kObjectSlots);
  const std::string text = savedPackText();
  std::copy(objects.begin(), objects.end(), s.objects + first);
  std::copy(lists.begin(), lists.end(), s.modifierLists + first);
  return text;
}

void cleanUpCloneSlots() {
  scene::SceneStore& s = scene::sceneStore;
  const int sceneIndex = s.currentScene;
  const int count = s.scenes[sceneIndex].objectCount;
  for (int i = 0; i < count && i < scene::kCloneSlots; ++i) {
    const scene::CloneRule& rule = scene::cloneRule(sceneIndex, i);
    if (rule.cloneCount == 0) continue;
    for (int j = i + 1; j <= i + rule.cloneCount && j < scene::kObjectSlots; ++j) {
      if (rule.cloneKind != 6) scene::objectRecord(sceneIndex, j) = scene::SceneObject{};
      scene::ModifierList& list = scene::modifierList(sceneIndex, j);
      for (int m = 0; m < list.count; ++m) list.modifiers[m] = scene::Modifier{};
      list.count = 0;
    }
  }
}

std::string writePack() {
  std::string out = "section:geometry_\n" + scene::writeAllScenes();
  out += "section:materials_\n";
  // Written by number: the material the editor shows stays current.
  for (int m = 0; m < kStoredMaterials; ++m) out += materials::writeMaterialLine(static_cast<std::uint8_t>(m));
  out += "section:rendersettings_\n" + render::writeRenderSettings();
  out += "section:texturedata_\n";
  // The current slot's count and edge are live in the store, not in its record,
  // and an entry being changed is not part of its log yet.
  const texgen::TextureStore& t = texgen::textureStore;
  for (int slot = kFirstStoredSlot; slot <= kLastStoredSlot; ++slot) {
    const texgen::TextureSlot& record = t.slots[slot];
    const bool current = slot == t.currentSlot;
    const int count = current ? texgen::committedEntryCount() : record.entryCount;
    out += std::to_string(count) + ",";
    out += texgen::writeLog(slot, current ? t.edgeSize : record.edgeSize, count);
  }
  return out;
}

namespace {

// readPack, false when stop ended the texture rebuild (the windows not told then).
bool readPackUnlessStopped(std::string_view text, TextureRebuild rebuild, const std::function<bool()>& stop) {
  std::size_t geometry = payloadStart(text, kGeometryMarker, 0);
  if (geometry != std::string_view::npos) scene::readAllScenes(text.substr(geometry));
  // Each search starts inside or after the section before it.
  std::size_t searchFrom = geometry == std::string_view::npos ? 0 : geometry;
  const std::size_t materialsAt = payloadStart(text, kMaterialsMarker, searchFrom);
  if (materialsAt != std::string_view::npos) searchFrom = readMaterials(text, materialsAt);
  const std::size_t settingsAt = payloadStart(text, kRenderSettingsMarker, searchFrom);
  if (settingsAt != std::string_view::npos) {
    render::readRenderSettings(text.substr(settingsAt));
    searchFrom = settingsAt;
  }
  const std::size_t texturesAt = payloadStart(text, kTextureDataMarker, searchFrom);
  if (texturesAt != std::string_view::npos) readTextureData(text, texturesAt);
  if (rebuild == TextureRebuild::Rebuild) {
    try {
      rebuildTextures(stop);
    } catch (const RebuildStopped&) {
      return false;
    }
  }
  notifyDocumentChanged();
  return true;
}

}  // namespace

void readPack(std::string_view text, TextureRebuild rebuild) { readPackUnlessStopped(text, rebuild, {}); }

os::TextProblem checkPack(std::string_view text) {
  if (os::TextProblem p = os::checkPlainText(text)) return p;
  if (!os::startsWithLine(text, "section:geometry_"))
    return os::problemAt(os::TextFault::wrongKind, text.find_first_not_of(" \t\r\n"), "section:geometry_");
  const std::size_t geometry = payloadStart(text, kGeometryMarker, 0);
  if (os::TextProblem p = checkGeometry(text, geometry)) return p;
  std::size_t searchFrom = geometry;
  const std::size_t materialsAt = payloadStart(text, kMaterialsMarker, searchFrom);
  if (materialsAt != std::string_view::npos)
    if (os::TextProblem p = checkMaterials(text, materialsAt, &searchFrom)) return p;
  const std::size_t settingsAt = payloadStart(text, kRenderSettingsMarker, searchFrom);
  if (settingsAt != std::string_view::npos) {
    if (os::TextProblem p = render::checkRenderSettings(text.substr(settingsAt))) return os::shifted(p, settingsAt);
    searchFrom = settingsAt;
  }
  const std::size_t texturesAt = payloadStart(text, kTextureDataMarker, searchFrom);
  if (texturesAt != std::string_view::npos) return checkTextureData(text, texturesAt);
  return {};
}

bool savePack(const std::string& path, std::string* error) {
  cleanUpCloneSlots();
  return os::writeFile(path, writePack(), error);
}

bool readPackFile(const std::string& path, std::string* text, std::string* error) {
  if (!os::readFile(path, text, error)) return false;
  if (const os::TextProblem problem = checkPack(*text)) {
    if (error) *error = os::refusalMessage(path, *text, problem);
    return false;
  }
  return true;
}

void loadPackText(std::string_view text, TextureRebuild rebuild) {
  readPack(text, rebuild);
  scene::undoCounter = 0;
  scene::checkpoint();
}

bool loadPackTextUnlessStopped(std::string_view text, const std::function<bool()>& stop) {
  WorkBeforeLoad before;
  if (!readPackUnlessStopped(text, TextureRebuild::Rebuild, stop)) {
    before.putBack();
    return false;
  }
  scene::undoCounter = 0;
  scene::checkpoint();
  return true;
}

bool loadPack(const std::string& path, std::string* error, TextureRebuild rebuild) {
  std::string text;
  if (!readPackFile(path, &text, error)) return false;
  loadPackText(text, rebuild);
  return true;
}

}  // namespace vandrel::pack
