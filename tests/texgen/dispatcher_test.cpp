#include "texgen/dispatcher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "texgen/catalogue.h"
#include "texgen/editor_hooks.h"
#include "texgen/ops.h"
#include "texgen/parameter_rows.h"
#include "texgen/texture_store.h"
#include "store_fixture.h"

namespace vandrel::texgen::test {
namespace {

using Replay = TextureStoreTest;

bool allPixelsAre(const std::vector<Pixel>& image, Pixel value) {
  return std::all_of(image.begin(), image.end(), [&](Pixel p) { return p == value; });
}

TEST_F(Replay, EmptyLogClearsTheBaseAndTheCurrentLayer) {
  std::fill(layer(0), layer(0) + layerPixels(), 0x12345678u);
  std::fill(layer(1), layer(1) + layerPixels(), 0x9ABCDEF0u);
  replayCurrentSlot();
  EXPECT_EQ(textureStore.entryCount, 1);
  EXPECT_TRUE(allPixelsAre(imageOfLayer(0), 0));
  EXPECT_TRUE(allPixelsAre(currentImage(), 0));
}

TEST_F(Replay, EachEntryStartsFromTheResultBelowIt) {
  append(kClearAlfa);
  append(kInvert);
  replayCurrentSlot();
  EXPECT_EQ(textureStore.entryCount, 3);
  EXPECT_TRUE(allPixelsAre(imageOfLayer(1), 0xFF000000u));
  EXPECT_TRUE(allPixelsAre(imageOfLayer(2), 0xFFFFFFFFu));
  EXPECT_TRUE(allPixelsAre(currentImage(), 0xFFFFFFFFu));  // the copy above the last entry
}

TEST_F(Replay, GeneratorsWithoutPreCopyKeepTheAlphaCarriedUpFromBelow) {
  append(kClearAlfa);
  append(kChessfield, {127, 127});
  replayCurrentSlot();
  auto image = currentImage();
  EXPECT_TRUE(std::all_of(image.begin(), image.end(), [](Pixel p) { return p >> 24 == 0xFF; }));
  EXPECT_NE(image[0] & 0xFFFFFF, image[16] & 0xFFFFFF);  // still a board
}

TEST_F(Replay, HeadingsTakeALayerAndDoNothing) {
  append(kClearAlfa);
  append(kHeadingFilters);
  append(kHeadingColour);
  replayCurrentSlot();
  EXPECT_EQ(textureStore.entryCount, 4);
  EXPECT_TRUE(allPixelsAre(currentImage(), 0xFF000000u));
}

TEST_F(Replay, ParametersAreClampedAsTrackbarsClampThem) {
  append(kStars, {300, -5});
  replayCurrentSlot();
  std::vector<Pixel> expected(layerPixels(), 0);
  stars(expected.data(), textureStore.edgeSize, 255, 0);
  EXPECT_EQ(currentImage(), expected);
  auto& rows = static_cast<PlainParameterRows&>(*textureHooks.rows);
  EXPECT_EQ(rows.position(1), 255);
  EXPECT_EQ(rows.number(1), "255");
  EXPECT_EQ(rows.number(2), "0");
}

TEST_F(Replay, ZeroBlurPassesCopyThePreviousLayer) {
  append(kChessfield, {20, 40});
  append(kBlur, {0});
  append(kMotionBlur, {0});
  append(kRadialBlur, {0, 200});
  replayCurrentSlot();
  EXPECT_EQ(currentImage(), imageOfLayer(1));
  EXPECT_FALSE(allPixelsAre(currentImage(), currentImage().front()));
}

TEST_F(Replay, RepeatCountRunsTheOnePassFilterThatManyTimes) {
  append(kChessfield, {20, 40});
  append(kBlur, {3});
  replayCurrentSlot();
  std::vector<Pixel> expected = imageOfLayer(1);
  for (int pass = 0; pass < 3; ++pass) blurPass(expected.data(), expected.data(), textureStore.edgeSize);
  EXPECT_EQ(currentImage(), expected);
  // Radial blur's passes alternate between the layer and the scratch image; an even
  // count ends in the layer all the same.
  append(kRadialBlur, {2, 200});
  replayCurrentSlot();
  for (int pass = 0; pass < 2; ++pass) {
    const std::vector<Pixel> input = expected;
    radialBlurPass(input.data(), expected.data(), textureStore.edgeSize, 200);
  }
  EXPECT_EQ(currentImage(), expected);
}

TEST_F(Replay, MixerSourcesAreLimitedToTheLayersBelowAndShown) {
  append(kChessfield, {127, 127});
  append(kInvert);
  append(kMixer, {0, 200, 128, 128, 0});
  replayCurrentSlot();
  auto& rows = static_cast<PlainParameterRows&>(*textureHooks.rows);
  EXPECT_EQ(rows.position(1), 1);
  EXPECT_EQ(rows.position(2), 2);
  EXPECT_EQ(rows.number(1), "1");
  EXPECT_EQ(rows.number(2), "2");
  // Average of a board and its inverse: 0 + 255 x 128 div 256 everywhere.
  auto image = currentImage();
  EXPECT_TRUE(std::all_of(image.begin(), image.end(), [](Pixel p) { return (p & 0xFFFFFF) == 0x7F7F7F; }));
  // The log keeps the values as entered.
  EXPECT_EQ(currentSlot().log[3].param(1), 0);
}

TEST_F(Replay, MixerAtTheFirstEntryReadsTheEmptyBase) {
  append(kMixer, {5, 5, 255, 255, 0});
  replayCurrentSlot();
  auto& rows = static_cast<PlainParameterRows&>(*textureHooks.rows);
  EXPECT_EQ(rows.position(1), 0);
  EXPECT_TRUE(allPixelsAre(currentImage(), 0));
}

std::vector<std::string> history;
void clearHistory() { history.clear(); }
void insertAtTop(const char* label) { history.insert(history.begin(), label); }

TEST_F(Replay, HistoryListsNumberedNamesNewestFirstAndBareNamesAfterASizeChange) {
  textureHooks.clearHistory = clearHistory;
  textureHooks.insertHistoryAtTop = insertAtTop;
  append(kPlasm, {255, 0, 255, 0});
  append(kTwirl, {128, 128, 128, 192, 64});
  append(kScaleColor, {128, 100, 200});
  replayCurrentSlot();
  EXPECT_EQ(history, (std::vector<std::string>{"3ScaleColor", "2twirl", "1Plasm"}));
  ASSERT_TRUE(changeEdgeSize(64));
  EXPECT_EQ(history, (std::vector<std::string>{"ScaleColor", "twirl", "Plasm"}));
}

TEST_F(Replay, ReplayFromAnEntryMatchesAFullReplay) {
  append(kPlasm, {255, 0, 255, 0});
  append(kTwirl, {128, 128, 128, 192, 64});
  append(kInvert);
  replayCurrentSlot();
  currentSlot().log[2].setParam(4, 60);
  replayFrom(2, textureStore.entryCount);
  auto partial = currentImage();
  EXPECT_EQ(textureStore.entryCount, 4);
  replayCurrentSlot();
  EXPECT_EQ(partial, currentImage());
}

TEST_F(Replay, OperationsWithoutAPreCopyReadTheLayerBelow) {
  // Replaying from entry k finds layer k still holding its old picture (rubbish here).
  append(kPlasm, {255, 0, 255, 0});
  append(kCopyBToAlfa);
  append(kBlur, {2});
  append(kMotionBlur, {2});
  append(kRadialBlur, {2, 200});  // an even and an odd count start in different images
  append(kRadialBlur, {3, 100});
  for (int code : {kMedian, kDilate, kErode, kEdge, kEmboss, kSharpen, kInvert}) append(code);
  append(kScaleColor, {200, 100, 50});
  append(kAdjustColor, {100, 140, 160});
  for (int code : {kClearAlfa, kClearRgb, kClear}) append(code);
  const int count = textureStore.entryCount;
  replayCurrentSlot();
  std::vector<std::vector<Pixel>> expected;
  for (int i = 0; i <= count; ++i) expected.push_back(imageOfLayer(i));
  for (int k = 2; k < count; ++k) {
    std::fill(layer(k), layer(k) + layerPixels(), 0xDEADBEEFu);
    replayFrom(k, count);
    for (int i = k; i <= count; ++i) ASSERT_EQ(imageOfLayer(i), expected[i]) << "from " << k << ", layer " << i;
  }
}

using EditLog = TextureStoreTest;

TEST_F(EditLog, DeletingAnEntryKeepsMixerSourcesOnTheSameLayers) {
  append(kChessfield, {127, 127});
  append(kInvert);
  append(kNoise, {100});
  append(kMixer, {3, 1, 128, 128, 0});
  append(kMixer, {2, 4, 128, 128, 0});
  deleteEntry(2);
  EXPECT_EQ(textureStore.entryCount, 5);
  const TextureOp* log = currentSlot().log;
  EXPECT_EQ(log[2].code(), kNoise);
  EXPECT_EQ(log[3].code(), kMixer);
  EXPECT_EQ(log[3].param(1), 2);
  EXPECT_EQ(log[3].param(2), 1);
  EXPECT_EQ(log[3].param(3), 128);
  EXPECT_EQ(log[4].param(1), 2);  // a source equal to the deleted entry stays
  EXPECT_EQ(log[4].param(2), 3);
}

TEST_F(EditLog, DeletingTheNewestEntryMovesAndRenumbersNothing) {
  append(kChessfield, {127, 127});
  append(kMixer, {1, 1, 128, 128, 0});
  append(kInvert);
  deleteEntry(3);
  EXPECT_EQ(textureStore.entryCount, 3);
  EXPECT_EQ(currentSlot().log[2].param(1), 1);
  deleteEntry(0);  // outside the log: nothing happens
  deleteEntry(3);
  EXPECT_EQ(textureStore.entryCount, 3);
}

struct Recreated {
  int slot, edge;
};
std::vector<Recreated> recreated;
void recordRecreate(int slot, int edge) { recreated.push_back({slot, edge}); }

TEST_F(EditLog, SelectingAnotherSlotAndBackRebuildsTheFirstByReplay) {
  textureHooks.recreateSlotTexture = recordRecreate;
  recreated.clear();
  append(kPlasm, {200, 10, 90, 30});
  ASSERT_TRUE(changeEdgeSize(64));
  auto first = currentImage();

  selectSlot(2);
  EXPECT_EQ(textureStore.currentSlot, 2);
  EXPECT_EQ(textureStore.entryCount, 1);
  EXPECT_EQ(textureStore.edgeSize, 32);
  EXPECT_TRUE(allPixelsAre(currentImage(), 0));

  std::fill(layer(0), layer(0) + 6 * 64 * 64 / 4, 0xDEADBEEFu);  // spoil the layers
  selectSlot(1);
  EXPECT_EQ(textureStore.edgeSize, 64);
  EXPECT_EQ(textureStore.entryCount, 2);
  EXPECT_EQ(currentImage(), first);
  ASSERT_EQ(recreated.size(), 3u);
  EXPECT_EQ(recreated[1].slot, 2);
  EXPECT_EQ(recreated[1].edge, 32);
  EXPECT_EQ(recreated[2].slot, 1);
  EXPECT_EQ(recreated[2].edge, 64);
  EXPECT_EQ(currentSlot().renderSize, 64);

  selectSlot(0);
  selectSlot(256);
  EXPECT_EQ(textureStore.currentSlot, 1);
}

TEST_F(EditLog, ALogGivesTheSamePictureAtEverySizeOnlyFiner) {
  append(kChessfield, {63, 127});
  append(kBox, {128, 128, 64, 64, 255, 0, 0});
  append(kInvert);
  ASSERT_TRUE(changeEdgeSize(64));
  auto small = currentImage();
  ASSERT_TRUE(changeEdgeSize(256));
  auto large = currentImage();
  for (int row = 0; row < 64; ++row)
    for (int col = 0; col < 64; ++col)
      ASSERT_EQ(small[row * 64 + col], large[(row * 4) * 256 + col * 4]) << row << "," << col;
}

TEST_F(EditLog, SizeChangeIsRefusedWhenTheLogDoesNotFitTheLayers) {
  ASSERT_TRUE(changeEdgeSize(256));
  for (int i = 0; i < 100; ++i) append(kInvert);
  replayCurrentSlot();
  EXPECT_FALSE(changeEdgeSize(512));
  EXPECT_EQ(textureStore.edgeSize, 256);
  EXPECT_EQ(textureStore.entryCount, 101);
  EXPECT_FALSE(changeEdgeSize(256));  // already current
  EXPECT_FALSE(changeEdgeSize(100));  // not one of the five
  while (textureStore.entryCount > maxEntryCount(512)) deleteEntry(1);
  EXPECT_TRUE(changeEdgeSize(512));
  EXPECT_EQ(textureStore.entryCount, 94);
}

TEST_F(EditLog, CapacityAtEachSize) {
  EXPECT_EQ(layersThatFit(32), 24414);
  EXPECT_EQ(layersThatFit(512), 95);
  EXPECT_EQ(maxEntryCount(256), 255);
  EXPECT_EQ(maxEntryCount(512), 94);  // 93 operations, the last copy in layer 94
}

TEST_F(EditLog, UploadCopiesTheCurrentLayerRowByRowAtThePitch) {
  append(kChessfield, {0, 0});
  replayCurrentSlot();
  const int edge = textureStore.edgeSize;
  const int pitch = edge * 4 + 16;
  std::vector<unsigned char> locked(pitch * edge, 0xAB);
  copyCurrentLayerTo(locked.data(), pitch);
  for (int row = 0; row < edge; ++row) {
    EXPECT_EQ(std::memcmp(&locked[row * pitch], layer(2) + row * edge, edge * 4), 0);
    EXPECT_EQ(locked[row * pitch + edge * 4], 0xAB);  // the padding is not written
  }
}

}  // namespace
}  // namespace vandrel::texgen::test
