#pragma once
// The frame window's pack commands: load and save through the file choosers, the
// pack's name and a mark of unsaved work in the caption, a progress count while
// textures are rebuilt, and what closing asks when the work changed since the
// last load or save.

#include <string>

namespace vandrel::shell {

struct PackState {
  std::string packPath;
  bool packPathKnown = false;
  std::string savedText;  // the pack as last loaded or saved, to tell changed work
};

extern PackState packState;

// No path known; the current document counts as saved.
void resetPackState();

// "Загрузить пакет": changed work is offered for saving before the chooser
// opens, and cancelling keeps it; a refused file is told and changes nothing.
void loadPack();
// The same without the chooser; askToSave false when the caller asked already.
bool loadPackFrom(const std::string& path, bool askToSave = true);
bool savePack();                                   // "Сохранить пакет"
bool savePackAs();                                 // "Сохранить пакет как..."

// Scenes, materials, render settings or texture logs differ from the last load or save.
// It writes the whole pack text (a millisecond or two for the demo pack): call it
// after commands and edits, not on every frame.
bool workUnsaved();

// The caption's mark of unsaved work brought up to date.
void updateUnsavedMark();

// Asks whether to save changed work before quitting; false keeps the editor open.
bool confirmQuit();

}  // namespace vandrel::shell
