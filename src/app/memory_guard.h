#pragma once
// Commands run on files of any size: one that does not fit the machine's memory
// is told in one line, never left to abort the program.

#include <functional>
#include <iosfwd>

namespace vandrel::app {

// Runs the command and returns its exit code, or 1 with "vandrel: недостаточно
// памяти" on err when an allocation inside it fails.
int runWithinMemory(std::ostream& err, const std::function<int()>& command);

}  // namespace vandrel::app
