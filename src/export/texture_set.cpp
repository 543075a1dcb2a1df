#include "export/texture_set.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "texgen/dispatcher.h"
#include "texgen/slot_rebuilds.h"
#include "texgen/texture_store.h"

namespace vandrel::exporting {

std::string textureSetFileName(int slot) {
  char name[32];
  std::snprintf(name, sizeof name, "slot_%03d.png", slot);
  return name;
}

int textureSetSize() {
  const texgen::TextureStore& s = texgen::textureStore;
  int count = 0;
  for (int n = kFirstSetSlot; n <= kLastSetSlot; ++n) {
    // The current slot's live count is the one that counts.
    const int entries = n == s.currentSlot ? s.entryCount : s.slots[n].entryCount;
    count += entries > 1;
  }
  return count;
}

bool writeTextureSet(const std::string& folder, os::PngChannels channels, const TextureSetProgress& progress,
                     std::string* error) {
  namespace fs = std::filesystem;
  std::error_code made;
  fs::create_directories(folder, made);
  if (made || !fs::is_directory(folder)) {
    if (error) *error = "'" + folder + "': cannot make the folder (" + (made ? made.message() : "not a folder") + ")";
    return false;
  }
  const int total = textureSetSize();
  const int current = texgen::textureStore.currentSlot;
  int written = 0;
  bool failed = false;
  texgen::SlotWalk walk;
  // The walk cannot be stopped; after a failure the remaining slots are only selected.
  walk.afterSelect = [&](int slot) {
    if (failed) return;
    const texgen::TextureStore& s = texgen::textureStore;
    const std::string path = (fs::path(folder) / textureSetFileName(slot)).string();
    if (!os::writeImage(path, texgen::layer(s.entryCount), s.edgeSize, s.edgeSize, error, channels)) {
      failed = true;
      return;
    }
    ++written;
    if (progress.fileWritten) progress.fileWritten(slot, written, total);
  };
  texgen::selectSlotsInTurn(kFirstSetSlot, kLastSetSlot, walk);
  texgen::selectSlot(current);
  return !failed;
}

}  // namespace vandrel::exporting
