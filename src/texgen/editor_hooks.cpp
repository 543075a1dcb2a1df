#include "texgen/editor_hooks.h"

#include "texgen/parameter_rows.h"
#include "texgen/texture_store.h"

namespace vandrel::texgen {

namespace {
PlainParameterRows headlessRows;
}

// Defined after headlessRows so that the rows exist before anything dispatches.
TextureHooks textureHooks = [] {
  TextureHooks h;
  h.rows = &headlessRows;
  return h;
}();

int clampToTrackbar(int value) { return value < 0 ? 0 : value > kParamMax ? kParamMax : value; }

void resetTextureHooks() {
  headlessRows = PlainParameterRows();
  textureHooks = TextureHooks();
  textureHooks.rows = &headlessRows;
}

void removeEditorHooks(const void* editor, const ParameterRows* rows) {
  TextureHooks& h = textureHooks;
  if (h.rows == rows) {
    headlessRows = PlainParameterRows();
    h.rows = &headlessRows;
  }
  h.clearHistory.clear(editor);
  h.insertHistoryAtTop.clear(editor);
  h.removeHistoryAtTop.clear(editor);
  h.selectFunction.clear(editor);
  h.showRows.clear(editor);
  h.hideRows.clear(editor);
  h.selectSizeItem.clear(editor);
  h.beforeSlotChange.clear(editor);
  h.showSlotNumber.clear(editor);
  h.committedEntryCount.clear(editor);
}

int committedEntryCount() {
  return textureHooks.committedEntryCount ? textureHooks.committedEntryCount() : textureStore.entryCount;
}

}  // namespace vandrel::texgen
