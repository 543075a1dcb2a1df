// Operations shared out over several threads give the same bytes as one thread.
#include "platform/os/parallel.h"
#include "texgen/store_fixture.h"

namespace vandrel::texgen::test {
namespace {

class Threads : public TextureStoreTest {
 protected:
  void TearDown() override {
    os::setThreadCount(0);
    TextureStoreTest::TearDown();
  }

  // The log replayed at 512 with the given number of threads: every layer it made.
  std::vector<Pixel> replayedWith(int threads) {
    os::setThreadCount(threads);
    replayCurrentSlot();
    std::vector<Pixel> layers;
    for (int k = 1; k <= textureStore.entryCount; ++k) {
      const std::vector<Pixel> image = imageOfLayer(k);
      layers.insert(layers.end(), image.begin(), image.end());
    }
    return layers;
  }
};

TEST_F(Threads, EveryRowAndRunSplitGivesTheSameBytes) {
  ASSERT_TRUE(changeEdgeSize(512));
  // A picture in every channel first, so the colour steps have something to change.
  const auto op = [](const char* name, std::initializer_list<int> params) { append(codeOfName(name), params); };
  op("Plasm", {255, 0, 255, 0});
  op("MandelBrot", {164, 22, 164, 13});
  op("circle", {100, 60, 90, 200, 40, 10});
  op("Julia", {200, 120});
  op("mixer", {1, 2, 128, 200, 3});
  op("ScaleColor", {200, 160, 120});
  op("AdjustColor", {100, 140, 100});
  op("Cells", {90, 240, 90, 255});
  op("median", {});
  op("emboss", {});
  const std::vector<Pixel> one = replayedWith(1);
  for (int threads : {2, 3, 7}) EXPECT_TRUE(replayedWith(threads) == one) << threads << " threads";
}

}  // namespace
}  // namespace vandrel::texgen::test
