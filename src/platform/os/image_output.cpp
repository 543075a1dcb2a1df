#include "platform/os/image_output.h"

#include <png.h>

#include <cstring>
#include <string_view>
#include <vector>

#include "platform/os/files.h"

namespace vandrel::os {

namespace {

bool endsWith(const std::string& s, std::string_view suffix) {
  return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

void appendToString(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::string*>(png_get_io_ptr(png));
  out->append(reinterpret_cast<const char*>(data), length);
}

}  // namespace

bool encodePng(const std::uint32_t* pixels, int width, int height, PngChannels channels,
               std::string* out) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  const bool withAlpha = channels == PngChannels::rgba;
  const int bytesPerPixel = withAlpha ? 4 : 3;
  std::vector<png_byte> row(static_cast<std::size_t>(width) * bytesPerPixel);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return false;
  }
  png_set_write_fn(png, out, appendToString, nullptr);
  png_set_IHDR(png, info, width, height, 8, withAlpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  // PNG rows run top to bottom, so image row 0 becomes the file's top row.
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* src = pixels + static_cast<std::size_t>(y) * width;
    png_byte* dst = row.data();
    for (int x = 0; x < width; ++x, dst += bytesPerPixel) {
      const std::uint32_t p = src[x];
      dst[0] = (p >> 16) & 0xFF;
      dst[1] = (p >> 8) & 0xFF;
      dst[2] = p & 0xFF;
      if (withAlpha) dst[3] = p >> 24;
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

bool isImageOutputPath(const std::string& path) {
  return endsWith(path, ".png") || endsWith(path, ".raw");
}

bool writeImage(const std::string& path, const std::uint32_t* pixels, int width, int height,
                std::string* error, PngChannels channels) {
  std::string bytes;
  if (endsWith(path, ".raw")) {
    bytes.resize(static_cast<std::size_t>(width) * height * 4);
    std::memcpy(bytes.data(), pixels, bytes.size());
  } else if (endsWith(path, ".png")) {
    if (!encodePng(pixels, width, height, channels, &bytes)) {
      if (error) *error = "«" + path + "»: не удалось сжать изображение в PNG";
      return false;
    }
  } else {
    if (error) *error = "«" + path + "»: выход должен оканчиваться на .png или .raw";
    return false;
  }
  return os::writeFile(path, bytes, error);
}

}  // namespace vandrel::os
