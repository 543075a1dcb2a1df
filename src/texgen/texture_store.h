#pragma once
// Texture slots with their operation logs, the current-slot globals, and the
// layer stack that the current slot is rebuilt into.

#include <cstdint>
#include <memory>

#include "texgen/limits.h"
#include "texgen/ops.h"

namespace vandrel::texgen {

// One log entry: word 0 the operation code, words 2..8 parameters 1..7.
struct TextureOp {
  std::int32_t words[kOpWords];

  std::int32_t code() const { return words[0]; }
  std::int32_t param(int i) const { return words[1 + i]; }  // i = 1..7
  void setParam(int i, std::int32_t v) { words[1 + i] = v; }
};

struct TextureSlot {
  TextureOp log[kLogLength];  // entries 1..entryCount-1 are the operations
  std::int32_t entryCount;
  std::int32_t edgeSize;
  std::int32_t renderSize;  // the edge last given to the slot's device texture
};

struct FreeDeleter {
  void operator()(void* p) const;
};

struct TextureStore {
  TextureSlot slots[kSlotCount + 1];  // slot 0 is not used
  // The current slot's count and edge live here while it is current and are
  // written back into the slot when another slot is selected.
  int currentSlot;
  int edgeSize;
  int entryCount;
  // Layer k (edge x edge pixels) starts at pixel k x edge x edge.
  std::unique_ptr<Pixel[], FreeDeleter> layerStack;
  std::unique_ptr<Pixel[], FreeDeleter> scratch;
};

extern TextureStore textureStore;

// Start-up state: slot 1 current, every slot empty at edge 32. Keeps the layer
// stack if it exists.
void resetTextureStore();

// Allocates the layer block and the scratch image once (zero-filled).
void createLayerStack();

Pixel* layer(int index);  // of the current edge size
int layerPixels();        // edge x edge
void clearLayer(int index);
void copyLayer(int from, int to);

TextureSlot& currentSlot();
TextureOp& currentEntry();  // the entry at index entryCount (the working position)

// The largest entry count the current slot may reach at the current edge.
int currentCapacity();

// Copies the current layer row by row into a locked texture level (pitch in bytes).
void copyCurrentLayerTo(void* destination, int pitch);

}  // namespace vandrel::texgen
