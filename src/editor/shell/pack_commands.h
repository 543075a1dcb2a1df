#pragma once
// The frame window's pack commands: load and save through the file choosers, the
// pack path shown as the caption, a progress count while textures are rebuilt,
// and what closing asks when the work changed since the last load or save.

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

// "Загрузить пакет": a refused file is told and changes nothing; changed work is
// offered for saving first, and cancelling keeps it.
void loadPack();
bool loadPackFrom(const std::string& path);        // the same without the chooser
bool savePack();                                   // "Сохранить пакет"
bool savePackAs();                                 // "Сохранить пакет как..."

// Scenes, materials, render settings or texture logs differ from the last load or save.
bool workUnsaved();

// Asks whether to save changed work before quitting; false keeps the editor open.
bool confirmQuit();

}  // namespace vandrel::shell
