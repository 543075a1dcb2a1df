#include "texgen/texture_log_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "store_fixture.h"

namespace vandrel::texgen::test {
namespace {

class LogFile : public TextureStoreTest {
 protected:
  // Reads from a heap copy of exactly the text's size, so that any read past
  // its end is caught by the address sanitizer.
  static LogReadResult read(const std::string& text) {
    std::unique_ptr<char[]> exact(new char[text.size() ? text.size() : 1]);
    std::memcpy(exact.get(), text.data(), text.size());
    return readLog(std::string_view(exact.get(), text.size()));
  }
  static const TextureOp& entry(int i) { return currentSlot().log[i]; }
};

TEST_F(LogFile, WritesTheDocumentedLayout) {
  EXPECT_EQ(writeLog(), "texture generation log\ntsize=32;\nend\n");
  ASSERT_TRUE(changeEdgeSize(128));
  append(kPlasm, {255, 0, 255, 0});
  append(kTwirl, {128, 128, 128, 192, 64});
  append(kScaleColor, {128, 100, 200});
  append(kInvert);
  EXPECT_EQ(writeLog(),
            "texture generation log\ntsize=128;\nPlasm(255,0,255,0);\n"
            "twirl(128,128,128,192,64);\nScaleColor(128,100,200);\nInvert();\nend\n");
}

TEST_F(LogFile, WriteThenReadGivesBackCodesParametersAndSize) {
  ASSERT_TRUE(changeEdgeSize(256));
  std::mt19937 random(7);
  for (int i = 0; i < 60; ++i) {
    int code = 1 + random() % 40;
    std::initializer_list<int> none = {};
    append(code, none);
    for (int k = 1; k <= parameterCount(code); ++k)
      currentSlot().log[textureStore.entryCount - 1].setParam(k, random() % 256);
  }
  const std::string text = writeLog();
  TextureSlot before = currentSlot();

  resetTextureStore();
  LogReadResult result = read(text);
  EXPECT_TRUE(result.sizeApplied);
  EXPECT_EQ(textureStore.edgeSize, 256);
  EXPECT_EQ(currentSlot().edgeSize, 256);
  EXPECT_EQ(currentSlot().renderSize, 256);
  EXPECT_EQ(textureStore.entryCount, 61);
  EXPECT_EQ(result.operationsRead, 60);
  EXPECT_TRUE(result.unknownLines.empty());
  for (int i = 1; i < 61; ++i) {
    ASSERT_EQ(entry(i).code(), before.log[i].code()) << i;
    for (int k = 1; k <= parameterCount(entry(i).code()); ++k)
      ASSERT_EQ(entry(i).param(k), before.log[i].param(k)) << i << "," << k;
  }
  EXPECT_EQ(writeLog(), text);
}

TEST_F(LogFile, LongestNameWinsAndParametersFollowIt) {
  read("texture generation log\ntsize=64;\nclear_rgb();\nclear_alfa();\nclear();\n"
       "motion blur(3);\nradial pshift(1,2,3,4);\nend\n");
  ASSERT_EQ(textureStore.entryCount, 6);
  EXPECT_EQ(entry(1).code(), kClearRgb);
  EXPECT_EQ(entry(2).code(), kClearAlfa);
  EXPECT_EQ(entry(3).code(), kClear);
  EXPECT_EQ(entry(4).code(), kMotionBlur);
  EXPECT_EQ(entry(4).param(1), 3);
  EXPECT_EQ(entry(5).code(), kRadialPshift);
  EXPECT_EQ(entry(5).param(4), 4);
}

TEST_F(LogFile, UnknownLinesAreReportedOnceAndSkipped) {
  LogReadResult result = read(
      "texture generation log\ntsize=32;\nInvert();\nSwirl(1,2);\n--Генераторы--();\n"
      "--Фильтры--();\nblur(2);\nend\n");
  EXPECT_EQ(result.unknownLines, (std::vector<int>{4, 5}));
  ASSERT_EQ(textureStore.entryCount, 4);
  EXPECT_EQ(entry(1).code(), kInvert);
  EXPECT_EQ(entry(2).code(), kHeadingFilters);
  EXPECT_EQ(entry(3).code(), kBlur);
  EXPECT_EQ(entry(3).param(1), 2);

  // A megabyte of them is read in one pass: each line's number is counted on
  // from the one before, not from the start of the text (that took minutes).
  std::string many = "texture generation log\ntsize=32;\n";
  while (many.size() < 1'000'000) many += "swirl(1,2);\n";
  const auto start = std::chrono::steady_clock::now();
  result = read(many);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  ASSERT_EQ(result.unknownLines.size(), (many.size() - 33) / 12);
  EXPECT_EQ(result.unknownLines.back(), static_cast<int>(result.unknownLines.size()) + 2);
}

TEST_F(LogFile, CarriageReturnLineEndsReadLikeLineFeeds) {
  const std::string lf =
      "texture generation log\ntsize=128;\nPlasm(255,0,255,0);\nInvert();\nmixer(1,1,2,3,4);\nend\n";
  std::string crlf;
  for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  LogReadResult result = read(crlf);
  EXPECT_TRUE(result.unknownLines.empty());
  const std::string fromCrlf = writeLog();
  resetTextureStore();
  read(lf);
  EXPECT_EQ(writeLog(), fromCrlf);
  EXPECT_EQ(fromCrlf, lf);
}

TEST_F(LogFile, MissingParametersReadAsZeroWithoutTakingTheNextLine) {
  read("texture generation log\ntsize=32;\nPlasm(7,8);\nInvert();\n"
       "twirl;\nbox(1,2,3\nScaleColor(,5,x);\nend\n");
  ASSERT_EQ(textureStore.entryCount, 6);
  EXPECT_EQ(entry(1).param(1), 7);
  EXPECT_EQ(entry(1).param(2), 8);
  EXPECT_EQ(entry(1).param(3), 0);
  EXPECT_EQ(entry(1).param(4), 0);
  EXPECT_EQ(entry(2).code(), kInvert);
  EXPECT_EQ(entry(3).code(), kTwirl);
  EXPECT_EQ(entry(3).param(1), 0);
  EXPECT_EQ(entry(4).code(), kBox);
  EXPECT_EQ(entry(4).param(3), 3);
  EXPECT_EQ(entry(4).param(4), 0);
  EXPECT_EQ(entry(5).code(), kScaleColor);  // the line without ";" did not swallow it
  EXPECT_EQ(entry(5).param(1), 0);
  EXPECT_EQ(entry(5).param(2), 5);
  EXPECT_EQ(entry(5).param(3), 0);
}

TEST_F(LogFile, ValuesAreStoredAsReadAndSaturateAtTheIntegerRange) {
  read("tsize=32;\nStars(300,-5);\nNoise(99999999999);\nNoise( +12);\n");
  ASSERT_EQ(textureStore.entryCount, 4);
  EXPECT_EQ(entry(1).param(1), 300);
  EXPECT_EQ(entry(1).param(2), -5);
  EXPECT_EQ(entry(2).param(1), 2147483647);
  EXPECT_EQ(entry(3).param(1), 12);
}

TEST_F(LogFile, BrokenTextsNeverReadPastTheirEnd) {
  const char* texts[] = {
      "",
      "tsize=",
      "tsize=64",
      "tsize=64;",
      "tsize=64;\n",
      "texture generation log\ntsize=64;\nPlasm(1,2",
      "texture generation log\ntsize=64;\nPlasm(1,2,",
      "texture generation log\ntsize=64;\nPlasm(",
      "texture generation log\ntsize=64;\nmotion blur",
      "texture generation log\ntsize=64;\nInvert();",
      "texture generation log\ntsize=64;\nInvert()",
      "texture generation log\ntsize=64;\nx",
      "tsize=-",
      "tsize=64;;;;;;;",
  };
  for (const char* text : texts) {
    resetTextureStore();
    LogReadResult result = read(text);
    EXPECT_LE(textureStore.entryCount, 2) << text;
  }
  std::mt19937 random(3);
  for (int round = 0; round < 200; ++round) {
    std::string garbage = "tsize=32;\n";
    for (int i = 0; i < 300; ++i) garbage += static_cast<char>(random() % 256);
    if (round % 2) garbage += "Invert(";
    resetTextureStore();
    read(garbage);
    EXPECT_LE(textureStore.entryCount, maxEntryCount(32));
  }
}

TEST_F(LogFile, TextsWithoutEndStopAtTheirLastLine) {
  LogReadResult result = read("texture generation log\ntsize=64;\nInvert();\nclear_alfa();");
  EXPECT_EQ(result.operationsRead, 2);
  EXPECT_EQ(textureStore.entryCount, 3);
  resetTextureStore();
  result = read("no size here\nInvert();\nend\n");
  EXPECT_FALSE(result.foundSize);
  EXPECT_EQ(textureStore.entryCount, 1);
}

TEST_F(LogFile, ASizeOutsideTheFiveKeepsTheCurrentSize) {
  ASSERT_TRUE(changeEdgeSize(128));
  LogReadResult result = read("tsize=100;\nInvert();\nend\n");
  EXPECT_TRUE(result.foundSize);
  EXPECT_FALSE(result.sizeApplied);
  EXPECT_EQ(result.sizeRead, 100);
  EXPECT_EQ(textureStore.edgeSize, 128);
  EXPECT_EQ(result.operationsRead, 1);
}

std::string logOf(int edge, int operations) {
  std::string text = "texture generation log\ntsize=" + std::to_string(edge) + ";\n";
  for (int i = 0; i < operations; ++i) text += "Invert();\n";
  return text + "end\n";
}

TEST_F(LogFile, ReadingStopsWhenTheLogOrTheLayersAreFull) {
  LogReadResult result = read(logOf(256, 300));
  EXPECT_TRUE(result.stoppedAtCapacity);
  EXPECT_EQ(result.operationsRead, 254);
  EXPECT_EQ(textureStore.entryCount, 255);
  replayCurrentSlot();  // stays inside the layer block (checked by the sanitizer build)

  resetTextureStore();
  result = read(logOf(512, 120));
  EXPECT_TRUE(result.stoppedAtCapacity);
  EXPECT_EQ(result.operationsRead, 93);
  replayCurrentSlot();
  EXPECT_EQ(textureStore.entryCount, 94);

  resetTextureStore();
  result = read(logOf(512, 93));
  EXPECT_FALSE(result.stoppedAtCapacity);
  EXPECT_EQ(leftOutText(result), "");

  // The lines left out are counted, unknown ones and those after "end" not.
  resetTextureStore();
  std::string overfull = logOf(64, 300);
  overfull.insert(overfull.size() - 4, "foo();\n");
  result = read(overfull + "Invert();\n");
  EXPECT_EQ(result.operationsRead, 254);
  EXPECT_EQ(result.operationsLeftOut, 46);
  EXPECT_EQ(leftOutText(result), "Лог текстуры заполнен: при размере 64 помещается 254 операции; "
                                 "не загружено операций: 46");
}

TEST_F(LogFile, ChecksRefuseParametersThatAreNotWholeNumbers0To255) {
  const std::string head = "texture generation log\ntsize=64;\nInvert();\n";
  struct Case {
    const char* line;
    os::TextFault fault;
  } cases[] = {
      {"Plasm(abc,0,255,0);", os::TextFault::notNumber},  {"Plasm(1,2x,3,4);", os::TextFault::notNumber},
      {"Plasm(1,,3,4);", os::TextFault::notNumber},       {"twirl(1,2,3,4, );", os::TextFault::notNumber},
      {"Plasm(99999,0,255,0);", os::TextFault::outOfRange}, {"Plasm(1,2,3,256);", os::TextFault::outOfRange},
      {"blur(-1);", os::TextFault::outOfRange},
  };
  for (const Case& c : cases) {
    const std::string text = head + c.line + "\nend\n";
    const os::TextProblem problem = checkLogText(text);
    EXPECT_EQ(problem.fault, c.fault) << c.line;
    EXPECT_EQ(os::lineNumberAt(text, problem.position), 4) << c.line;
  }
  // What the writer never writes yet users do: blanks, a sign, CR LF, lines that
  // leave parameters out, unknown names and what follows "end".
  for (const char* fine : {"Plasm( 255 , 0,+1,0 );", "Plasm(1,2);", "Plasm();", "Plasm;", "Plasm(1,2,3,4\r",
                           "twirl(1,2,3,4,5,junk);", "Swirl(x);", "Invert(what);", "end\nPlasm(x);"})
    EXPECT_FALSE(checkLogText(head + fine + "\nend\n")) << fine;
}

TEST_F(LogFile, SaveAndLoadThroughFiles) {
  append(kChessfield, {10, 20});
  append(kInvert);
  replayCurrentSlot();
  auto image = currentImage();
  const std::string path = ::testing::TempDir() + "/log_file_test.vtx";
  std::string error;
  ASSERT_TRUE(saveLogFile(path, &error)) << error;

  resetTextureStore();
  LogReadResult result;
  ASSERT_TRUE(loadLogFile(path, &result, &error)) << error;
  EXPECT_EQ(textureStore.entryCount, 3);
  EXPECT_EQ(currentImage(), image);

  EXPECT_FALSE(loadLogFile(path + ".missing", &result, &error));
  EXPECT_NE(error.find("log_file_test.vtx.missing"), std::string::npos);
  EXPECT_EQ(textureStore.entryCount, 3);  // a failed load changes nothing

  EXPECT_FALSE(saveLogFile(::testing::TempDir() + "/no/such/folder/x.vtx", &error));
  std::remove(path.c_str());
}

}  // namespace
}  // namespace vandrel::texgen::test
