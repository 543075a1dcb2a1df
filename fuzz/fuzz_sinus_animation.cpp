// A sinus animation file from arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "texedit/sinus_animation.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const int count =
      vandrel::texedit::readSinusAnimation(std::string_view(reinterpret_cast<const char*>(data), size));
  vandrel::texedit::writeSinusAnimation(count);
  return 0;
}
