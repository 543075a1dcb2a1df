#include "texedit/sinus_animation.h"

#include <algorithm>
#include <cstring>

#include "platform/os/files.h"
#include "platform/os/text_checks.h"
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

namespace {

struct SinusRead {
  int count = 0;
  os::TextProblem problem;  // what a check refuses
};

// Reads into the given tables: the animation's own, or scratch ones for a check.
SinusRead readSinusInto(std::string_view text, SinusAnimation& target) {
  SinusRead result;
  os::NumberReader in(text);
  in.skipWhiteSpace();
  const std::size_t countAt = in.position();
  std::size_t afterCount = countAt;
  const int n = os::parseDecimal(text, afterCount);
  result.count = n;
  const std::size_t semicolon = text.find(';');
  const std::size_t lineEnd = text.find('\n', countAt);
  const bool countLine = semicolon != std::string_view::npos && semicolon < lineEnd &&
                         os::isPlainNumber(text, countAt, semicolon);
  if (!countLine) result.problem = os::problemAt(os::TextFault::wrongKind, countAt, "число записей;");
  if (semicolon == std::string_view::npos) return result;
  if (!result.problem && (n < 1 || n > kMaxEntryCount))
    result.problem = os::problemAt(os::TextFault::outOfRange, countAt, "1.." + std::to_string(kMaxEntryCount));
  in.moveTo(semicolon + 1);
  for (int e = 1; e < n; ++e) {
    for (Table* table : {&target.amplitude, &target.frequency, &target.phase}) {
      in.skipWhiteSpace();
      if (in.atEnd()) break;
      readGroup(in, e < kSinusRows ? (*table)[e] : nullptr);
    }
  }
  if (!result.problem && in.firstMalformed() != std::string_view::npos)
    result.problem = os::problemAt(os::TextFault::notNumber, in.firstMalformed());
  return result;
}

}  // namespace

int readSinusAnimation(std::string_view text) { return readSinusInto(text, sinusAnimation).count; }

os::TextProblem checkSinusAnimationText(std::string_view text) {
  if (os::TextProblem p = os::checkPlainText(text)) return p;
  static SinusAnimation scratch;
  return readSinusInto(text, scratch).problem;
}

bool loadSinusAnimationFile(const std::string& path, std::string* error) {
  std::string text;
  if (!os::readFile(path, &text, error)) return false;
  if (const os::TextProblem problem = checkSinusAnimationText(text)) {
    if (error) *error = os::refusalMessage(path, text, problem);
    return false;
  }
  readSinusAnimation(text);
  return true;
}

bool saveSinusAnimationFile(const std::string& path, int entryCount, std::string* error) {
  const std::string name = path.find(".sna") == std::string::npos ? path + ".sna" : path;
  return os::writeFile(name, writeSinusAnimation(entryCount), error);
}

}  // namespace vandrel::texedit
