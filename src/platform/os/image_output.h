#pragma once
// Writing finished images: PNG for viewers, raw bytes for tools.

#include <cstdint>
#include <string>

namespace vandrel::os {

// What a `.png` keeps: the colours the preview shows, or the alpha byte too.
enum class PngChannels { rgb, rgba };

// Pixels are 32-bit words with bytes blue, green, red, alpha in memory, row 0
// first. `.png`: 8-bit RGB or RGBA, row 0 as its top row; `.raw`: the bytes as
// they are, all four of them. Returns false with a one-line reason; no file is
// left behind on failure.
bool writeImage(const std::string& path, const std::uint32_t* pixels, int width, int height,
                std::string* error, PngChannels channels = PngChannels::rgba);

// The PNG file's bytes appended to out (for images embedded in other files).
bool encodePng(const std::uint32_t* pixels, int width, int height, PngChannels channels, std::string* out);

// True when the path ends in an extension writeImage understands.
bool isImageOutputPath(const std::string& path);

}  // namespace vandrel::os
