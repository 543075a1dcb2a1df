#include "scene/geometry_text.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>
#include <cstdint>

#include "platform/os/text_checks.h"
#include "platform/os/text_numbers.h"
#include "scene/scene_hooks.h"
#include "scene/scene_store.h"

namespace vandrel::scene {

namespace {

constexpr int kObjectRows = 21;

// ---- writing ----

// The text is written straight into a buffer sized for the worst case (every
// value 7 characters with its ","), so a checkpoint of a full store, which runs
// after every edit, costs little more than the digits themselves.
struct Out {
  char* p;
  void operator+=(char c) { *p++ = c; }
  void operator+=(std::string_view s) {
    std::memcpy(p, s.data(), s.size());
    p += s.size();
  }
};

constexpr std::size_t kMaxValueText = 7;  // "-32768,"

void put(Out& out, int value) {
  out.p = std::to_chars(out.p, out.p + kMaxValueText, value).ptr;
  out += ',';
}

// An upper bound for the text of a scene.
std::size_t maxSceneText(int scene) {
  std::size_t size = 64;
  for (int o = 0; o < sceneStore.scenes[scene].objectCount; ++o)
    size += kMaxValueText * (kObjectRows + 1 + 6 * std::size_t(modifierList(scene, o).count) + 3) + 8;
  return size;
}

// Scales split with truncation toward zero, so both parts carry the sign.
int scaleHigh(int v) { return v / 256; }
int scaleLow(int v) { return v - 256 * scaleHigh(v); }
// Positions are shifted into 0..65535 first, so both parts are 0..255.
int positionHigh(int v) { return (v + 32768) / 256; }
int positionLow(int v) { return (v + 32768) % 256; }

int rowValue(const SceneObject& o, int row) {
  switch (row) {
    case 1: return o.cU;
    case 2: return o.cV;
    case 3: return o.material;
    case 4: return o.normalMode;
    case 5: return o.gridN;
    case 6: return o.gridM;
    case 7: return scaleHigh(o.scaleX);
    case 8: return scaleLow(o.scaleX);
    case 9: return scaleHigh(o.scaleY);
    case 10: return scaleLow(o.scaleY);
    case 11: return scaleHigh(o.scaleZ);
    case 12: return scaleLow(o.scaleZ);
    case 13: return o.texture;
    case 14: return o.primitive;
    case 15: return positionHigh(o.posX);
    case 16: return positionLow(o.posX);
    case 17: return positionHigh(o.posY);
    case 18: return positionLow(o.posY);
    case 19: return positionHigh(o.posZ);
    case 20: return positionLow(o.posZ);
    default: return o.alphaMode;
  }
}

int usedScenes() { return std::clamp<int>(sceneStore.sceneCount, 1, kMaxScenes); }

void writeObjectRows(Out& out, int scene) {
  const int n = sceneStore.scenes[scene].objectCount;
  for (int row = 1; row <= kObjectRows; ++row) {
    for (int o = 0; o < n; ++o) put(out, rowValue(objectRecord(scene, o), row));
    out += '\n';
  }
}

void writeModifierLines(Out& out, int scene) {
  const int n = sceneStore.scenes[scene].objectCount;
  for (int o = 0; o < n; ++o) {
    const ModifierList& list = modifierList(scene, o);
    put(out, list.count);
    for (int m = 0; m < list.count; ++m) {
      const Modifier& mod = list.modifiers[m];
      put(out, mod.offsetX);
      put(out, mod.offsetY);
      put(out, mod.offsetZ);
      put(out, mod.radius);
      put(out, mod.strength);
      put(out, mod.kind);
    }
    out += '\n';
  }
}

void writeCloneLine(Out& out, int scene) {
  const int n = sceneStore.scenes[scene].objectCount;
  for (int o = 0; o < std::min(n, kCloneSlots); ++o) {
    const CloneRule& rule = cloneRule(scene, o);
    put(out, rule.cloneCount);
    put(out, rule.cloneKind);
    put(out, rule.cloneStep);
  }
  out += '\n';
}

// ---- reading ----

// Reads values the way the text was always read: white space, an optional sign
// and digits, then on to just past the next ",". Once no "," is left the text is
// used up and every later read fails, so nothing ever looks past its end.
// Alongside, it notes the first thing a check refuses: a value that is not a
// plain number, a count outside its range, or a skipped character that is not a
// line end. Reading itself never depends on that note.
class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text.substr(0, text.find('\0'))) {}

  bool usedUp() const { return usedUp_; }
  bool anyValue() const { return anyValue_; }
  std::size_t position() const { return pos_; }
  const os::TextProblem& problem() const { return problem_; }

  bool read(std::int32_t* value) {
    if (usedUp_) return false;
    std::size_t p = pos_;
    while (p < text_.size() && isWhiteSpace(text_[p])) ++p;
    const std::size_t start = p;
    lastStart_ = start;
    const std::int32_t v = os::parseDecimal(text_, p);
    const std::size_t comma = text_.find(',', p);
    if (comma == std::string_view::npos) {
      usedUp_ = true;
      pos_ = text_.size();
      return false;
    }
    if (!os::isPlainNumber(text_, start, comma)) note(os::TextFault::notNumber, start);
    pos_ = comma + 1;
    anyValue_ = true;
    *value = v;
    return true;
  }

