#pragma once
// What the texture editor does to the current slot's log: append, change an entry
// (begin, then settle with or without the pending entry), delete, erase, slot and
// size changes, loads, and the functions and rows it runs. The editor's controls
// are reached through the texture hooks: the parameter rows, the history and
// function lists, the preview. The change mode is this state, not the dialog's.

#include <string>

#include "texgen/texture_log_file.h"

namespace vandrel::texedit {

// The slot, size and entry count live in the texture store.
struct TextureEditorState {
  int changeMode = 0;   // 1 between "Изменить" and "ОК"
  int savedCount = 0;   // the entry count when change mode began
  int changeSlot = 0;   // the slot and entry being changed
  int changedEntry = 0;
};

extern TextureEditorState textureEditorState;
void resetTextureEditorState();

// The current slot's entry count as last committed: during a change the live
// count stands at the changed entry.
int committedCount();

// What "ОК" did: stored the entry, stored nothing (a heading, or a change whose
// slot was replaced meanwhile), or found no room for an append.
enum class Commit { stored, nothing, logFull };

// "ОК" with function `code`: appends it with the rows' parameters at the working
// position; in change mode stores it in place of the changed entry, replays the
// entries after it and ends the change.
Commit commit(int code);
// History items count from the newest (0); -1 is none.
// "Изменить": the entry of history item `item` becomes the working position, its
// function and parameters shown and run; nothing in change mode.
void beginChange(int item);
// Ends change mode without storing the pending entry: the slot keeps its committed
// log. Nothing happens outside change mode.
void leaveChangeMode();
// "Удалить" (history item `item`) and "Стереть все"; neither acts in change mode.
void deleteHistoryItem(int item);
void eraseLog();

// "<" / ">": the slot before or after, within 1..255, selected and replayed.
void stepSlot(int delta);
// Size item `item` of the five: a new size leaves change mode and replays the log
// at it; then, in any case, function `code` shows its values and runs. False,
// changing no size, when the log does not fit at that size.
bool chooseSize(int item, int code);

// A function picked in the list: its rows alone show its values, and it runs.
void pickFunction(int code);
// "res->": the function's values back to their defaults, shown and run.
void restoreFunction(int code);
// "+" / "-" of row 1..7: one step within 0..255, then the function runs. The
// function's values are not stored.
void stepRow(int row, int delta, int code);
// A trackbar moved: the rows' positions become the function's values, it runs and
// one 3D frame shows the result.
void rowsMoved(int code);
// The function's values in its rows, with its labels; nothing for a heading's code 0.
void showRecordInRows(int code);

// Loads a ".vtx" file into the current slot, as texgen::loadLogFile does, once
// any change is left. A refused file changes nothing; error then says why.
bool loadLog(const std::string& path, texgen::LogReadResult* read, std::string* error);

// "T": fifty particles over the working layer; the milliseconds they took.
int timingTest();

}  // namespace vandrel::texedit
