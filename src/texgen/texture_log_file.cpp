#include "texgen/texture_log_file.h"

#include <algorithm>
#include <climits>

#include "platform/os/files.h"
#include "platform/os/plural.h"
#include "platform/os/text_checks.h"
#include "platform/os/text_numbers.h"
#include "texgen/catalogue.h"
#include "texgen/dispatcher.h"
#include "texgen/editor_hooks.h"
#include "texgen/texture_store.h"

namespace vandrel::texgen {

namespace {

// A forgiving scanner over the text. Searches that belong to one line stop at
// its ";" or its line end, so a short or broken line never takes numbers from
// the lines after it, and nothing reads past the end of the text.
class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}

  bool atEnd() const { return pos_ >= text_.size(); }
  std::size_t position() const { return pos_; }
  std::string_view rest() const { return text_.substr(std::min(pos_, text_.size())); }
  void advance(std::size_t n) { pos_ = std::min(pos_ + n, text_.size()); }
  void moveTo(std::size_t p) { pos_ = std::min(p, text_.size()); }

  // Line ends may be CR LF: white space before a name is not part of it.
  void skipWhiteSpace() {
    while (!atEnd() && isWhiteSpace(text_[pos_])) ++pos_;
  }

  // Position of the next c on the current line, before its ";"; npos if none.
  std::size_t findOnLine(char c) const {
    for (std::size_t p = pos_; p < text_.size(); ++p) {
      char here = text_[p];
      if (here == c) return p;
      if (here == ';' || here == '\n') break;
    }
    return std::string_view::npos;
  }

  // Two characters after the next ";" of the line (past ";" and its line feed);
  // the next line's start when the line has no ";".
  void skipPastStatement() {
    std::size_t p = pos_;
    while (p < text_.size() && text_[p] != ';' && text_[p] != '\n') ++p;
    if (p < text_.size() && text_[p] == ';')
      moveTo(p + 2);
    else
      moveTo(p + 1);
  }

  // Leading blanks and a sign, then digits; anything else reads as 0. Values
  // beyond the int32 range saturate.
  int readNumber() {
    std::size_t p = pos_;
    while (p < text_.size() && (text_[p] == ' ' || text_[p] == '\t')) ++p;
    return os::parseDecimal(text_, p);
  }

  // Counted on from the last call (the position only moves forward), so a text of
  // many unknown lines is still read in one pass.
  int lineNumber() {
    for (; countedTo_ < pos_; ++countedTo_)
      if (text_[countedTo_] == '\n') ++line_;
    return line_;
  }

 private:
  static bool isWhiteSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

  std::string_view text_;
  std::size_t pos_ = 0;
  std::size_t countedTo_ = 0;
  int line_ = 1;
};

constexpr std::string_view kFirstLine = "texture generation log";
constexpr std::string_view kSizeKey = "tsize=";

void applyEdgeSize(int edge) {
  TextureStore& s = textureStore;
  if (textureHooks.selectSizeItem) textureHooks.selectSizeItem(edgeSizeIndex(edge));
  if (textureHooks.recreateSlotTexture) textureHooks.recreateSlotTexture(s.currentSlot, edge);
  currentSlot().edgeSize = edge;
  currentSlot().renderSize = edge;
  s.edgeSize = edge;
}

void readParameters(Scanner& in, TextureOp& op, int n) {
  std::size_t open = in.findOnLine('(');
  if (open == std::string_view::npos) return;
  in.moveTo(open + 1);
  for (int i = 1; i <= n; ++i) {
    op.setParam(i, in.readNumber());
    if (i == n) break;
    std::size_t comma = in.findOnLine(',');
    if (comma == std::string_view::npos) return;  // the rest read as 0
    in.moveTo(comma + 1);
  }
}

// The operation lines after the size line, as the reader takes them: entry(code)
// for a known name with the scanner just past it, unknown() for a line whose name
// is not in the catalogue. "end" or the end of the text stops the walk.
template <typename Entry, typename Unknown>
void walkOperations(Scanner& in, Entry entry, Unknown unknown) {
  for (;;) {
    in.skipWhiteSpace();
    if (in.atEnd()) break;  // a text without "end" ends its log here
    std::size_t nameLength = 0;
    const int code = codeOfName(in.rest(), &nameLength);
    if (code < 0) {
      unknown();
      in.skipPastStatement();
      continue;
    }
    if (code == kEnd) break;
    in.advance(nameLength);
    entry(code);
    in.skipPastStatement();
  }
}

// Each parameter the reader takes must be a whole number 0..255. Parameters the
// line leaves out (fewer commas, or empty parentheses) read as 0 and are fine; an
// empty place after a comma is not.
os::TextProblem checkParameters(std::string_view text, const Scanner& in, int n) {
  const std::size_t open = in.findOnLine('(');
  if (open == std::string_view::npos) return {};
  std::size_t start = open + 1;
  for (int i = 1; i <= n; ++i) {
    std::size_t end = start;
    while (end < text.size() && text[end] != ',' && text[end] != ')' && text[end] != ';' && text[end] != '\n')
      ++end;
    const bool more = end < text.size() && text[end] == ',';
    const bool empty = text.substr(start, end - start).find_first_not_of(" \t\r") == std::string_view::npos;
    if (i == 1 && empty && !more) return {};
    const std::size_t at = std::min(text.find_first_not_of(" \t", start), end);
    if (!os::isPlainNumber(text, start, end)) return os::problemAt(os::TextFault::notNumber, at);
    std::size_t p = at;
    const int value = os::parseDecimal(text, p);
    if (value < 0 || value > kParamMax) return os::problemAt(os::TextFault::outOfRange, at, "0..255");
    if (!more) break;
    start = end + 1;
  }
  return {};
}

}  // namespace

