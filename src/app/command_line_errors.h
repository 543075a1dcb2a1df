#pragma once
// What the argument parser refuses, told in the program's own language: the
// parser's messages are English, the rest of the command line speaks Russian.

#include <CLI/CLI.hpp>

#include <string>

namespace vandrel::app {

// One line for a parse error, naming the option or argument at fault.
std::string parseErrorText(const CLI::ParseError& error);

}  // namespace vandrel::app
