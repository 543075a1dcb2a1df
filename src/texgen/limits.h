#pragma once
// Fixed capacities of the texture generator, in one place.

#include <cstddef>
#include <cstdint>

namespace vandrel::texgen {

inline constexpr int kSlotCount = 255;           // slots 1..255; slot 0 is not used
inline constexpr int kLogLength = 255;           // log entries 0..254; entry 0 is never used
inline constexpr int kMaxOperations = 254;       // entries 1..254
inline constexpr int kOpWords = 11;              // int32 words per log entry
inline constexpr int kParamCount = 7;            // parameter rows of the editor
inline constexpr int kParamMax = 255;            // trackbar range 0..255

inline constexpr std::size_t kLayerStackBytes = 100'000'000;
inline constexpr std::size_t kScratchBytes = 16'777'216;  // one 2048 x 2048 image

inline constexpr int kEdgeSizes[5] = {32, 64, 128, 256, 512};
inline constexpr int kStartEdgeSize = 32;


// Index of an edge size in the size list, or -1 when it is not one of the five.
constexpr int edgeSizeIndex(int edge) {
  for (int i = 0; i < 5; ++i)
    if (kEdgeSizes[i] == edge) return i;
  return -1;
}

// How many edge x edge images fit in the layer block: 381 at 256, 95 at 512.
constexpr int layersThatFit(int edge) {
  return static_cast<int>(kLayerStackBytes / (static_cast<std::size_t>(edge) * edge * 4));
}

// The largest entry count a slot may reach at this edge: the layer stack must hold
// layers 0..count, and the log holds entries 1..254.
constexpr int maxEntryCount(int edge) {
  int byLayers = layersThatFit(edge) - 1;
  return byLayers < kLogLength ? byLayers : kLogLength;
}

}  // namespace vandrel::texgen
