#pragma once
// Where the texture editor, the preview and the device plug into the generator.
// Every hook may be left empty; the generator then runs headless.

namespace vandrel::texgen {

class ParameterRows;

struct TextureHooks {
  // Editor dialog: the seven parameter rows (never null once the store is reset).
  ParameterRows* rows = nullptr;
  // Editor: history list (control 1038) and function list (control 1039).
  void (*clearHistory)() = nullptr;
  void (*insertHistoryAtTop)(const char* label) = nullptr;
  void (*removeHistoryAtTop)(int count) = nullptr;  // the newest `count` labels
  void (*selectFunction)(int code) = nullptr;
  // Editor: show the rows of a function with the given values and labels.
  void (*showRows)(int code) = nullptr;
  // Editor: hide all seven rows and the function's name.
  void (*hideRows)() = nullptr;
  // Editor: select the size combo item (index into the five sizes).
  void (*selectSizeItem)(int index) = nullptr;
  // Editor: settle what is pending on the current slot before a slot is selected.
  void (*beforeSlotChange)() = nullptr;
  // Editor: show the number of the slot just selected (control 1000).
  void (*showSlotNumber)(int slot) = nullptr;
  // Editor: the current slot's entry count as last committed, while an entry is
  // being changed and the live count stands at that entry.
  int (*committedEntryCount)() = nullptr;
  // Preview window: redraw the current layer.
  void (*redrawPreview)() = nullptr;
  // Device: release the slot's texture and create it again at this edge.
  void (*recreateSlotTexture)(int slot, int edge) = nullptr;
};

extern TextureHooks textureHooks;

// Hooks back to headless defaults (plain rows, nothing else).
void resetTextureHooks();

// The current slot's log as a writer must store it: a change in progress is not
// part of it yet.
int committedEntryCount();

}  // namespace vandrel::texgen
