#pragma once
// Whole-file reads and writes that report failure to their caller.

#include <cstddef>
#include <string>
#include <string_view>

namespace vandrel::os {

// A system error number as the user reads it, in Russian.
std::string describeError(int err);

// Reads at most maxBytes of a file (binary). On failure returns false and sets
// error to one line naming the file and the reason.
bool readFile(const std::string& path, std::size_t maxBytes, std::string* contents,
              std::string* error);

// Writes data to a temporary file beside path and renames it over path, so a
// failed write never leaves a half-written file in place of the old one.
bool writeFile(const std::string& path, std::string_view data, std::string* error);

}  // namespace vandrel::os
