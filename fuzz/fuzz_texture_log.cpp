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
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  checkLogText(text);
  readLog(text);
  // Replaying big logs at big sizes is slow, not dangerous: keep the fuzzer fast.
  if (textureStore.edgeSize <= 64) replayCurrentSlot();
  writeLog();
  return 0;
}