std::string writeLog() {
  const TextureStore& s = textureStore;
  return writeLog(s.currentSlot, s.edgeSize, s.entryCount);
}

std::string writeLog(int slotNumber, int edge, int entryCount) {
  const TextureSlot& slot = textureStore.slots[slotNumber];
  std::string out = "texture generation log\ntsize=" + std::to_string(edge) + ";\n";
  for (int i = 1; i < entryCount && i < kLogLength; ++i) {
    const TextureOp& op = slot.log[i];
    out += operationName(op.code());
    out += '(';
    for (int k = 1; k <= parameterCount(op.code()); ++k) {
      if (k > 1) out += ',';
      out += std::to_string(op.param(k));
    }
    out += ");\n";
  }
  out += "end\n";
  return out;
}

LogReadResult readLog(std::string_view text) {
  LogReadResult result;
  TextureStore& s = textureStore;
  const std::size_t sizeAt = text.find(kSizeKey);
  if (sizeAt == std::string_view::npos) return result;

  Scanner in(text);
  in.moveTo(sizeAt + 6);
  result.foundSize = true;
  result.sizeRead = in.readNumber();
  if (edgeSizeIndex(result.sizeRead) >= 0) {
    applyEdgeSize(result.sizeRead);
    result.sizeApplied = true;
  }
  const std::size_t semicolon = text.find(';', sizeAt);
  if (semicolon == std::string_view::npos) return result;
  in.moveTo(semicolon + 2);

  walkOperations(
      in,
      [&](int code) {
        // Past the slot's room the lines are only counted, so the user learns how
        // many were left out.
        if (result.stoppedAtCapacity || s.entryCount >= currentCapacity()) {
          result.stoppedAtCapacity = true;
          result.edge = s.edgeSize;
          result.capacity = currentCapacity() - 1;
          ++result.operationsLeftOut;
          return;
        }
        TextureOp& op = currentEntry();
        op = TextureOp{};
        op.words[0] = code;
        readParameters(in, op, parameterCount(code));
        ++s.entryCount;
        ++result.operationsRead;
      },
      [&] { result.unknownLines.push_back(in.lineNumber()); });
  return result;
}

std::string logFullText(int edge, int capacity, int leftOut) {
  std::string text = "Лог текстуры заполнен: при размере " + std::to_string(edge) + " помещается " +
                     os::operationsCount(capacity);
  if (leftOut > 0) text += "; не загружено операций: " + std::to_string(leftOut);
  return text;
}

std::string leftOutText(const LogReadResult& read) {
  if (!read.stoppedAtCapacity) return "";
  return logFullText(read.edge, read.capacity, read.operationsLeftOut);
}

os::TextProblem checkLog(std::string_view text) {
  if (!os::startsWithLine(text, kFirstLine))
    return os::problemAt(os::TextFault::wrongKind, std::min(text.find_first_not_of(" \t\r\n"), text.size()),
                         std::string(kFirstLine));
  const std::size_t sizeAt = text.find(kSizeKey);
  if (sizeAt == std::string_view::npos)
    return os::problemAt(os::TextFault::wrongKind, std::min(text.find('\n') + 1, text.size()), "tsize=N;");
  std::size_t p = sizeAt + kSizeKey.size();
  while (p < text.size() && (text[p] == ' ' || text[p] == '\t')) ++p;
  if (edgeSizeIndex(os::parseDecimal(text, p)) < 0)
    return os::problemAt(os::TextFault::outOfRange, sizeAt, "32, 64, 128, 256 или 512");
  const std::size_t semicolon = text.find(';', sizeAt);
  if (semicolon == std::string_view::npos) return {};
  Scanner in(text);
  in.moveTo(semicolon + 2);
  os::TextProblem problem;
  walkOperations(
      in,
      [&](int code) {
        if (!problem) problem = checkParameters(text, in, parameterCount(code));
      },
      [] {});
  return problem;
}

os::TextProblem checkLogText(std::string_view text) {
  if (os::TextProblem p = os::checkPlainText(text)) return p;
  return checkLog(text);
}

bool loadLogFile(const std::string& path, LogReadResult* result, std::string* error) {
  std::string text;
  if (!os::readFile(path, &text, error)) return false;
  if (const os::TextProblem problem = checkLogText(text)) {
    if (error) *error = os::refusalMessage(path, text, problem);
    return false;
  }
  textureStore.entryCount = 1;
  if (textureHooks.clearHistory) textureHooks.clearHistory();
  *result = readLog(text);
  replayCurrentSlot();
  return true;
}

bool saveLogFile(const std::string& path, std::string* error) {
  return os::writeFile(path, writeLog(), error);
}

}  // namespace vandrel::texgen
