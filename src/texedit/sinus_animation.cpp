#include "texedit/sinus_animation.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "platform/os/files.h"

namespace vandrel::texedit {

SinusAnimation sinusAnimation;

namespace {

using Table = std::int32_t[kSinusRows][kSinusWords];

// A bounded reader of comma-separated decimal integers.
class NumberReader {
 public:
  explicit NumberReader(std::string_view text) : text_(text) {}

  bool atEnd() const { return pos_ >= text_.size(); }
  void moveTo(std::size_t p) { pos_ = std::min(p, text_.size()); }

  // Blank lines, and the line feed (or CR LF) that ends the previous line.
  void skipWhiteSpace() {
    while (!atEnd() && (isBlank(text_[pos_]) || text_[pos_] == '\n')) ++pos_;
  }

  // False at the end of the line: no number left on it.
  bool atNumberOnLine() {
    while (!atEnd() && isBlank(text_[pos_])) ++pos_;
    return !atEnd() && text_[pos_] != '\n';
  }

  // The number here (0 without digits, saturated to int32), then past the next
  // comma of the line; *more is false when the line has none.
  std::int32_t read(bool* more) {
    std::size_t p = pos_;
    while (p < text_.size() && isBlank(text_[p])) ++p;
    bool negative = false;
    if (p < text_.size() && (text_[p] == '-' || text_[p] == '+')) negative = text_[p++] == '-';
    long long value = 0;
    for (; p < text_.size() && text_[p] >= '0' && text_[p] <= '9'; ++p)
      value = std::min<long long>(value * 10 + (text_[p] - '0'), 1LL << 32);
    if (negative) value = -value;
    while (p < text_.size() && text_[p] != ',' && text_[p] != '\n') ++p;
    *more = p < text_.size() && text_[p] == ',';
    pos_ = *more ? p + 1 : p;
    return static_cast<std::int32_t>(std::clamp<long long>(value, INT_MIN, INT_MAX));
  }

  void nextLine() {
    while (!atEnd() && text_[pos_] != '\n') ++pos_;
    if (!atEnd()) ++pos_;
  }

 private:
  static bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

  std::string_view text_;
  std::size_t pos_ = 0;
};

// One group line into words 1..7 of a row (nullptr: read and dropped).
void readGroup(NumberReader& in, std::int32_t* row) {
  bool more = true;
  for (int j = 1; j <= kSinusParams && more && in.atNumberOnLine(); ++j) {
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
  NumberReader in(text);
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
