#pragma once
// `vandrel info FILE` and `vandrel resave IN -o OUT` for every file kind the
// program reads: .vsc, .vsl, .vtx, .vmt, .vrs, .sna.

#include <iosfwd>
#include <string>

namespace vandrel::app {

// Prints a readable summary of the file to out. Returns the exit code.
int runInfoCommand(const std::string& path, std::ostream& out, std::ostream& err);

// Reads the file with the program's reader and writes it back with its writer.
int runResaveCommand(const std::string& input, const std::string& output, std::ostream& err);

}  // namespace vandrel::app