  // A count, noted when it lies outside lo..hi.
  bool readCount(std::int32_t* value, int lo, int hi) {
    if (!read(value)) return false;
    if (*value < lo || *value > hi)
      note(os::TextFault::outOfRange, lastStart_, std::to_string(lo) + ".." + std::to_string(hi));
    return true;
  }

  void skip(std::size_t n) {
    for (std::size_t p = pos_; p < std::min(pos_ + n, text_.size()); ++p)
      if (!isWhiteSpace(text_[p])) note(os::TextFault::notNumber, p);
    pos_ = std::min(pos_ + n, text_.size());
  }

  // Moves 7 characters past the start of the next "clones" (the word and its line end).
  bool findClones() {
    if (usedUp_) return false;
    const std::size_t at = text_.find("clones", pos_);
    if (at == std::string_view::npos) return false;
    pos_ = std::min(at + 7, text_.size());
    return true;
  }

 private:
  static bool isWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
  }

  void note(os::TextFault fault, std::size_t at, std::string expected = {}) {
    if (!problem_) problem_ = os::problemAt(fault, at, std::move(expected));
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  std::size_t lastStart_ = 0;  // where the last value read began
  bool usedUp_ = false;
  bool anyValue_ = false;
  os::TextProblem problem_;
};

// Field widths: uint8 keeps the low 8 bits, int16 the low 16 (two's complement).
std::uint8_t low8(std::int32_t v) { return static_cast<std::uint8_t>(v); }
std::int16_t low16(std::uint32_t v) { return static_cast<std::int16_t>(static_cast<std::uint16_t>(v)); }
std::int16_t scaleOf(std::int32_t high, std::int32_t low) {
  return low16(static_cast<std::uint32_t>(high) * 256u + static_cast<std::uint32_t>(low));
}
std::int16_t positionOf(std::int32_t high, std::int32_t low) {
  return low16((static_cast<std::uint32_t>(high) - 128u) * 256u + static_cast<std::uint32_t>(low));
}

// The tables a read fills: the store itself, or a scratch store that a check
// reads into so that the work is not touched.
SceneObject& objectIn(SceneStore& st, int scene, int object) {
  return st.objects[scene * kObjectSlots + object];
}
ModifierList& listIn(SceneStore& st, int scene, int object) {
  return st.modifierLists[scene * kObjectSlots + object];
}
CloneRule& ruleIn(SceneStore& st, int scene, int object) { return st.cloneRules[scene * kCloneSlots + object]; }

// The object count as a loop bound: 0..255, stored as at least 1.
bool readObjectCount(Reader& in, SceneStore& st, int scene, int* loopBound) {
  std::int32_t v;
  if (!in.readCount(&v, 1, kMaxObjects)) return false;
  *loopBound = low8(v);
  st.scenes[scene].objectCount = low8(std::max<int>(*loopBound, 1));
  return true;
}

bool readObjectRows(Reader& in, SceneStore& st, int scene, int n) {
  std::int32_t high[kObjectSlots] = {};
  for (int row = 1; row <= kObjectRows; ++row) {
    for (int o = 0; o < n; ++o) {
      std::int32_t v;
      if (!in.read(&v)) return false;
      SceneObject& ob = objectIn(st, scene, o);
      switch (row) {
        case 1: ob.cU = low8(v); break;
        case 2: ob.cV = low8(v); break;
        case 3: ob.material = low8(v); break;
        case 4: ob.normalMode = low8(v); break;
        case 5: ob.gridN = low8(v); break;
        case 6: ob.gridM = low8(v); break;
        case 7: case 9: case 11: case 15: case 17: case 19: high[o] = v; break;
        case 8: ob.scaleX = scaleOf(high[o], v); break;
        case 10: ob.scaleY = scaleOf(high[o], v); break;
        case 12: ob.scaleZ = scaleOf(high[o], v); break;
        case 13: ob.texture = low8(v); break;
        case 14: ob.primitive = low8(v); break;
        case 16: ob.posX = positionOf(high[o], v); break;
        case 18: ob.posY = positionOf(high[o], v); break;
        case 20: ob.posZ = positionOf(high[o], v); break;
        default: ob.alphaMode = low8(v); break;
      }
    }
    in.skip(row < kObjectRows ? 1 : 2);
  }
  return true;
}

bool readModifierLines(Reader& in, SceneStore& st, int scene, int n) {
  for (int o = 0; o < n; ++o) {
    ModifierList& list = listIn(st, scene, o);
    std::int32_t v;
    if (!in.readCount(&v, 0, kMaxModifiers)) return false;
    list.count = low8(v);  // at most 255, inside the 256 slots
    for (int m = 0; m < list.count; ++m) {
      std::int32_t f[6];
      for (std::int32_t& x : f)
        if (!in.read(&x)) return false;
      Modifier& mod = list.modifiers[m];
      mod.offsetX = low16(f[0]);
      mod.offsetY = low16(f[1]);
      mod.offsetZ = low16(f[2]);
      mod.radius = low16(f[3]);
      mod.strength = low16(f[4]);
      mod.kind = low8(f[5]);
    }
    in.skip(1);
  }
  return true;
}

