#include "app/texture_command.h"

#include <gtest/gtest.h>
#include <png.h>

#include "scratch_folder.h"
#include "pack/complex_pack.h"
#include "pack/document.h"
#include "texgen/texture_log_file.h"
#include "texgen/texture_store.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <utility>
#include <string>

namespace vandrel::app {
namespace {

namespace fs = std::filesystem;

class TextureCommand : public test::ScratchFolderTest {
 protected:
  int run(const std::string& input, const std::string& output, int size = 0, bool alpha = false) {
    err_.str("");
    return runTextureCommand({input, output, size, alpha}, err_);
  }

  std::ostringstream err_;
};

const char kLog[] = "texture generation log\ntsize=64;\nChessfield(127,127);\nclear_alfa();\nend\n";

// A texture begun the usual way: nothing in it writes alpha, which stays 0.
const char kUsualLog[] =
    "texture generation log\ntsize=64;\nPlasm(255,0,255,0);\ntwirl(128,128,128,192,64);\n"
    "blur(2);\nScaleColor(128,100,200);\nend\n";

// A PNG file as a viewer reads it: its pixels as RGBA, top row first (alpha
// 255 when the file has none).
struct Png {
  int width = 0;
  bool hasAlpha = false;
  std::string rgba;
};

Png readPng(const std::string& bytes) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  Png png;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return png;
  png.hasAlpha = image.format & PNG_FORMAT_FLAG_ALPHA;
  image.format = PNG_FORMAT_RGBA;
  png.rgba.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, png.rgba.data(), 0, nullptr)) return {};
  png.width = image.width;
  return png;
}

// The `.raw` bytes (blue, green, red, alpha) as RGBA, alpha forced to 255 unless kept.
std::string rawAsRgba(const std::string& raw, bool keepAlpha) {
  std::string rgba;
  for (std::size_t i = 0; i + 3 < raw.size(); i += 4)
    rgba += {raw[i + 2], raw[i + 1], raw[i], keepAlpha ? raw[i + 3] : '\xFF'};
  return rgba;
}

TEST_F(TextureCommand, RawHoldsTheFinalLayerInMemoryOrder) {
  ASSERT_EQ(run(file("a.vtx", kLog), path("a.raw")), 0) << err_.str();
  std::string raw = slurp(path("a.raw"));
  ASSERT_EQ(raw.size(), 64u * 64 * 4);
  // Top-left cell black, the cell to its right white; alpha opaque everywhere.
  EXPECT_EQ(raw.substr(0, 4), std::string("\0\0\0\xFF", 4));
  EXPECT_EQ(raw.substr(32 * 4, 4), std::string("\xFF\xFF\xFF\xFF", 4));
  EXPECT_TRUE(err_.str().empty());
}

TEST_F(TextureCommand, SizeOverridesTheFile) {
  ASSERT_EQ(run(file("a.vtx", kLog), path("a.raw"), 256), 0) << err_.str();
  EXPECT_EQ(slurp(path("a.raw")).size(), 256u * 256 * 4);
  EXPECT_EQ(run(file("a.vtx", kLog), path("b.raw"), 100), 1);
  EXPECT_NE(err_.str().find("--size 100"), std::string::npos);
  EXPECT_FALSE(fs::exists(path("b.raw")));
}

TEST_F(TextureCommand, PngShowsTheColoursTopRowFirstAndAlphaOnlyWhenAsked) {
  const std::string log = file("u.vtx", kUsualLog);
  ASSERT_EQ(run(log, path("u.raw")), 0) << err_.str();
  ASSERT_EQ(run(log, path("u.png")), 0) << err_.str();
  ASSERT_EQ(run(log, path("alpha.png"), 0, true), 0) << err_.str();
  const std::string raw = slurp(path("u.raw"));
  ASSERT_EQ(raw.size(), 64u * 64 * 4);
  EXPECT_EQ(raw[3], '\0');
  // Rows read upside down would show: the first and last rows differ.
  ASSERT_NE(raw.substr(0, 64 * 4), raw.substr(63 * 64 * 4));

  const Png rgb = readPng(slurp(path("u.png")));
  EXPECT_EQ(rgb.width, 64);
  EXPECT_FALSE(rgb.hasAlpha);
  EXPECT_TRUE(rgb.rgba == rawAsRgba(raw, false)) << "the PNG's colours are not row 0 first";
  const Png rgba = readPng(slurp(path("alpha.png")));
  EXPECT_TRUE(rgba.hasAlpha);
  EXPECT_TRUE(rgba.rgba == rawAsRgba(raw, true)) << "the PNG's pixels are not the layer's";
}

