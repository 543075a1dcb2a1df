#pragma once
// `vandrel texture IN.vtx [--size N] [--alpha] -o OUT.(png|raw)`
// `vandrel texture PACK.vsc --all [--alpha] -o FOLDER`

#include <iosfwd>
#include <string>

#include "texgen/texture_log_file.h"

namespace vandrel::app {

struct TextureCommandOptions {
  std::string input;
  std::string output;
  int size = 0;  // 0: the file's own size
  // A `.png` holds what the preview shows, the colours; with this, alpha as well.
  bool alpha = false;
  // A pack's every slot with a log, each as FOLDER/slot_NNN.png.
  bool all = false;
};

// Replays the log as the editor does and writes the final layer. Warnings and
// errors go to err; returns the process exit code.
int runTextureCommand(const TextureCommandOptions& options, std::ostream& err);

// The lines a read skipped or left out, as warnings on err naming the input.
void reportLogWarnings(const texgen::LogReadResult& read, const std::string& input, std::ostream& err);

// The texture set of a pack (options.all). A terminal on err sees one progress
// line that counts up.
int runTextureSetCommand(const TextureCommandOptions& options, std::ostream& err, bool terminal);

}  // namespace vandrel::app
