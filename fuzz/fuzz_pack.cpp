// A complex pack from arbitrary bytes (textures are read, not rebuilt).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "pack/complex_pack.h"
#include "pack/document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool ready = (vandrel::pack::resetDocument(), true);
  (void)ready;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  vandrel::pack::checkPack(text);
  vandrel::pack::readPack(text, vandrel::pack::TextureRebuild::Skip);
  vandrel::pack::writePack();
  return 0;
}
