// A sinus animation file from arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "texedit/sinus_animation.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  vandrel::texedit::checkSinusAnimationText(text);
  const int count = vandrel::texedit::readSinusAnimation(text);
  vandrel::texedit::writeSinusAnimation(count);
  return 0;
}
