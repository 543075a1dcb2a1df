#include "pack/document.h"
#include "render/render_settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "scene/scene_store.h"

namespace vandrel::render {
namespace {

int refreshes = 0;
int swatches = 0;

bool same(const Camera& a, const Camera& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

class RenderSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    refreshes = swatches = 0;
    renderSettingsHooks.refresh = [] { ++refreshes; };
    renderSettingsHooks.redrawSwatch = [] { ++swatches; };
  }
  pack::Document document;

  // A heap copy of exactly the text's size: a read past its end trips the sanitizer.
  static void read(const std::string& text) {
    std::unique_ptr<char[]> exact(new char[text.size() ? text.size() : 1]);
    std::memcpy(exact.get(), text.data(), text.size());
    readRenderSettings(std::string_view(exact.get(), text.size()));
  }
  static RenderSettings& r() { return renderSettings; }
  static scene::Scene& sceneAt(int s) { return scene::sceneStore.scenes[s]; }
};

TEST_F(RenderSettingsTest, StartStateWritesTheDocumentedText) {
  EXPECT_EQ(r().quality + r().renderTargetSize, 128 + 32);
  std::string expected = "255,255,255,240,255,\ncamera_\n";
  for (int k = 0; k < 254; ++k) expected += "64,0,0,0,0,0,100,0,\n";
  EXPECT_EQ(writeRenderSettings(), expected);

  r().cameraList[0].eyeX = 5;
  r().currentCameraNumber = 3;
  sceneAt(0).fogEnd = 3;
  read(expected);
  EXPECT_EQ(writeRenderSettings(), expected);
  EXPECT_EQ(r().currentCameraNumber, 0);
  EXPECT_EQ(refreshes + swatches, 2);
}

TEST_F(RenderSettingsTest, CameraButtonsAndTrackbars) {
  r().cameraList[0].eyeX = 7;
  previousCamera();  // stays at 0, still loads it
  EXPECT_EQ(r().currentCamera.eyeX, 7);
  r().cameraList[254].eyeY = 9;
  for (int i = 0; i < 260; ++i) nextCamera();
  EXPECT_EQ(r().currentCameraNumber, 254);
  EXPECT_EQ(r().currentCamera.eyeY, 9);
  EXPECT_EQ(refreshes, 261);

  r().currentCamera = Camera{1, 2, 3, 4, 5, 6, 7, 0.5};
  takeCamera();
  const Camera taken = r().currentCamera;
  r().currentCamera.targetZ = 60;  // the view moves on
  previousCamera();
  nextCamera();
  EXPECT_TRUE(same(r().currentCamera, taken));

  ASSERT_TRUE(scene::newScene());
  scene::sceneStore.currentScene = 1;
  storeTrackbars({10, 20, 30, 40, 50, 96, 7});
  EXPECT_EQ(sceneAt(1).fogEnd, 50);
  EXPECT_EQ(sceneAt(0).fogEnd, 255);
  EXPECT_EQ(r().currentCamera.zoom, 1.5);
  EXPECT_EQ(r().cameraList[254].zoom + r().quality, 0.5 + 7);  // the list is not changed
}

TEST_F(RenderSettingsTest, FlyEasesFromOneEntryToTheNext) {
  const Camera a{0, 10, 20, 30, 40, 50, 0, 1.0};
  const Camera b{100, -10, 0, 0, 0, 0, 90, 3.0};
  EXPECT_TRUE(same(cameraFlyBlend(a, b, 0.0f), a));
  EXPECT_EQ(cameraFlyBlend(a, b, 0.5f).eyeX, 50);
  const double e = (1 - std::cos(0.25 * std::numbers::pi)) / 2;  // the ease at t = 1/4
  EXPECT_NEAR(cameraFlyBlend(a, b, 0.25f).angle, 90 * e, 1e-12);

  r().cameraList[3] = a;
  r().cameraList[4] = b;
  r().currentCameraNumber = 3;
  std::vector<double> zooms;
  ASSERT_TRUE(cameraFly([&] {
    EXPECT_EQ(r().flying, 1);
    zooms.push_back(r().currentCamera.zoom);
  }));
  ASSERT_EQ(zooms.size() / 2, 50u);  // about 100 frames
  EXPECT_EQ(zooms[0], 1.0);
  EXPECT_LT(zooms[1], 1.001);  // slow start
  EXPECT_TRUE(std::is_sorted(zooms.begin(), zooms.end()));
  EXPECT_TRUE(same(r().currentCamera, b));  // ends exactly on B
  EXPECT_EQ(r().currentCameraNumber, 4);
  EXPECT_EQ(r().flying, 0);

  r().currentCameraNumber = 254;  // no entry 255 to fly to
  EXPECT_FALSE(cameraFly([] { FAIL(); }));
}

TEST_F(RenderSettingsTest, WriterTruncatesAndReaderScalesZoom) {
  ASSERT_TRUE(scene::newScene());
  sceneAt(1).fogRed = -5;
  sceneAt(1).fogEnd = 1000;
  r().cameraList[0] = Camera{12.7, -3.9, 1e12, -1e12, NAN, 0.5, 359.99, 1.5};
  r().cameraList[1].zoom = 0.999;
  const std::string text = writeRenderSettings();
  const std::string start =
      "255,255,255,240,255,-5,0,0,250,1000,\ncamera_\n"
      "96,12,-3,2147483647,-2147483648,0,0,359,\n63,0,";
  EXPECT_EQ(text.substr(0, start.size()), start);

  resetRenderSettings();
  read(text);
  EXPECT_EQ(writeRenderSettings(), text);
  EXPECT_EQ(r().currentCamera.zoom, 1.5);
}

TEST_F(RenderSettingsTest, ReaderNeverTakesCameraLinesAsFog) {
  // One scene in the file, three in use: scenes 1 and 2 keep their fog.
  ASSERT_TRUE(scene::newScene());
  ASSERT_TRUE(scene::newScene());
  read("1,2,3,4,5,\ncamera_\n128,1,2,3,4,5,6,7,\n64,0,0,0,0,0,100,0,\n");
  EXPECT_EQ(sceneAt(0).fogEnd, 5);
  EXPECT_EQ(sceneAt(1).fogRed + sceneAt(2).fogStart, 250);
  EXPECT_EQ(r().currentCamera.zoom, 2.0);
  EXPECT_EQ(r().currentCamera.angle, 7);

  // CR LF, blanks, a short camera line that must not borrow from the next one.
  read("1, 2,3,4,5,\r\n6,7\r\ncamera_\r\n64, 9,8\r\n192,1,1,1,1,1,1,1,\r\n");
  EXPECT_EQ(sceneAt(1).fogGreen, 7);
  EXPECT_EQ(sceneAt(1).fogBlue, 0);  // not in the text: kept
  EXPECT_EQ(r().cameraList[0].eyeY, 8);
  EXPECT_EQ(r().cameraList[0].eyeZ, 3);  // kept from the previous text
  EXPECT_EQ(r().cameraList[1].zoom, 3.0);

  // Without "camera_" only fog is read; broken texts end where their text ends.
  read("9,9,9,9,9");
  EXPECT_EQ(sceneAt(0).fogEnd, 9);
  EXPECT_EQ(r().cameraList[1].zoom, 3.0);
  for (const char* t : {"", "camera_", "x,,-,\ncamera_\n-", "1,2,3,4,5,6,7,8,9,10,11,12,13,14"})
    read(t);
  EXPECT_EQ(sceneAt(2).fogStart, 14);
  EXPECT_EQ(sceneAt(2).fogEnd, 254);
  EXPECT_EQ(r().cameraList[0].zoom, 0.0);
}

TEST_F(RenderSettingsTest, FilesByPath) {
  const std::string base = (std::filesystem::temp_directory_path() / "vandrel_rs_test").string();
  std::string error;
  r().cameraList[2].targetY = 33;
  ASSERT_TRUE(saveRenderSettingsFile(base, &error)) << error;  // ".vrs" appended
  resetRenderSettings();
  ASSERT_TRUE(loadRenderSettingsFile(base + ".vrs", &error));
  EXPECT_FALSE(loadRenderSettingsFile(base + ".missing", &error) || error.empty());
  EXPECT_EQ(r().cameraList[2].targetY, 33);
  std::filesystem::remove(base + ".vrs");
}

}  // namespace
}  // namespace vandrel::render
