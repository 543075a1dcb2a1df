// A single-material line from arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "materials/materials.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vandrel::materials::readMaterialLine(std::string_view(reinterpret_cast<const char*>(data), size),
                                       static_cast<std::uint8_t>(size));
  vandrel::materials::writeMaterialLine(static_cast<std::uint8_t>(size));
  return 0;
}
