#include "export/texture_set.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/os/files.h"
#include "render/device_setup.h"
#include "texgen/dispatcher.h"
#include "texgen/slot_rebuilds.h"
#include "texgen/texture_store.h"

namespace vandrel::exporting {

std::string textureSetFileName(int slot) {
  char name[32];
  std::snprintf(name, sizeof name, "slot_%03d.png", slot);
  return name;
}

bool slotHasLog(int slot) {
  if (slot < kFirstSetSlot || slot > kLastSetSlot) return false;
  const texgen::TextureStore& s = texgen::textureStore;
  // The current slot's live count is the one that counts.
  return (slot == s.currentSlot ? s.entryCount : s.slots[slot].entryCount) > 1;
}

int textureSetSize() {
  int count = 0;
  for (int n = kFirstSetSlot; n <= kLastSetSlot; ++n) count += slotHasLog(n);
  return count;
}

void visitSlotImages(const std::set<int>& slots, const std::function<void(int slot)>& each) {
  const int current = texgen::textureStore.currentSlot;
  texgen::SlotWalk walk;
  walk.afterSelect = [&](int slot) {
    render::uploadCurrentTexture();
    if (slots.contains(slot)) each(slot);
  };
  // Runs of neighbours, so that no slot between them is replayed for nothing.
  for (auto it = slots.begin(); it != slots.end();) {
    const int first = *it;
    int last = first;
    while (++it != slots.end() && *it == last + 1) last = *it;
    texgen::selectSlotsInTurn(first, last, walk);
  }
  texgen::selectSlot(current);
  render::uploadCurrentTexture();
}

bool writeTextureSet(const std::string& folder, os::PngChannels channels, const TextureSetProgress& progress,
                     std::string* error) {
  namespace fs = std::filesystem;
  std::error_code made;
  fs::create_directories(folder, made);
  if (made || !fs::is_directory(folder)) {
    if (error)
      *error = "«" + folder + "»: не удалось создать папку (" +
               (made ? os::describeError(made.value()) : std::string("это не папка")) + ")";
    return false;
  }
  std::set<int> slots;
  for (int n = kFirstSetSlot; n <= kLastSetSlot; ++n)
    if (slotHasLog(n)) slots.insert(n);
  const int total = static_cast<int>(slots.size());
  int written = 0;
  bool failed = false;
  // The walk cannot be stopped; after a failure the remaining slots are only selected.
  visitSlotImages(slots, [&](int slot) {
    if (failed) return;
    const texgen::TextureStore& s = texgen::textureStore;
    const std::string path = (fs::path(folder) / textureSetFileName(slot)).string();
    if (!os::writeImage(path, texgen::layer(s.entryCount), s.edgeSize, s.edgeSize, error, channels)) {
      failed = true;
      return;
    }
    ++written;
    if (progress.fileWritten) progress.fileWritten(slot, written, total);
  });
  return !failed;
}

}  // namespace vandrel::exporting
