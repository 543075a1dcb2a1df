#pragma once
// The texture log as text (".vtx"): the edge size and one line per operation.

#include <string>
#include <string_view>
#include <vector>

#include "platform/os/text_checks.h"

namespace vandrel::texgen {

struct LogReadResult {
  bool foundSize = false;      // the text has "tsize="
  int sizeRead = 0;            // the number after it
  bool sizeApplied = false;    // it was one of the five sizes and is now current
  int operationsRead = 0;
  std::vector<int> unknownLines;  // 1-based line numbers of unknown operation names
  bool stoppedAtCapacity = false;  // the slot's log or the layer block was full
  int operationsLeftOut = 0;       // operation lines after that, not read
  int edge = 0, capacity = 0;      // the edge size then, and the operations it holds
};

// The text of the current slot's log at the current edge size.
std::string writeLog();
// The text of any slot's log, given its edge size and entry count.
std::string writeLog(int slot, int edge, int entryCount);

// Appends the operations of a log text to the current slot, starting at the
// current entry count, and applies its edge size when it is one of the five.
// Never reads outside `text`; stops when the log or the layer block is full.
LogReadResult readLog(std::string_view text);

// The notice for a log that did not fit: "Лог текстуры заполнен: при размере 64
// помещается 254 операции; не загружено операций: 46" (without the count when
// leftOut is 0). leftOutText is that notice for a read, "" when all of it fitted.
std::string logFullText(int edge, int capacity, int leftOut);
std::string leftOutText(const LogReadResult& read);

// What a load refuses in a log text: no "texture generation log" first line, no
// "tsize=", a size that is not one of the five, or a parameter that is not a
// whole number 0..255. Unknown operation lines are skipped as always, and
// parameters a line leaves out read as 0.
// checkLog looks at the log alone (as a pack holds it), checkLogText at a whole
// ".vtx" file, which must also be plain text.
os::TextProblem checkLog(std::string_view text);
os::TextProblem checkLogText(std::string_view text);

// Loads a whole log file into the current slot and
// replays it. Returns false, changing nothing, when the file cannot be read or is
// refused (error then names the file and says why).
bool loadLogFile(const std::string& path, LogReadResult* result, std::string* error);

// Writes the current slot's log; an existing file is replaced only once the new
// text is completely written.
bool saveLogFile(const std::string& path, std::string* error);

}  // namespace vandrel::texgen
