#pragma once
// Running operations on the current layer, and rebuilding the current slot from
// its log.

#include <cstddef>

#include "texgen/ops.h"
#include "texgen/texture_store.h"

namespace vandrel::texgen {

// Layers and a scratch image for replaying a log: the store's own, or ones that let
// a slot be rebuilt off the store (several at once while a pack loads).
struct Workspace {
  Pixel* layers;   // layer k starts at pixel k x edge x edge
  Pixel* scratch;  // as the store's: room for 2048 x 2048 pixels
  int edge;

  std::size_t pixels() const { return static_cast<std::size_t>(edge) * static_cast<std::size_t>(edge); }
  Pixel* layer(int k) const { return layers + static_cast<std::size_t>(k) * pixels(); }
};

// Runs operation code c on the current layer (index = current entry count), with
// its parameters read from the parameter rows. Headings and codes outside 1..40
// do nothing.
void runOperation(int code);

// Loads a log entry's parameters into the parameter rows (clamped to 0..255 as a
// trackbar clamps) and asks the editor to show the rows.
void loadEntryIntoRows(int entryIndex);

enum class HistoryLabels { Numbered, BareNames };

// Rebuilds layers 0..count of the current slot from its log and refills the
// history list.
void replayCurrentSlot(HistoryLabels labels = HistoryLabels::Numbered);

// Replays entries 1..count-1 of a log into layers 0..count of the workspace (room
// for them is the caller's), exactly as replayCurrentSlot rebuilds them, but
// touching neither the store, the editor's rows nor any hook, so that it may run on
// any thread. Returns layer count, the final image.
const Pixel* replayLog(const TextureOp* log, int count, const Workspace& w);

// Re-runs entries k..end-1 (end = the entry count before an earlier entry was
// changed); layers below k are kept.
void replayFrom(int k, int end);

// Removes entry k (1..count-1), keeps the mixers' sources naming the same layers,
// and replays the slot.
void deleteEntry(int k);

// Makes slot n (1..255) current: stores the current slot's count and edge, loads
// slot n's, re-creates its device texture and replays it.
void selectSlot(int n);

// selectSlot(n) with the slot's final image given (from replayLog of its log at its
// edge and count): the same hooks, rows, history and state, without running the
// operations; of the layers only the final one is written.
void selectRebuiltSlot(int n, const Pixel* image);

// Changes the current slot's edge size and replays the log at the new size.
// Returns false, changing nothing, when the size is not one of the five, is
// already current, or the log has more entries than the layers that fit there.
bool changeEdgeSize(int edge);

}  // namespace vandrel::texgen
