#include "texedit/sinus_animation.h"

#include <algorithm>
#include <cstring>

#include "platform/os/files.h"
#include "platform/os/text_numbers.h"

namespace vandrel::texedit {

SinusAnimation sinusAnimation;

namespace {

using Table = std::int32_t[kSinusRows][kSinusWords];


// One group line into words 1..7 of a row (nullptr: read and dropped).
void readGroup(os::NumberReader& in, std::int32_t* row) {
  bool more = true;
  for (int j = 1; j <= kSinusParams && more && in.atNumber(); ++j) {
    const std::int32_t v = in.read(&more);
    if (row) row[j] = v;
  }
  in.nextLine();
}

}  // namespace

void resetSinusAnimation() { std::memset(&sinusAnimation, 0, sizeof sinusAnimation); }

void clearSinusTables() {
  for (Table* table : {&sinusAnimation.phase, &sinusAnimation.frequency, &sinusAnimation.amplitude})
    for (auto& row : *table) std::fill(row + 1, row + 1 + kSinusParams, 0);
}

std::string writeSinusAnimation(int entryCount) {
  std::string out = std::to_string(entryCount) + ";\n";
  static constexpr std::int32_t kNoRow[kSinusWords] = {};
  // A log has at most 255 entries; a larger count (from a damaged file) writes no
  // more records than that.
  const int records = entryCount < kMaxEntryCount ? entryCount : kMaxEntryCount;
  for (int e = 1; e < records; ++e) {
    for (const Table* table :
         {&sinusAnimation.amplitude, &sinusAnimation.frequency, &sinusAnimation.phase}) {
      const std::int32_t* row = e < kSinusRows ? (*table)[e] : kNoRow;
      for (int j = 1; j <= kSinusParams; ++j) {
        out += std::to_string(row[j]);
        out += ',';
      }
      out += '\n';
    }
    out += '\n';
  }
  return out;
}

int readSinusAnimation(std::string_view text) {
  os::NumberReader in(text);
  in.skipWhiteSpace();
  bool more = false;
  const int n = in.read(&more);
  const std::size_t semicolon = text.find(';');
  if (semicolon == std::string_view::npos) return n;
  in.moveTo(semicolon + 1);
  for (int e = 1; e < n; ++e) {
    for (Table* table :
         {&sinusAnimation.amplitude, &sinusAnimation.frequency, &sinusAnimation.phase}) {
      in.skipWhiteSpace();
      if (in.atEnd()) return n;
      readGroup(in, e < kSinusRows ? (*table)[e] : nullptr);
    }
  }
  return n;
}

bool loadSinusAnimationFile(const std::string& path, std::string* error) {
  std::string text;
  if (!os::readFile(path, kMaxSinusFileBytes, &text, error)) return false;
  readSinusAnimation(text);
  return true;
}

bool saveSinusAnimationFile(const std::string& path, int entryCount, std::string* error) {
  const std::string name = path.find(".sna") == std::string::npos ? path + ".sna" : path;
  return os::writeFile(name, writeSinusAnimation(entryCount), error);
}

}  // namespace vandrel::texedit
