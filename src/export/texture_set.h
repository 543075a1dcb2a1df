#pragma once
// Texture sets: every stored slot's final image as a PNG file of its own, rebuilt
// from its log at its stored size.

#include <functional>
#include <string>

#include "platform/os/image_output.h"

namespace vandrel::exporting {

// The slots a set holds: those a pack stores.
constexpr int kFirstSetSlot = 1;
constexpr int kLastSetSlot = 253;

// "slot_NNN.png"
std::string textureSetFileName(int slot);

// Slots kFirstSetSlot..kLastSetSlot whose log is not empty (entry count 2 or more).
int textureSetSize();

struct TextureSetProgress {
  // After each file written: the slot, how many files so far, and of how many.
  std::function<void(int slot, int written, int total)> fileWritten;
};

// Writes every slot with a log as folder/slot_NNN.png (the folder is made when
// missing), the slots replayed on every core. The current slot stays current and
// its layers are rebuilt as a selection leaves them. Each file is written whole or
// not at all; on the first failure it stops and returns false with a message.
bool writeTextureSet(const std::string& folder, os::PngChannels channels, const TextureSetProgress& progress,
                     std::string* error);

}  // namespace vandrel::exporting
