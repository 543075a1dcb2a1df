#pragma once
// Texture sets: every stored slot's final image as a PNG file of its own, rebuilt
// from its log at its stored size.

#include <functional>
#include <set>
#include <string>

#include "platform/os/image_output.h"

namespace vandrel::exporting {

// The slots a set holds: those a pack stores.
constexpr int kFirstSetSlot = 1;
constexpr int kLastSetSlot = 253;

// "slot_NNN.png"
std::string textureSetFileName(int slot);

// A slot kFirstSetSlot..kLastSetSlot whose log is not empty (entry count 2 or more).
bool slotHasLog(int slot);

// How many slots have a log.
int textureSetSize();

// Makes each of the slots given that has a log current in turn (runs of
// neighbours replayed on every core) and calls each(slot) with the slot's final
// image in the current layers. Each image also goes to its device texture, which
// the selection made anew, so the 3D view keeps drawing it. Then the slot that was
// current is current again, its layers rebuilt as a selection leaves them.
// stop, when given, is asked after each image: true ends the walk there (the
// slot that was current is current again all the same) and makes it return false.
bool visitSlotImages(const std::set<int>& slots, const std::function<void(int slot)>& each,
                     const std::function<bool()>& stop = {});

struct TextureSetProgress {
  // After each file written: the slot, how many files so far, and of how many.
  std::function<void(int slot, int written, int total)> fileWritten;
  // Asked after each file: true abandons the set (false returned, no message).
  std::function<bool()> stop;
};

// Writes every slot with a log as folder/slot_NNN.png (the folder is made when
// missing), the slots replayed on every core. The current slot stays current and
// its layers are rebuilt as a selection leaves them. The files are written beside
// their places and put there only when all are written, so a failed or abandoned
// set leaves the folder's old files as they were; on the first failure it stops
// and returns false with a message.
bool writeTextureSet(const std::string& folder, os::PngChannels channels, const TextureSetProgress& progress,
                     std::string* error);

}  // namespace vandrel::exporting