TEST_F(TextureCommand, UnknownLinesWarnAndAreSkipped) {
  ASSERT_EQ(run(file("u.vtx", "texture generation log\ntsize=32;\nfoo(1);\nInvert();\nend\n"), path("u.raw")), 0);
  EXPECT_NE(err_.str().find("u.vtx:3: неизвестная команда"), std::string::npos) << err_.str();
  EXPECT_EQ(slurp(path("u.raw")).substr(0, 4), std::string("\xFF\xFF\xFF\0", 4));
}

TEST_F(TextureCommand, ErrorsWriteNothing) {
  const std::string out = path("out.png");
  EXPECT_EQ(run(path("missing.vtx"), out), 1);
  EXPECT_NE(err_.str().find("missing.vtx"), std::string::npos);
  EXPECT_EQ(run(file("bad.vtx", "texture generation log\ntsize=100;\nInvert();\nend\n"), out), 1);
  EXPECT_NE(err_.str().find("tsize=100"), std::string::npos);
  EXPECT_EQ(run(file("none.vtx", "\x01\x02garbage"), out), 1);
  EXPECT_EQ(run(file("a.vtx", kLog), path("out.jpg")), 1);
  EXPECT_FALSE(fs::exists(out));
  EXPECT_FALSE(fs::exists(path("out.jpg")));
  // Every message is one line.
  const std::string messages = err_.str();
  EXPECT_EQ(std::count(messages.begin(), messages.end(), '\n'), 1);
}

TEST_F(TextureCommand, LongLogsStopAtTheLimitWithAWarning) {
  std::string text = "texture generation log\ntsize=512;\n";
  for (int i = 0; i < 100; ++i) text += "Invert();\n";
  ASSERT_EQ(run(file("long.vtx", text), path("long.raw")), 0);
  EXPECT_EQ(err_.str(), "vandrel: предупреждение: " + path("long.vtx") +
                            ": Лог текстуры заполнен: при размере 512 помещается 93 операции; не загружено операций: 7\n");
  // 93 inversions of black.
  EXPECT_EQ(slurp(path("long.raw")).substr(0, 3), "\xFF\xFF\xFF");

  text = "texture generation log\ntsize=256;\n";
  for (int i = 0; i < 100; ++i) text += "Invert();\n";
  ASSERT_EQ(run(file("long2.vtx", text), path("long2.raw"), 512), 0);
  EXPECT_NE(err_.str().find("при размере 512 помещается 93 операции; не загружено операций: 7\n"), std::string::npos)
      << err_.str();
}

TEST_F(TextureCommand, RefusesParametersThatAreNotWholeNumbers0To255) {
  EXPECT_EQ(run(file("p.vtx", "texture generation log\ntsize=32;\nPlasm(abc,0,255,0);\nend\n"), path("p.png")), 1);
  EXPECT_EQ(err_.str(), "vandrel: " + path("p.vtx") + ": строка 3: ожидалось число: «Plasm(abc,0,255,0);»\n");
  EXPECT_EQ(run(file("q.vtx", "texture generation log\ntsize=32;\nPlasm(99999,0,255,0);\nend\n"), path("p.png")), 1);
  EXPECT_NE(err_.str().find("строка 3: значение вне допустимых пределов (0..255)"), std::string::npos) << err_.str();
  EXPECT_FALSE(fs::exists(path("p.png")));
}

