#include "app/texture_command.h"

#include <gtest/gtest.h>

#include "scratch_folder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace vandrel::app {
namespace {

namespace fs = std::filesystem;

class TextureCommand : public test::ScratchFolderTest {
 protected:
  int run(const std::string& input, const std::string& output, int size = 0) {
    err_.str("");
    return runTextureCommand({input, output, size}, err_);
  }


  std::ostringstream err_;
};

const char kLog[] = "texture generation log\ntsize=64;\nChessfield(127,127);\nclear_alfa();\nend\n";

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

TEST_F(TextureCommand, PngIsWrittenWithItsSignature) {
  ASSERT_EQ(run(file("a.vtx", kLog), path("a.png")), 0) << err_.str();
  EXPECT_EQ(slurp(path("a.png")).substr(0, 8), "\x89PNG\r\n\x1a\n");
}

TEST_F(TextureCommand, UnknownLinesWarnAndAreSkipped) {
  ASSERT_EQ(run(file("u.vtx", "tsize=32;\nfoo(1);\nInvert();\nend\n"), path("u.raw")), 0);
  EXPECT_NE(err_.str().find("u.vtx:2: неизвестная команда"), std::string::npos) << err_.str();
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
  std::string text = "tsize=512;\n";
  for (int i = 0; i < 100; ++i) text += "Invert();\n";
  ASSERT_EQ(run(file("long.vtx", text), path("long.raw")), 0);
  EXPECT_NE(err_.str().find("full"), std::string::npos);
  // 93 inversions of black.
  EXPECT_EQ(slurp(path("long.raw")).substr(0, 3), "\xFF\xFF\xFF");

  text = "tsize=256;\n";
  for (int i = 0; i < 100; ++i) text += "Invert();\n";
  ASSERT_EQ(run(file("long2.vtx", text), path("long2.raw"), 512), 0);
  EXPECT_NE(err_.str().find("only the first 93"), std::string::npos) << err_.str();
}

TEST_F(TextureCommand, TheExecutableParsesItsArguments) {
  const std::string input = file("a.vtx", kLog);
  std::string command = std::string(VANDREL_BINARY) + " texture " + input + " --size=128 -o " +
                        path("x.raw") + " 2>" + path("err.txt");
  EXPECT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(fs::file_size(path("x.raw")), 128u * 128 * 4);
  command = std::string(VANDREL_BINARY) + " texture " + input + " 2>" + path("err.txt");
  EXPECT_NE(std::system(command.c_str()), 0);
  EXPECT_FALSE(slurp(path("err.txt")).empty());
}

}  // namespace
}  // namespace vandrel::app
