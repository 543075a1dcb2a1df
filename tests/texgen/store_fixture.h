#pragma once
// A texture store in its start-up state, with helpers to build logs.

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "pack/document.h"
#include "texgen/catalogue.h"
#include "texgen/dispatcher.h"
#include "texgen/editor_hooks.h"
#include "texgen/texture_store.h"

namespace vandrel::texgen::test {

class TextureStoreTest : public ::testing::Test {
 protected:
  pack::Document document;

  // Appends an entry to the current slot's log without running it.
  static void append(int code, std::initializer_list<int> params = {}) {
    TextureOp& op = currentEntry();
    op = TextureOp{};
    op.words[0] = code;
    int i = 1;
    for (int p : params) op.setParam(i++, p);
    ++textureStore.entryCount;
  }

  static std::vector<Pixel> currentImage() {
    const Pixel* p = layer(textureStore.entryCount);
    return std::vector<Pixel>(p, p + layerPixels());
  }

  static std::vector<Pixel> imageOfLayer(int index) {
    const Pixel* p = layer(index);
    return std::vector<Pixel>(p, p + layerPixels());
  }
};

}  // namespace vandrel::texgen::test
