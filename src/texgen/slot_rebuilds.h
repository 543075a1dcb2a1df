#pragma once
// Selecting a run of slots one after the other, as a pack load does, with the
// replays spread over the machine's cores.

#include <functional>

namespace vandrel::texgen {

struct SlotWalk {
  // Runs for every slot of the run, in order, before it is selected or passed over.
  std::function<void(int slot)> beforeEach;
  // Runs right after each selection.
  std::function<void(int slot)> afterSelect;
};

// For n = first..last in turn: beforeEach(n); then, when slot n has a log (entry
// count 2 or more), selectSlot(n) and afterSelect(n). Hooks, rows, history, slot
// table, device textures and the current slot's image after each selection are
// those of selectSlot. Meanwhile the logs of the slots ahead are replayed on the
// other cores (replayLog) and this thread helps while it waits; a slot rebuilt that
// way leaves only its final image in the store's layers (nothing reads the ones
// below once another slot is selected), and the last slot is replayed in full, so
// the walk ends as selectSlot would leave it. Every hook and callback runs on the
// calling thread; the callbacks must leave the logs, entry counts and edges of the
// slots still to come as they are.
void selectSlotsInTurn(int first, int last, const SlotWalk& walk);

}  // namespace vandrel::texgen
