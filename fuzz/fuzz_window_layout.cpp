// A window layout file from arbitrary bytes, placed in frames of several sizes:
// whatever the numbers, a placed window fits its frame and shows its title bar.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/os/window_layout.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vandrel::os;
  constexpr int kLeast = 24;
  WindowLayout read{};
  readLayoutBytes(std::string_view(reinterpret_cast<const char*>(data), size), &read);
  for (const auto [width, height] : {std::pair{kLeast, kLeast}, {800, 600}, {1920, 1080}, {32767, 32767}}) {
    for (const LayoutRect& r : read.rects) {
      const auto placed = placeInArea(r, width, height, kLeast);
      if (!placed) continue;
      const bool fits = placed->width <= width && placed->height <= height && placed->x < width &&
                        placed->y < height && placed->x + placed->width >= kLeast &&
                        placed->y + placed->height >= kLeast;
      if (!fits) __builtin_trap();
    }
    fitToArea(read, WindowLayout{}, width, height, kLeast);
  }
  layoutBytes(read);
  return 0;
}
