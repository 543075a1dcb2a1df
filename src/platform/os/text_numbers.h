#pragma once
// Reading and writing the integers of our text formats: position-driven readers
// that never read beyond the text, and the truncation every writer uses.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vandrel::os {

// The decimal integer at text[pos]: an optional sign, then digits (none gives 0),
// saturated to the int32 range. pos moves past what was read.
std::int32_t parseDecimal(std::string_view text, std::size_t& pos);

// Truncation toward zero that is defined for every double: NaN gives 0 and values
// beyond the int32 range saturate.
std::int32_t truncToInt32(double v);

// Comma-separated decimal integers. With lineBound, a read never looks past the
// line feed of its line, so a short line cannot take the next line's numbers.
class NumberReader {
 public:
  explicit NumberReader(std::string_view text) : text_(text) {}

  bool atEnd() const { return pos_ >= text_.size(); }
  std::size_t position() const { return pos_; }
  void moveTo(std::size_t p) { pos_ = p < text_.size() ? p : text_.size(); }

  // Blanks, carriage returns and line feeds.
  void skipWhiteSpace();
  // Skips blanks (and line feeds unless lineBound); false when no number can start
  // here (the end of the text, or of the line).
  bool atNumber(bool lineBound = true);
  // The number here, then on to just past the next comma; *more is false when
  // there is no further comma (on the line, with lineBound).
  std::int32_t read(bool* more, bool lineBound = true);
  // Past the next line feed.
  void nextLine();

  // Where the first value read was not a plain number (text where its digits
  // belong, or something between them and their comma); npos while all were.
  // Reading takes such a value as always; checks refuse the text.
  std::size_t firstMalformed() const { return firstMalformed_; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  std::size_t firstMalformed_ = std::string_view::npos;
};

// Whether text[start..end) is one plain decimal: blanks, an optional sign, digits,
// blanks.
bool isPlainNumber(std::string_view text, std::size_t start, std::size_t end);

}  // namespace vandrel::os
