#include "scene/geometry_text.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <vector>

#include "scene_fixture.h"

namespace vandrel::scene::test {
namespace {

using namespace std::literals;

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

// Three scenes (1, 255 and 9 objects; one object with 255 modifiers) of any values.
void fillRandomScenes() {
  std::mt19937 random(11);
  auto i16 = [&] { return static_cast<std::int16_t>(random()); };
  auto u8 = [&] { return static_cast<std::uint8_t>(random()); };
  newScene();
  newScene();
  for (int s = 0; s < 3; ++s) {
    const int n = s == 1 ? 255 : 1 + s * 4;
    sceneStore.scenes[s].objectCount = static_cast<std::uint8_t>(n);
    for (int o = 0; o < n; ++o) {
      objectRecord(s, o) = SceneObject{i16(), i16(), i16(), i16(), i16(), i16(), u8(), u8(),
                                       u8(),  u8(),  u8(),  u8(),  u8(),  u8(),  u8()};
      ModifierList& list = modifierList(s, o);
      list.count = o == 3 ? 255 : u8() % 4;
      for (int m = 0; m < list.count; ++m)
        list.modifiers[m] = Modifier{i16(), i16(), i16(), i16(), i16(), u8()};
      cloneRule(s, o) = CloneRule{u8(), u8(), i16()};
    }
  }
}

using GeometryText = SceneStoreTest;

TEST_F(GeometryText, LayoutsAreByteExactAndSplitsRoundTrip) {
  EXPECT_EQ(writeAllScenes(),
            "1,\n" + std::string(kNewSceneText, 77) + "\n\n0,\n\n\nclones\n0,0,0,\n");

  fillObjects(4);
  const std::int16_t positions[] = {-1, -32768, 32767, 0};
  const std::int16_t scales[] = {-300, 300, -32768, 32767};
  for (int o = 0; o < 4; ++o) {
    objectRecord(0, o).posX = positions[o];
    objectRecord(0, o).scaleX = scales[o];
  }
  addModifier(1, kSource, 2);
  addModifier(1, 200, -7) = Modifier{-5, 0, 300, -1, -7, 200};
  const std::string text = writeCurrentScene();
  const auto l = lines(text);
  ASSERT_EQ(l.size(), 31u);
  EXPECT_EQ(l[7], "-1,1,-128,127,");   // scaleX high
  EXPECT_EQ(l[8], "-44,44,0,255,");    // scaleX low
  EXPECT_EQ(l[15], "127,0,255,128,");  // posX high
  EXPECT_EQ(l[16], "255,0,255,0,");    // posX low
  EXPECT_EQ(l[22] + l[23], "");
  EXPECT_EQ(l[25], "2,1,2,3,4,2,51,-5,0,300,-1,-7,200,");
  EXPECT_EQ(l[26] + l[27] + l[28], "0,0,");
  EXPECT_EQ(l[29], "clones");

  newScene();
  currentSceneRecord().objectCount = 2;
  ASSERT_TRUE(readExact(readCurrentScene, text));
  EXPECT_EQ(writeCurrentScene(), text);
}

TEST_F(GeometryText, AllScenesRoundTripStoresOddCodesAsRead) {
  fillRandomScenes();
  objectRecord(1, 7).primitive = 99;  // codes no dialog offers
  objectRecord(1, 7).texture = 255;
  modifierList(1, 3).modifiers[0].kind = 200;
  sceneStore.currentScene = 2;
  const std::string text = writeAllScenes();

  static int refreshes;
  refreshes = 0;
  sceneHooks.refreshClonesDialog = [] { ++refreshes; };
  sceneHooks.selectionChanged = [] { ++refreshes; };
  resetSceneStore();
  EXPECT_TRUE(readExact(readAllScenes, text));
  EXPECT_EQ(writeAllScenes(), text);
  EXPECT_EQ(refreshes, 2);
  EXPECT_EQ(sceneStore.currentScene, 0);
  EXPECT_EQ(sceneStore.currentModifier, currentModifierList().count - 1);

  // Windows line ends read the same.
  std::string crlf;
  for (char c : text) crlf += c == '\n' ? "\r\n"s : std::string(1, c);
  resetSceneStore();
  EXPECT_TRUE(readExact(readAllScenes, crlf));
  EXPECT_EQ(writeAllScenes(), text);
}

TEST_F(GeometryText, ATextWithoutClonesKeepsTheCloneRules) {
  fillObjects(2);
  const std::string text = writeCurrentScene();
  const std::string noClones = text.substr(0, text.find("clones"));
  cloneRule(0, 0) = CloneRule{4, 9, -19999};
  ASSERT_TRUE(readExact(readCurrentScene, noClones));
  EXPECT_EQ(cloneRule(0, 0).cloneStep, -19999);

  // Count before kind; each value truncated to its field's width.
  ASSERT_TRUE(readExact(readCurrentScene, noClones + "clones\n3,6,-300,70000,-1,65535,\n"));
  EXPECT_EQ(lines(writeCurrentScene()).back(), "3,6,-300,112,255,-1,");
  std::string wide = kNewSceneText;
  wide.replace(wide.find("32,"), 3, "300,");   // gridN
  wide.replace(wide.find("128,"), 4, "384,");  // posX high: (384 - 128) x 256 wraps to 0
  ASSERT_TRUE(readExact(readCurrentScene, wide));
  EXPECT_EQ(currentObjectRecord().gridN, 44);
  EXPECT_EQ(currentObjectRecord().posX, 0);
}

TEST_F(GeometryText, BrokenTextsStopAtTheirEndAndKeepTheStoreValid) {
  fillRandomScenes();
  const std::string all = writeAllScenes();
  const std::string one = writeCurrentScene();
  const std::size_t lastModifierComma = one.rfind(',', one.find("clones"));
  for (std::size_t cut = 0; cut < one.size(); cut += 7) {
    const bool complete = readExact(readCurrentScene, std::string_view(one).substr(0, cut));
    EXPECT_TRUE(!complete || cut > lastModifierComma) << cut;
    expectInvariants();
  }
  for (std::size_t cut = 0; cut < all.size(); cut += 61, expectInvariants())
    readExact(readAllScenes, std::string_view(all).substr(0, cut));

  // Counts outside the tables are bounded before they drive any loop.
  const std::string_view odd[] = {""sv, "200,\n"sv, "0,\n"sv, "1,\n0,\n"sv, "-1,"sv,
                                  "x,y,z,\n\x01\xff,"sv, "5,\n1,\n1,\n"sv, "1,\n2\0,3,\n"sv,
                                  "99999999999999999999,\n0,"sv};
  for (std::string_view text : odd) {
    resetSceneStore();
    readExact(readAllScenes, text);
    expectInvariants();
    readExact(readCurrentScene, text);
    expectInvariants();
  }
  readExact(readAllScenes, "200,\n");
  EXPECT_EQ(sceneStore.sceneCount, kMaxScenes);
  readExact(readAllScenes, "0,\n");
  EXPECT_EQ(sceneStore.sceneCount, 1);
  readExact(readCurrentScene, "0,\n");
  EXPECT_EQ(currentSceneRecord().objectCount, 1);
}

}  // namespace
}  // namespace vandrel::scene::test
