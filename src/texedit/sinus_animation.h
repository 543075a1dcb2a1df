#pragma once
// Settings of the sinus texture animation: for every log entry of the current slot
// and each of its seven parameters, an amplitude, a frequency and a phase, kept in
// three tables and stored as ".sna" text.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/os/text_checks.h"

namespace vandrel::texedit {

inline constexpr int kSinusRows = 100;  // row r belongs to log entry r; row 0 is unused
inline constexpr int kSinusWords = 10;  // words 1..7 hold parameters 1..7
inline constexpr int kSinusParams = 7;
inline constexpr int kMaxEntryCount = 255;  // entries of a texture log

struct SinusAnimation {
  std::int32_t phase[kSinusRows][kSinusWords];
  std::int32_t frequency[kSinusRows][kSinusWords];
  std::int32_t amplitude[kSinusRows][kSinusWords];
};

extern SinusAnimation sinusAnimation;

// Start-up state: every word 0.
void resetSinusAnimation();

// "Стереть": words 1..7 of every row of the three tables become 0.
void clearSinusTables();

// The ".sna" text for a log of entryCount entries: "entryCount;" then, for entries
// 1..entryCount-1, the amplitude, frequency and phase lines and an empty line.
// Entries from 100 on have no row; they are written as zeros so that the file
// still holds one record per entry.
std::string writeSinusAnimation(int entryCount);

// Reads a ".sna" text, never beyond its end, and returns its leading entry count.
// Each group is read from its own line; numbers a line does not carry, rows the
// text does not reach and rows from n on keep their values. Records of entries 100
// and above are read past and dropped. Values are stored as read, even outside
// 0..255, so their users must hold them to range.
int readSinusAnimation(std::string_view text);

// What a load refuses: no "count;" first line, a count outside 1..255, or a value
// that is not a plain number.
os::TextProblem checkSinusAnimationText(std::string_view text);

// A failed or refused load changes nothing (error says why, naming the file);
// ".sna" is appended to a save name without it.
bool loadSinusAnimationFile(const std::string& path, std::string* error);
bool saveSinusAnimationFile(const std::string& path, int entryCount, std::string* error);

}  // namespace vandrel::texedit
