#pragma once
// A window layout as its file holds it: eleven rectangles of four little-endian
// int32 (left, top, right, bottom), 176 bytes, no header; and what of it can be
// placed in the frame's area. A file is anybody's to edit, so its numbers may be
// anything: every computation with them is done wide enough not to overflow.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vandrel::os {

inline constexpr int kLayoutSlots = 11;
inline constexpr int kLayoutValues = kLayoutSlots * 4;
inline constexpr std::size_t kLayoutBytes = kLayoutValues * 4;

struct LayoutRect {
  std::int32_t left, top, right, bottom;
};

struct WindowLayout {
  LayoutRect rects[kLayoutSlots];
};

// The values the bytes hold, in order, over `layout`: a short file fills only
// the values it contains.
void readLayoutBytes(std::string_view bytes, WindowLayout* layout);
std::string layoutBytes(const WindowLayout& layout);

struct AreaRect {
  int x, y, width, height;
};

// A rectangle as a window in an area of width x height from (0, 0) can take it:
// its size no larger than the area's, its place kept unless the cut has to move
// it over the part that was inside. None when less than `least`
// pixels of it lie inside the area either way (a window there could not show its
// title bar), or it is empty or turned over.
std::optional<AreaRect> placeInArea(const LayoutRect& r, int width, int height, int least);

// Every rectangle of `read` as placed in the area; one that cannot be placed
// keeps its value from `before`, as if the file had not held it.
WindowLayout fitToArea(const WindowLayout& read, const WindowLayout& before, int width, int height, int least);

}  // namespace vandrel::os
