#pragma once
// Undo snapshots: after each structural edit the whole scene store is written as
// snapshot 1, 2, ... into this process's snapshot folder; undo reads back the one
// before the current one. The snapshots after the current one stay until the next
// checkpoint overwrites them, so redo can walk forward through them again.

#include <cstdint>
#include <string>

namespace vandrel::scene {

// Number of the current snapshot; 0 before the first.
extern std::int32_t undoCounter;
// Number of the last snapshot redo can reach: undoCounter after a checkpoint,
// higher after undos.
extern std::int32_t redoLimit;

// Writes the next snapshot (replacing an older file of that number) and drops
// the ones redo could have reached. When the folder or the file cannot be
// written, returns false with a reason and leaves the counters as they were. The
// selection is not changed.
bool checkpoint(std::string* error = nullptr);

// Goes back to the snapshot before the newest, keeping the current scene (the
// selection is brought inside the restored counts). Does nothing and returns
// false when there is nothing to go back to or the snapshot cannot be read (then
// error is set).
bool undo(std::string* error = nullptr);

// Goes forward to the snapshot after the current one, which an undo left behind,
// in the same way. Does nothing and returns false when no undo is to be taken back.
bool redo(std::string* error = nullptr);

// Start-up state: no snapshot yet.
void resetUndo();

}  // namespace vandrel::scene
