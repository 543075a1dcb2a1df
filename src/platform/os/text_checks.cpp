#include "platform/os/text_checks.h"

#include <algorithm>

namespace vandrel::os {

namespace {

constexpr std::size_t kQuotedLine = 40;

bool isLineSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string_view lineAround(std::string_view text, std::size_t position) {
  std::size_t from = std::min(position, text.size());
  while (from > 0 && text[from - 1] != '\n') --from;
  const std::size_t lineEnd = text.find('\n', from);
  std::string_view line = text.substr(from, lineEnd == std::string_view::npos ? text.npos : lineEnd - from);
  while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

// The line as it can be shown: cut to a readable length, never in the middle of
// a UTF-8 character.
std::string quotable(std::string_view line) {
  if (line.size() <= kQuotedLine) return std::string(line);
  std::size_t cut = kQuotedLine;
  while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
  return std::string(line.substr(0, cut)) + "…";
}

std::string reason(const TextProblem& p) {
  switch (p.fault) {
    case TextFault::none: return "";
    case TextFault::empty: return "файл пуст";
    case TextFault::binary: return "двоичные данные, а не текст";
    case TextFault::wrongKind: return "ожидалась строка «" + p.expected + "»";
    case TextFault::notNumber: return "ожидалось число";
    case TextFault::outOfRange: return "значение вне допустимых пределов (" + p.expected + ")";
    case TextFault::cutShort: return "раздел оборван до конца своих данных";
  }
  return "";
}

}  // namespace

TextProblem problemAt(TextFault fault, std::size_t position, std::string expected) {
  return TextProblem{fault, position, std::move(expected)};
}

std::size_t firstBinaryByte(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if ((c < 0x20 && !isLineSpace(static_cast<char>(c))) || c == 0x7F) return i;
  }
  return std::string_view::npos;
}

TextProblem checkPlainText(std::string_view text) {
  if (const std::size_t at = firstBinaryByte(text); at != std::string_view::npos)
    return problemAt(TextFault::binary, at);
  if (std::all_of(text.begin(), text.end(), isLineSpace)) return problemAt(TextFault::empty, 0);
  return {};
}

bool startsWithLine(std::string_view text, std::string_view firstLine) {
  std::size_t p = 0;
  while (p < text.size() && isLineSpace(text[p])) ++p;
  return text.substr(p, firstLine.size()) == firstLine;
}

int lineNumberAt(std::string_view text, std::size_t position) {
  position = std::min(position, text.size());
  return 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(position), '\n'));
}

std::string describeProblem(std::string_view text, const TextProblem& problem, bool sentence) {
  if (problem.fault == TextFault::empty) return sentence ? "Файл пуст." : reason(problem);
  std::string out = (sentence ? "Строка " : "строка ") + std::to_string(lineNumberAt(text, problem.position)) +
                    ": " + reason(problem);
  if (problem.fault != TextFault::binary) {
    const std::string_view line = lineAround(text, problem.position);
    if (!line.empty()) out += ": «" + quotable(line) + "»";
  }
  return out;
}

std::string refusalMessage(const std::string& path, std::string_view text, const TextProblem& problem) {
  return "Файл «" + path + "» не загружен.\n" + describeProblem(text, problem, true);
}

TextProblem shifted(TextProblem problem, std::size_t offset) {
  if (problem) problem.position += offset;
  return problem;
}

}  // namespace vandrel::os