bool readCloneLine(Reader& in, SceneStore& st, int scene, int n) {
  for (int o = 0; o < std::min(n, kCloneSlots); ++o) {
    std::int32_t count, kind, step;
    if (!in.readCount(&count, 0, kMaxObjects) || !in.read(&kind) || !in.read(&step)) return false;
    CloneRule& rule = ruleIn(st, scene, o);
    rule.cloneCount = low8(count);
    rule.cloneKind = low8(kind);
    rule.cloneStep = low16(step);
  }
  in.skip(1);
  return true;
}

bool readScenes(Reader& in, SceneStore& st) {
  std::int32_t v;
  if (!in.readCount(&v, 1, kMaxScenes)) return false;
  // A count of 0 reads no scene; the store still keeps scene 0 in use.
  const int scenes = std::min<int>(low8(v), kMaxScenes);
  st.sceneCount = static_cast<std::uint8_t>(std::max(scenes, 1));
  in.skip(1);

  int objects[kMaxScenes] = {};
  for (int s = 0; s < scenes; ++s) {
    if (!readObjectCount(in, st, s, &objects[s])) return false;
    in.skip(1);
    if (!readObjectRows(in, st, s, objects[s])) return false;
  }
  in.skip(1);
  for (int s = 0; s < scenes; ++s) {
    if (!readModifierLines(in, st, s, objects[s])) return false;
    in.skip(1);
  }
  if (!in.findClones()) return !in.usedUp();  // older texts have no clone part
  for (int s = 0; s < scenes; ++s)
    if (!readCloneLine(in, st, s, objects[s])) return false;
  return true;
}

bool readScene(Reader& in, SceneStore& st, int scene) {
  int n = 0;
  if (!readObjectCount(in, st, scene, &n)) return false;
  in.skip(1);
  if (!readObjectRows(in, st, scene, n)) return false;
  if (!readModifierLines(in, st, scene, n)) return false;
  in.skip(1);
  if (!in.findClones()) return !in.usedUp();
  return readCloneLine(in, st, scene, n);
}

// Checks read into this instead of the store. It is as large as the store, but
// only the pages a check writes are ever touched.
SceneStore scratchStore;

GeometryCheck checkWith(std::string_view text, bool (*readInto)(Reader&, SceneStore&)) {
  Reader in(text);
  GeometryCheck check;
  check.complete = readInto(in, scratchStore);
  check.end = in.position();
  check.problem = in.problem();
  // A text without a single value is not geometry at all.
  if (!in.anyValue() && !check.problem) check.problem = os::problemAt(os::TextFault::notNumber, 0);
  return check;
}

}  // namespace

std::string writeAllScenes() {
  const int scenes = usedScenes();
  std::size_t size = 32;
  for (int s = 0; s < scenes; ++s) size += maxSceneText(s);
  std::string text(size, '\0');
  Out out{text.data()};
  put(out, scenes);
  out += '\n';
  for (int s = 0; s < scenes; ++s) {
    put(out, sceneStore.scenes[s].objectCount);
    out += '\n';
    writeObjectRows(out, s);
    out += '\n';
  }
  out += '\n';
  for (int s = 0; s < scenes; ++s) {
    writeModifierLines(out, s);
    out += '\n';
  }
  out += "\nclones\n";
  for (int s = 0; s < scenes; ++s) writeCloneLine(out, s);
  text.resize(static_cast<std::size_t>(out.p - text.data()));
  return text;
}

std::string writeCurrentScene() {
  const int s = sceneStore.currentScene;
  std::string text(maxSceneText(s) + 32, '\0');
  Out out{text.data()};
  put(out, sceneStore.scenes[s].objectCount);
  out += '\n';
  writeObjectRows(out, s);
  out += "\n\n";
  writeModifierLines(out, s);
  out += "\nclones\n";
  writeCloneLine(out, s);
  text.resize(static_cast<std::size_t>(out.p - text.data()));
  return text;
}

GeometryCheck checkAllScenes(std::string_view text) { return checkWith(text, readScenes); }

GeometryCheck checkCurrentScene(std::string_view text) {
  return checkWith(text, [](Reader& in, SceneStore& st) { return readScene(in, st, 0); });
}

bool readAllScenes(std::string_view text) {
  Reader in(text);
  const bool complete = readScenes(in, sceneStore);
  sceneStore.currentScene = 0;
  clampSelection();
  selectLastModifier();
  refreshScenesDialog();
  refreshModifiersDialog();
  refreshClonesDialog();
  notifySelectionChanged();
  return complete;
}

bool readCurrentScene(std::string_view text) {
  Reader in(text);
  const bool complete = readScene(in, sceneStore, sceneStore.currentScene);
  clampSelection();
  selectLastModifier();
  refreshScenesDialog();
  notifySelectionChanged();
  refreshModifiersDialog();
  refreshClonesDialog();
  return complete;
}

}  // namespace vandrel::scene
