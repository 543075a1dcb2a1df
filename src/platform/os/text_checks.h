#pragma once
// What makes a file unfit to load: the first fault a check finds, where it is,
// and the one message that tells the user about it. Loaders check a whole text
// before they change anything, so a refused file leaves the work as it was.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vandrel::os {

enum class TextFault : std::uint8_t {
  none,
  empty,       // nothing but white space
  binary,      // bytes no text file has
  wrongKind,   // the first line or marker of the format is missing
  notNumber,   // something else where a number belongs
  outOfRange,  // a count or value that would wreck the work
  cutShort,    // a section ends before its data while more sections follow
};

struct TextProblem {
  TextFault fault = TextFault::none;
  std::size_t position = 0;  // byte of the text where it was found
  std::string expected;      // what belongs there: a first line, a range

  explicit operator bool() const { return fault != TextFault::none; }
};

TextProblem problemAt(TextFault fault, std::size_t position, std::string expected = {});

// The first byte that is neither printable nor a blank, tab or line end (any byte
// from 128 up is text: the files are 8-bit); npos when there is none.
std::size_t firstBinaryByte(std::string_view text);

// A text's own faults before any format is looked at: binary bytes, or nothing
// but white space.
TextProblem checkPlainText(std::string_view text);

// Whether the first line (after leading white space) starts with firstLine.
bool startsWithLine(std::string_view text, std::string_view firstLine);

// 1-based line of a byte of the text.
int lineNumberAt(std::string_view text, std::size_t position);

// "строка 12: ожидалось число: «12x34,»" for the command line; as a sentence of
// its own ("Строка 12: ...") for a message.
std::string describeProblem(std::string_view text, const TextProblem& problem, bool sentence = false);

// The one message for a refused file: the file, then its first bad line.
std::string refusalMessage(const std::string& path, std::string_view text, const TextProblem& problem);

// Adds a line's offset in a larger text to a problem found in part of it.
TextProblem shifted(TextProblem problem, std::size_t offset);

}  // namespace vandrel::os
