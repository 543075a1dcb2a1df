#pragma once
// `vandrel texture IN.vtx [--size N] [--alpha] -o OUT.(png|raw)`

#include <iosfwd>
#include <string>

namespace vandrel::app {

struct TextureCommandOptions {
  std::string input;
  std::string output;
  int size = 0;  // 0: the file's own size
  // A `.png` holds what the preview shows, the colours; with this, alpha as well.
  bool alpha = false;
};

// Replays the log as the editor does and writes the final layer. Warnings and
// errors go to err; returns the process exit code.
int runTextureCommand(const TextureCommandOptions& options, std::ostream& err);

}  // namespace vandrel::app
