#include "texgen/catalogue.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace vandrel::texgen {
namespace {

TEST(Catalogue, RecordsMatchTheListedNamesCountsAndDefaults) {
  fillCatalogue();
  EXPECT_STREQ(catalogue.records[0].name, "--Генераторы--");
  EXPECT_STREQ(catalogue.records[14].name, "motion blur");
  EXPECT_STREQ(catalogue.records[41].name, "end");
  EXPECT_EQ(catalogue.records[26].paramCount, 7);
  EXPECT_EQ(catalogue.records[29].values[0], 99);
  EXPECT_STREQ(catalogue.records[29].labels[4], "тип (0-5)");
  // "cмещение" begins with the Latin letter c.
  EXPECT_EQ(catalogue.records[4].labels[1][0], 'c');
  int totalParams = 0;
  for (int c = 0; c < kCatalogueRecords; ++c) totalParams += catalogue.records[c].paramCount;
  EXPECT_EQ(totalParams, 4 + 2 + 4 + 4 + 2 + 1 + 2 + 4 + 4 + 5 + 4 + 1 + 1 + 4 + 4 + 2 + 3 + 4 + 7 +
                             1 + 5 + 2 + 6 + 3 + 3 + 7 + 6);
  for (int c : {0, 8, 32}) {
    EXPECT_TRUE(isHeading(c));
    EXPECT_EQ(catalogue.records[c].paramCount, 0);
  }
}

TEST(Catalogue, RestoreBringsBackThePristineRecord) {
  fillCatalogue();
  catalogue.records[19].values[0] = 200;
  catalogue.records[19].values[2] = 3;
  restoreRecord(19);
  EXPECT_EQ(catalogue.records[19].values[0], 0);
  EXPECT_EQ(catalogue.records[19].values[1], 0);
  EXPECT_EQ(catalogue.records[19].values[2], 128);
  EXPECT_EQ(catalogue.records[19].values[3], 1);
  restoreRecord(41);  // the terminator has no pristine copy; nothing happens
  restoreRecord(-1);
}

TEST(Catalogue, LongestNameThatBeginsTheTextWins) {
  std::size_t n = 0;
  EXPECT_EQ(codeOfName("motion blur(3);", &n), 14);
  EXPECT_EQ(n, std::strlen("motion blur"));
  EXPECT_EQ(codeOfName("clear_rgb();"), 39);
  EXPECT_EQ(codeOfName("clear_alfa();"), 40);
  EXPECT_EQ(codeOfName("clear();"), 28);
  EXPECT_EQ(codeOfName("radial pshift(1,2,3,4);"), 16);
  EXPECT_EQ(codeOfName("end\n"), 41);
  EXPECT_EQ(codeOfName("edge();"), 23);
  // Names are case-sensitive; code 0 is not among the names looked up.
  EXPECT_EQ(codeOfName("invert();"), -1);
  EXPECT_EQ(codeOfName("--Генераторы--();"), -1);
  EXPECT_EQ(codeOfName("--Фильтры--();"), 8);
  EXPECT_EQ(codeOfName("--\xD6\xE2\xE5\xF2--();"), 32);
  EXPECT_EQ(codeOfName(""), -1);
  EXPECT_EQ(codeOfName("blu"), -1);  // a text shorter than every name
}

}  // namespace
}  // namespace vandrel::texgen
