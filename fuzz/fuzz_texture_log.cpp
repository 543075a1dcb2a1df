// A texture log from arbitrary bytes, then replayed at the size it asks for.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "texgen/catalogue.h"
#include "texgen/dispatcher.h"
#include "texgen/texture_log_file.h"
#include "texgen/texture_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vandrel::texgen;
  static const bool ready = (fillCatalogue(), createLayerStack(), true);
  (void)ready;
  resetTextureStore();
  readLog(std::string_view(reinterpret_cast<const char*>(data), size));
  // Replaying big logs at big sizes is slow, not dangerous: keep the fuzzer fast.
  if (textureStore.edgeSize <= 64) replayCurrentSlot();
  writeLog();
  return 0;
}
