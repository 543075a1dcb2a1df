#pragma once
// Running operations on the current layer, and rebuilding the current slot from
// its log.

namespace vandrel::texgen {

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

// Re-runs entries k..end-1 (end = the entry count before an earlier entry was
// changed); layers below k are kept.
void replayFrom(int k, int end);

// Removes entry k (1..count-1), keeps the mixers' sources naming the same layers,
// and replays the slot.
void deleteEntry(int k);

// Makes slot n (1..255) current: stores the current slot's count and edge, loads
// slot n's, re-creates its device texture and replays it.
void selectSlot(int n);

// Changes the current slot's edge size and replays the log at the new size.
// Returns false, changing nothing, when the size is not one of the five, is
// already current, or the log has more entries than the layers that fit there.
bool changeEdgeSize(int edge);

}  // namespace vandrel::texgen
