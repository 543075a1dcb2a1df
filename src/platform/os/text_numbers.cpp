#include "platform/os/text_numbers.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace vandrel::os {

namespace {
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }
}  // namespace

std::int32_t parseDecimal(std::string_view text, std::size_t& pos) {
  bool negative = false;
  if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) negative = text[pos++] == '-';
  long long value = 0;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos)
    value = std::min<long long>(value * 10 + (text[pos] - '0'), 1LL << 32);
  if (negative) value = -value;
  return static_cast<std::int32_t>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

std::int32_t truncToInt32(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return INT_MAX;
  if (v <= -2147483648.0) return INT_MIN;
  return static_cast<std::int32_t>(v);
}

void NumberReader::skipWhiteSpace() {
  while (!atEnd() && (isBlank(text_[pos_]) || text_[pos_] == '\n')) ++pos_;
}

bool NumberReader::atNumber(bool lineBound) {
  while (!atEnd() && (isBlank(text_[pos_]) || (!lineBound && text_[pos_] == '\n'))) ++pos_;
  return !atEnd() && text_[pos_] != '\n';
}

bool isPlainNumber(std::string_view text, std::size_t start, std::size_t end) {
  std::size_t p = start;
  while (p < end && isBlank(text[p])) ++p;
  if (p < end && (text[p] == '-' || text[p] == '+')) ++p;
  const std::size_t digits = p;
  while (p < end && text[p] >= '0' && text[p] <= '9') ++p;
  if (p == digits) return false;
  while (p < end && isBlank(text[p])) ++p;
  return p == end;
}

std::int32_t NumberReader::read(bool* more, bool lineBound) {
  const std::size_t start = pos_;
  std::size_t p = pos_;
  while (p < text_.size() && isBlank(text_[p])) ++p;
  const std::int32_t value = parseDecimal(text_, p);
  while (p < text_.size() && text_[p] != ',' && !(lineBound && text_[p] == '\n')) ++p;
  if (firstMalformed_ == std::string_view::npos && !isPlainNumber(text_, start, p)) firstMalformed_ = start;
  *more = p < text_.size() && text_[p] == ',';
  pos_ = *more ? p + 1 : p;
  return value;
}

void NumberReader::nextLine() {
  while (!atEnd() && text_[pos_] != '\n') ++pos_;
  if (!atEnd()) ++pos_;
}

}  // namespace vandrel::os
