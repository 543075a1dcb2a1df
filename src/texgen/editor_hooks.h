#pragma once
// Where the texture editor, the preview and the device plug into the generator.
// Every hook may be left empty; the generator then runs headless.

#include "platform/os/hook.h"

namespace vandrel::texgen {

class ParameterRows;

struct TextureHooks {
  // Editor dialog: the seven parameter rows (never null once the store is reset).
  ParameterRows* rows = nullptr;
  // Editor: history list (control 1038) and function list (control 1039).
  os::Hook<void()> clearHistory;
  os::Hook<void(const char* label)> insertHistoryAtTop;
  os::Hook<void(int count)> removeHistoryAtTop;  // the newest `count` labels
  os::Hook<void(int code)> selectFunction;
  // Editor: show the rows of a function with the given values and labels.
  os::Hook<void(int code)> showRows;
  // Editor: hide all seven rows and the function's name.
  os::Hook<void()> hideRows;
  // Editor: select the size combo item (index into the five sizes).
  os::Hook<void(int index)> selectSizeItem;
  // Editor: settle what is pending on the current slot before a slot is selected.
  os::Hook<void()> beforeSlotChange;
  // Editor: show the number of the slot just selected (control 1000).
  os::Hook<void(int slot)> showSlotNumber;
  // Editor: the current slot's entry count as last committed, while an entry is
  // being changed and the live count stands at that entry.
  os::Hook<int()> committedEntryCount;
  // Preview window: redraw the current layer.
  os::Hook<void()> redrawPreview;
  // Device: release the slot's texture and create it again at this edge.
  os::Hook<void(int slot, int edge)> recreateSlotTexture;
};

extern TextureHooks textureHooks;

// Hooks back to headless defaults (plain rows, nothing else).
void resetTextureHooks();
// The texture editor `editor` with these `rows` goes: its hooks are emptied and the
// plain rows take over from its rows. The preview's and the device's hooks stay.
void removeEditorHooks(const void* editor, const ParameterRows* rows);

// The current slot's log as a writer must store it: a change in progress is not
// part of it yet.
int committedEntryCount();

}  // namespace vandrel::texgen
