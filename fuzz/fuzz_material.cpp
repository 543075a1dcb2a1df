// A single-material line from arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "materials/materials.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  vandrel::materials::checkMaterialText(text);
  vandrel::materials::readMaterialLine(text, static_cast<std::uint8_t>(size));
  vandrel::materials::writeMaterialLine(static_cast<std::uint8_t>(size));
  return 0;
}
