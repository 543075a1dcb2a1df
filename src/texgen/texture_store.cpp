#include "texgen/texture_store.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace vandrel::texgen {

TextureStore textureStore;

void FreeDeleter::operator()(void* p) const { std::free(p); }

void resetTextureStore() {
  TextureStore& s = textureStore;
  std::memset(s.slots, 0, sizeof s.slots);
  for (TextureSlot& slot : s.slots) {
    slot.entryCount = 1;
    slot.edgeSize = kStartEdgeSize;
    slot.renderSize = kStartEdgeSize;
  }
  s.currentSlot = 1;
  s.edgeSize = kStartEdgeSize;
  s.entryCount = 1;
}

namespace {
Pixel* allocateZeroed(std::size_t bytes) {
  // calloc hands out untouched zero pages, so the 100 MB block costs nothing
  // until layers are written.
  void* p = std::calloc(bytes, 1);
  if (!p) throw std::bad_alloc();
  return static_cast<Pixel*>(p);
}
}  // namespace

void createLayerStack() {
  if (!textureStore.layerStack) textureStore.layerStack.reset(allocateZeroed(kLayerStackBytes));
  if (!textureStore.scratch) textureStore.scratch.reset(allocateZeroed(kScratchBytes));
}

int layerPixels() { return textureStore.edgeSize * textureStore.edgeSize; }

Pixel* layer(int index) {
  return textureStore.layerStack.get() + static_cast<std::size_t>(index) * layerPixels();
}

void clearLayer(int index) { std::memset(layer(index), 0, sizeof(Pixel) * layerPixels()); }

void copyLayer(int from, int to) {
  std::memcpy(layer(to), layer(from), sizeof(Pixel) * layerPixels());
}

TextureSlot& currentSlot() { return textureStore.slots[textureStore.currentSlot]; }

TextureOp& currentEntry() { return currentSlot().log[textureStore.entryCount]; }

int currentCapacity() { return maxEntryCount(textureStore.edgeSize); }

void copyCurrentLayerTo(void* destination, int pitch) {
  const int edge = textureStore.edgeSize;
  const Pixel* src = layer(textureStore.entryCount);
  auto* dst = static_cast<unsigned char*>(destination);
  for (int row = 0; row < edge; ++row)
    std::memcpy(dst + static_cast<std::size_t>(row) * pitch, src + static_cast<std::size_t>(row) * edge,
                sizeof(Pixel) * edge);
}

}  // namespace vandrel::texgen
