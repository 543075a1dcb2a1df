#pragma once
// The folder that holds this process's undo snapshots.

#include <string>

namespace vandrel::os {

// "v21_tmp/<process id>" in the user's temporary directory ($TMPDIR, else /tmp):
// each running editor keeps its own snapshots. Created when missing; on failure
// returns false and sets error to a one-line reason.
bool snapshotFolder(std::string* folder, std::string* error);

}  // namespace vandrel::os

namespace vandrel::os {

// Removes this process's snapshot folder and what it holds (at the end of a run).
void removeSnapshotFolder();

}  // namespace vandrel::os
