#include "texgen/editor_hooks.h"

#include "texgen/parameter_rows.h"
#include "texgen/texture_store.h"

namespace vandrel::texgen {

namespace {
PlainParameterRows headlessRows;
}

// Defined after headlessRows so that the rows exist before anything dispatches.
TextureHooks textureHooks{&headlessRows};

int clampToTrackbar(int value) { return value < 0 ? 0 : value > kParamMax ? kParamMax : value; }

void resetTextureHooks() {
  headlessRows = PlainParameterRows();
  textureHooks = TextureHooks();
  textureHooks.rows = &headlessRows;
}

int committedEntryCount() {
  return textureHooks.committedEntryCount ? textureHooks.committedEntryCount() : textureStore.entryCount;
}

}  // namespace vandrel::texgen
