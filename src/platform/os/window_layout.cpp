#include "platform/os/window_layout.h"

#include <algorithm>

namespace vandrel::os {

namespace {

std::int32_t littleEndianAt(std::string_view bytes, std::size_t at) {
  std::uint32_t v = 0;
  for (int b = 3; b >= 0; --b) v = v << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(b)]);
  return static_cast<std::int32_t>(v);
}

}  // namespace

void readLayoutBytes(std::string_view bytes, WindowLayout* layout) {
  std::int32_t* values = &layout->rects[0].left;
  for (std::size_t i = 0; i < kLayoutValues && (i + 1) * 4 <= bytes.size(); ++i)
    values[i] = littleEndianAt(bytes, i * 4);
}

std::string layoutBytes(const WindowLayout& layout) {
  std::string bytes(kLayoutBytes, '\0');
  const std::int32_t* values = &layout.rects[0].left;
  for (std::size_t i = 0; i < kLayoutValues; ++i)
    for (int b = 0; b < 4; ++b)
      bytes[i * 4 + static_cast<std::size_t>(b)] =
          static_cast<char>(static_cast<std::uint32_t>(values[i]) >> (8 * b) & 0xFF);
  return bytes;
}

std::optional<AreaRect> placeInArea(const LayoutRect& r, int width, int height, int least) {
  const std::int64_t insideWide = std::min<std::int64_t>(r.right, width) - std::max<std::int64_t>(r.left, 0);
  const std::int64_t insideHigh = std::min<std::int64_t>(r.bottom, height) - std::max<std::int64_t>(r.top, 0);
  if (insideWide < least || insideHigh < least) return std::nullopt;
  const std::int64_t w = std::min<std::int64_t>(std::int64_t{r.right} - r.left, width);
  const std::int64_t h = std::min<std::int64_t>(std::int64_t{r.bottom} - r.top, height);
  // A rectangle larger than the area moves as far as its cut needs to cover the
  // part of it that was inside.
  const std::int64_t x = std::max<std::int64_t>(r.left, std::min<std::int64_t>(r.right, width) - w);
  const std::int64_t y = std::max<std::int64_t>(r.top, std::min<std::int64_t>(r.bottom, height) - h);
  return AreaRect{static_cast<int>(x), static_cast<int>(y), static_cast<int>(w), static_cast<int>(h)};
}

WindowLayout fitToArea(const WindowLayout& read, const WindowLayout& before, int width, int height, int least) {
  WindowLayout fitted = before;
  for (int slot = 0; slot < kLayoutSlots; ++slot)
    if (const std::optional<AreaRect> placed = placeInArea(read.rects[slot], width, height, least))
      fitted.rects[slot] = {placed->x, placed->y, placed->x + placed->width, placed->y + placed->height};
  return fitted;
}

}  // namespace vandrel::os
