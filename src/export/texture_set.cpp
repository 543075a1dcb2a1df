#include "export/texture_set.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#include "platform/os/files.h"

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

namespace {

// Thrown out of the walk when it is to stop: the walk lets its helpers finish
// and passes it on.
struct WalkStopped {};

}  // namespace

bool visitSlotImages(const std::set<int>& slots, const std::function<void(int slot)>& each,
                     const std::function<bool()>& stop) {
  const int current = texgen::textureStore.currentSlot;
  texgen::SlotWalk walk;
  walk.afterSelect = [&](int slot) {
    render::uploadCurrentTexture();
    if (!slots.contains(slot)) return;
    each(slot);
    if (stop && stop()) throw WalkStopped{};
  };
  bool whole = true;
  try {
    // Runs of neighbours, so that no slot between them is replayed for nothing.
    for (auto it = slots.begin(); it != slots.end();) {
      const int first = *it;
      int last = first;
      while (++it != slots.end() && *it == last + 1) last = *it;
      texgen::selectSlotsInTurn(first, last, walk);
    }
  } catch (const WalkStopped&) {
    whole = false;
  }
  texgen::selectSlot(current);
  render::uploadCurrentTexture();
  return whole;
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
  // One new file per slot, each beside its place until the set is complete.
  std::vector<std::unique_ptr<os::FileWriter>> files;
  bool failed = false;
  const bool whole = visitSlotImages(
      slots,
      [&](int slot) {
        const texgen::TextureStore& s = texgen::textureStore;
        const std::string path = (fs::path(folder) / textureSetFileName(slot)).string();
        std::string png;
        if (!os::encodePng(texgen::layer(s.entryCount), s.edgeSize, s.edgeSize, channels, &png)) {
          if (error) *error = "'" + path + "': PNG encoding failed";
          failed = true;
          return;
        }
        files.push_back(std::make_unique<os::FileWriter>());
        if (!files.back()->open(path, error) || (!files.back()->write(png) && !files.back()->commit(error))) {
          failed = true;
          return;
        }
        if (progress.fileWritten) progress.fileWritten(slot, static_cast<int>(files.size()), total);
      },
      [&] { return failed || (progress.stop && progress.stop()); });
  if (failed || !whole) return false;
  for (auto& file : files)
    if (!file->commit(error)) return false;
  return true;
}

}  // namespace vandrel::exporting
