#pragma once
// Undo snapshots: after each structural edit the whole scene store is written as
// snapshot 1, 2, ... into this process's snapshot folder; undo reads back the one
// before the newest. There is one history line and no redo.

#include <cstdint>
#include <string>

namespace vandrel::scene {

// Number of the newest snapshot; 0 before the first.
extern std::int32_t undoCounter;

// Writes the next snapshot (replacing an older file of that number). When the
// folder or the file cannot be written, returns false with a reason and leaves
// undoCounter as it was. The selection is not changed.
bool checkpoint(std::string* error = nullptr);

// Goes back to the snapshot before the newest, keeping the current scene (the
// selection is brought inside the restored counts). Does nothing and returns
// false when there is nothing to go back to or the snapshot cannot be read (then
// error is set).
bool undo(std::string* error = nullptr);

// Start-up state: no snapshot yet.
void resetUndo();

}  // namespace vandrel::scene