// The parser's own refusals are told in Russian too, with exit code 2; the help still works.
TEST_F(TextureCommand, TheExecutableParsesItsArguments) {
  const std::string input = file("a.vtx", kLog);
  std::string command = std::string(VANDREL_BINARY) + " texture " + input + " --size=128 -o " +
                        path("x.raw") + " 2>" + path("err.txt");
  EXPECT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(fs::file_size(path("x.raw")), 128u * 128 * 4);
  for (bool alpha : {false, true}) {
    command = std::string(VANDREL_BINARY) + " texture " + input + (alpha ? " --alpha" : "") +
              " -o " + path("x.png");
    EXPECT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(readPng(slurp(path("x.png"))).hasAlpha, alpha);
  }
  const std::pair<const char*, const char*> refusals[] = {
      {"", "не задан обязательный параметр --output"},
      {" -o", "--output: не указано значение"},
      {" -o x.png --size abc", "--size: «abc» не подходит, нужно число"},
      {" -o x.png --bogus", "неизвестный параметр: --bogus"},
      {" -o x.png extra", "лишний аргумент: extra"},
      {" -o x.png --size 64 --size 128", "--size задан больше одного раза"},
  };
  for (const auto& [arguments, said] : refusals) {
    command = std::string(VANDREL_BINARY) + " texture " + input + arguments + " 2>" + path("err.txt");
    EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 2) << arguments;
    EXPECT_EQ(slurp(path("err.txt")), std::string("vandrel: ") + said + "; справка: vandrel --help\n");
  }
  command = std::string(VANDREL_BINARY) + " texture --help >" + path("help.txt");
  EXPECT_EQ(std::system(command.c_str()), 0);
  EXPECT_NE(slurp(path("help.txt")).find("--size"), std::string::npos);
}

TEST_F(TextureCommand, APacksSetHoldsEachSlotAsItsOwnLogGivesIt) {
  const std::string pack = std::string(VANDREL_SOURCE_DIR) + "/examples/demo.vsc";
  TextureCommandOptions set{pack, path("set"), 0, false, true};
  ASSERT_EQ(runTextureSetCommand(set, err_, false), 0) << err_.str();

  // Each slot's log, as a file of its own, through the single-texture command.
  pack::Document document;
  std::string text, error;
  ASSERT_TRUE(pack::readPackFile(pack, &text, &error)) << error;
  pack::readPack(text, pack::TextureRebuild::Skip);
  std::vector<std::pair<int, std::string>> logs;
  for (int slot = 1; slot <= 253; ++slot) {
    const texgen::TextureSlot& s = texgen::textureStore.slots[slot];
    if (s.entryCount > 1) logs.emplace_back(slot, texgen::writeLog(slot, s.edgeSize, s.entryCount));
  }
  ASSERT_GE(logs.size(), 3u);
  for (const auto& [slot, log] : logs) {
    char name[32];
    std::snprintf(name, sizeof name, "slot_%03d", slot);
    ASSERT_EQ(run(file(std::string(name) + ".vtx", log), path(std::string(name) + ".png")), 0) << err_.str();
    EXPECT_TRUE(slurp(path("set/" + std::string(name) + ".png")) == slurp(path(std::string(name) + ".png")))
        << name;
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(path("set")), {}), static_cast<long>(logs.size()));
}

TEST_F(TextureCommand, ASetNeedsAPackAndAFolderItCanWrite) {
  const std::string pack = std::string(VANDREL_SOURCE_DIR) + "/examples/demo.vsc";
  file("taken", "a file, not a folder");
  EXPECT_EQ(runTextureSetCommand({pack, path("taken"), 0, false, true}, err_, false), 1);
  EXPECT_NE(err_.str().find("taken"), std::string::npos) << err_.str();
  EXPECT_EQ(runTextureSetCommand({pack, path("out"), 0, false, false}, err_, false), 1);
  EXPECT_EQ(runTextureSetCommand({pack, path("out"), 128, false, true}, err_, false), 1);
  EXPECT_EQ(runTextureSetCommand({file("bad.vsc", "not a pack"), path("out"), 0, false, true}, err_, false), 1);
  EXPECT_EQ(runTextureCommand({file("a.vtx", kLog), path("out2"), 0, false, true}, err_), 1);
  EXPECT_FALSE(fs::exists(path("out2")));
  // One message for each refusal.
  const std::string messages = err_.str();
  std::size_t said = 0;
  for (std::size_t at = 0; (at = messages.find("vandrel: ", at)) != std::string::npos; at += 9) ++said;
  EXPECT_EQ(said, 5u) << messages;
}

}  // namespace
}  // namespace vandrel::app
