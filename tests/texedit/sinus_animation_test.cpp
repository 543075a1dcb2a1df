#include "texedit/sinus_animation.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>


namespace vandrel::texedit {
namespace {

class SinusAnimationTest : public ::testing::Test {
 protected:
  void SetUp() override { resetSinusAnimation(); }

  // A heap copy of exactly the text's size: a read past its end trips the sanitizer.
  static int read(const std::string& text) {
    std::unique_ptr<char[]> exact(new char[text.size() ? text.size() : 1]);
    std::memcpy(exact.get(), text.data(), text.size());
    return readSinusAnimation(std::string_view(exact.get(), text.size()));
  }
  static SinusAnimation& s() { return sinusAnimation; }
};

TEST_F(SinusAnimationTest, WritesTheDocumentedLayout) {
  EXPECT_EQ(writeSinusAnimation(1), "1;\n");
  for (int j = 1; j <= 7; ++j) {
    s().amplitude[1][j] = j;
    s().frequency[1][j] = 10 * j;
    s().phase[1][j] = 255 - j;
  }
  s().amplitude[1][0] = s().amplitude[1][8] = s().amplitude[1][9] = 99;  // carry nothing
  EXPECT_EQ(writeSinusAnimation(2),
            "2;\n1,2,3,4,5,6,7,\n10,20,30,40,50,60,70,\n254,253,252,251,250,249,248,\n\n");
  const std::string zeros = "0,0,0,0,0,0,0,\n0,0,0,0,0,0,0,\n0,0,0,0,0,0,0,\n\n";
  EXPECT_EQ(writeSinusAnimation(4), "4;\n" + writeSinusAnimation(2).substr(3) + zeros + zeros);

  clearSinusTables();
  EXPECT_EQ(s().phase[1][7], 0);
  EXPECT_EQ(s().amplitude[1][8], 99);
}

TEST_F(SinusAnimationTest, WriteThenReadGivesBackEveryRow) {
  std::mt19937 random(11);
  for (auto* table : {&s().amplitude, &s().frequency, &s().phase})
    for (int r = 1; r < kSinusRows; ++r)
      for (int j = 1; j <= 7; ++j) (*table)[r][j] = static_cast<int>(random() % 256);
  s().phase[42][3] = -17;  // stored as read, in or out of range
  s().frequency[99][7] = 100000;
  const std::string text = writeSinusAnimation(100);
  const SinusAnimation before = s();

  resetSinusAnimation();
  EXPECT_EQ(read(text), 100);
  EXPECT_EQ(std::memcmp(&before, &s(), sizeof before), 0);

  // A log longer than the tables: entries 100 and 101 are written as zeros and,
  // when read, dropped without touching anything.
  const std::string zeros = "0,0,0,0,0,0,0,\n0,0,0,0,0,0,0,\n0,0,0,0,0,0,0,\n\n";
  EXPECT_EQ(writeSinusAnimation(102), "102;\n" + text.substr(5) + zeros + zeros);
  const std::string record = "77,1,2,3,4,5,6,\n8,8,8,8,8,8,8,\n9,9,9,9,9,9,9,\n\n";
  EXPECT_EQ(read("102;\n" + text.substr(5) + record + record), 102);
  EXPECT_EQ(std::memcmp(&before, &s(), sizeof before), 0);

  // A shorter file changes only its own rows.
  EXPECT_EQ(read("2;\n9,9,9,9,9,9,9,\n8,8,8,8,8,8,8,\n7,7,7,7,7,7,7,\n\n"), 2);
  EXPECT_EQ(s().amplitude[1][7], 9);
  EXPECT_EQ(s().phase[1][1], 7);
  EXPECT_EQ(s().amplitude[2][1], before.amplitude[2][1]);
}

TEST_F(SinusAnimationTest, ReaderStopsAtTheEndAndKeepsLinesApart) {
  for (const char* t : {"", ";", "5", "x;", "3;\n", "-4;\n1,2,3,", "2;\n1,2"}) read(t);
  EXPECT_EQ(s().amplitude[1][1], 1);  // only the last text had a row to give
  EXPECT_EQ(s().amplitude[1][2], 2);
  EXPECT_EQ(s().frequency[1][1], 0);

  // CR LF, blanks, a short amplitude line that must not take the frequency line's numbers.
  EXPECT_EQ(read(" 3;\r\n 5, 6\r\n1,2,3,4,5,6,7,8,\r\n0,0,0,0,0,0,0,\r\n\r\n\r\n"
                 "9,9,9,9,9,9,9,\r\n-1,x,,3\r\n"),
            3);
  EXPECT_EQ(s().amplitude[1][1], 5);
  EXPECT_EQ(s().amplitude[1][2], 6);
  EXPECT_EQ(s().amplitude[1][3], 0);
  EXPECT_EQ(s().frequency[1][7] + s().frequency[1][8], 7);
  EXPECT_EQ(s().amplitude[2][7], 9);
  EXPECT_EQ(s().frequency[2][1] + s().frequency[2][2] + s().frequency[2][4], -1 + 0 + 3);
  EXPECT_EQ(s().phase[2][1], 0);  // the text ended before it
}

TEST_F(SinusAnimationTest, FilesByPath) {
  const std::string base = (std::filesystem::temp_directory_path() / "vandrel_sna_test").string();
  std::string error;
  s().frequency[3][2] = 44;
  ASSERT_TRUE(saveSinusAnimationFile(base, 5, &error)) << error;  // ".sna" appended
  resetSinusAnimation();
  ASSERT_TRUE(loadSinusAnimationFile(base + ".sna", &error));
  EXPECT_FALSE(loadSinusAnimationFile(base + ".missing", &error) || error.empty());
  EXPECT_EQ(s().frequency[3][2], 44);
  std::filesystem::remove(base + ".sna");
}

}  // namespace
}  // namespace vandrel::texedit
