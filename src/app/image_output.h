#pragma once
// Writing finished images for the command line.

#include <cstdint>
#include <string>

namespace vandrel::app {

// Pixels are 32-bit words with bytes blue, green, red, alpha in memory.
// `.png`: 8-bit RGBA; `.raw`: the bytes as they are, row 0 first.
// Returns false with a one-line reason; no file is left behind on failure.
bool writeImage(const std::string& path, const std::uint32_t* pixels, int width, int height,
                std::string* error);

// True when the path ends in an extension writeImage understands.
bool isImageOutputPath(const std::string& path);

}  // namespace vandrel::app
