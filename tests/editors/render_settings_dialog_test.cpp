#include "editor/render/render_settings_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "dialog_fixture.h"
#include "pack/document.h"
#include "platform/os/status_line.h"
#include "platform/ui/cursors.h"
#include "platform/ui/prompts.h"
#include "platform/ui/tool_windows.h"
#include "render/device_setup.h"
#include "render/render_settings.h"
#include "scene/scene_store.h"

namespace vandrel::render {
namespace {

using D = RenderSettingsDialog;

// Counts how often show-now repaints it.
struct ShownWindow : QWidget {
  int paints = 0;
  void paintEvent(QPaintEvent*) override { ++paints; }
};

class RenderSettingsDialogTest : public test::DialogTest<RenderSettingsDialog> {
 protected:
  void TearDown() override {
    dialog.reset();
    releaseDevice();
    ui::forgetShowNowWindows();
    DialogTest::TearDown();
  }
  void typeCamera(const char* text) { type(D::kCameraNumber, text); }
  void chooseSize(int index) {  // the user picks an entry of "RTsize", the same one or another
    auto* list = static_cast<QComboBox*>(dialog->control(D::kRenderTargetSize));
    list->setCurrentIndex(index);
    Q_EMIT list->activated(index);
  }
  std::uint32_t swatchShows() { return DialogTest::swatchShows(D::kFogSwatch); }
  static scene::Scene& fog() { return scene::currentSceneRecord(); }
  static RenderSettings& r() { return renderSettings; }
};

TEST_F(RenderSettingsDialogTest, ShowsChangesMadeElsewhereOnRefreshAndMouseMoves) {
  std::vector<int> shown;
  for (int id : {D::kFogRed, D::kFogGreen, D::kFogBlue, D::kFogStart, D::kFogEnd, D::kZoom, D::kQuality})
    shown.push_back(dialog->trackbarPos(id));
  EXPECT_EQ(shown, (std::vector<int>{255, 255, 255, 240, 255, 64, 128}));
  EXPECT_EQ(dialog->itemText(D::kRenderTargetSize, dialog->selection(D::kRenderTargetSize)), "32");
  EXPECT_EQ(dialog->itemText(D::kRenderTargetSize, 4), "512");
  // Ctrl+wheel in the 3D view and the pack loader refresh through the hook.
  r().currentCamera.zoom = 1.5;
  r().quality = 7;
  fog().fogBlue = 0;
  renderSettingsHooks.refresh();
  EXPECT_EQ(dialog->trackbarPos(D::kZoom) + dialog->trackbarPos(D::kQuality), 96 + 128);
  EXPECT_EQ(swatchShows(), 0xFFFF00u);

  ui::registerToolWindow({dialog.get(), dialog.get(), ui::kFocusRenderSettings, ui::kSlotRenderSettings});
  fog().fogRed = 0;  // changed behind the dialog's back: shows when the mouse moves over it
  QWidget* over = dialog->control(D::kZoom);
  QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), over->mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(over, &move);
  EXPECT_EQ(swatchShows(), 0x00FF00u);
  EXPECT_EQ(ui::shellFlags.activeToolCode, ui::kFocusRenderSettings);
}

TEST_F(RenderSettingsDialogTest, TrackbarsAndChooserStoreTheFogAndPureRedShowsRed) {
  const int ids[] = {D::kFogRed, D::kFogGreen, D::kFogBlue, D::kFogStart, D::kFogEnd, D::kZoom};
  for (int i = 0; i < 6; ++i) dialog->setTrackbarPos(ids[i], 16 * (i + 1));
  QTest::keyClick(dialog->control(D::kQuality), Qt::Key_Right);
  EXPECT_EQ(fog().fogRed * 1000000 + fog().fogGreen * 1000 + fog().fogBlue, 16032048);
  EXPECT_EQ(fog().fogStart * 1000 + fog().fogEnd, 64080);
  EXPECT_EQ(r().currentCamera.zoom + r().cameraList[0].zoom, 1.5 + 1.0);  // the list stays
  EXPECT_EQ(r().quality, 129);
  EXPECT_EQ(swatchShows(), 0x102030u);

  prompts.colours = {std::nullopt, 0xFF0000u};
  click(D::kFogSwatch);  // cancelled
  EXPECT_EQ(fog().fogGreen, 32);
  click(D::kFogSwatch);
  EXPECT_EQ(fog().fogRed * 1000000 + fog().fogGreen * 1000 + fog().fogBlue, 255000000);
  EXPECT_EQ(dialog->trackbarPos(D::kFogRed), 255);
  EXPECT_EQ(swatchShows(), 0xFF0000u);
}

// Each step and take says in the status bar what it did to the view or the list.
TEST_F(RenderSettingsDialogTest, CameraButtonsLoadTheEntryEvenAtTheEndsAndSaySo) {
  std::vector<std::string> told;
  os::statusLine = [&told](const std::string& text) { told.push_back(text); };
  r().currentCamera.eyeX = 5;
  click(D::kPreviousCamera);
  EXPECT_EQ(r().currentCamera.eyeX + r().currentCameraNumber, 0);

  r().cameraList[3].eyeZ = 50;
  for (const char* bad : {"abc", "255", "-1"}) typeCamera(bad);
  EXPECT_EQ(dialog->text(D::kCameraNumber), "0");
  typeCamera("3");  // names the entry without loading it, so the view can be taken there
  EXPECT_EQ(r().currentCameraNumber + r().currentCamera.eyeZ, 3);
  r().currentCamera.eyeX = 12.7;
  click(D::kTakeCamera);
  r().currentCamera.eyeX = 99;
  click(D::kPreviousCamera);
  EXPECT_EQ(dialog->text(D::kCameraNumber), "2");
  click(D::kNextCamera);
  EXPECT_EQ(r().currentCamera.eyeX, 12.7);
  os::statusLine = nullptr;
  EXPECT_EQ(told, (std::vector<std::string>{"камера 0 загружена", "№: число от 0 до 254", "№: число от 0 до 254",
                                            "№: число от 0 до 254", "вид сохранён в камеру 3", "камера 2 загружена",
                                            "камера 3 загружена"}));
  for (int id : {D::kPreviousCamera, D::kNextCamera, D::kTakeCamera, D::kFly})
    EXPECT_FALSE(dialog->control(id)->toolTip().isEmpty()) << id;
  EXPECT_NE(dialog->control(D::kTakeCamera)->toolTip().indexOf("Сначала выберите номер"), -1);

  typeCamera("254");
  r().cameraList[254].eyeY = 7;
  click(D::kNextCamera);
  EXPECT_EQ(r().currentCameraNumber, 254);
  EXPECT_EQ(r().currentCamera.eyeY, 7);
}

TEST_F(RenderSettingsDialogTest, FlyShowsEveryFrameAsItIsDrawnAndEndsOnTheNextCamera) {
  ASSERT_TRUE(createDevice());
  ShownWindow view;
  view.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
  view.paints = 0;
  ui::registerShowNowWindow(&view);
  struct Frame {
    double eyeX;
    int flying, paintsBefore;
  };
  std::vector<Frame> frames;
  deviceSetup.device->setPresentHandler(
      [&](const std::uint32_t*, int, int) { frames.push_back({r().currentCamera.eyeX, r().flying, view.paints}); });
  r().cameraList[1] = Camera{100, 0, 0, 0, 0, 100, 0, 2.0};
  click(D::kFly);

  ASSERT_GE(frames.size(), 99u);
  ASSERT_LE(frames.size(), 101u);
  EXPECT_EQ(frames.front().eyeX, 0);
  EXPECT_NEAR(frames[frames.size() / 2].eyeX, 50, 2);
  EXPECT_GT(frames.back().eyeX, 99.9);
  for (std::size_t i = 0; i < frames.size(); ++i) {
    EXPECT_EQ(frames[i].flying, 1) << i;             // no idle frames in between
    EXPECT_EQ(frames[i].paintsBefore, int(i)) << i;  // each frame shown before the next one
  }
  EXPECT_EQ(r().currentCamera.eyeX, 100);
  EXPECT_EQ(dialog->text(D::kCameraNumber), "1");
  EXPECT_EQ(dialog->trackbarPos(D::kZoom), 128);

  typeCamera("254");
  frames.clear();
  click(D::kFly);  // no camera after the last one
  EXPECT_TRUE(frames.empty());
}

TEST_F(RenderSettingsDialogTest, RenderTargetIsRecreatedOnlyWhenTheSizeChanges) {
  ASSERT_TRUE(createDevice());
  const auto startTexture = deviceSetup.textures[kRenderTargetTexture];
  chooseSize(0);
  EXPECT_EQ(deviceSetup.textures[kRenderTargetTexture], startTexture);
  chooseSize(1);
  EXPECT_EQ(r().renderTargetSize, 64);
  EXPECT_EQ(deviceSetup.textures[kRenderTargetTexture]->edge(), 64);
  EXPECT_EQ(deviceSetup.textures[kRenderTargetTexture]->format(), gfx::D3DFMT_X8R8G8B8);
}

TEST_F(RenderSettingsDialogTest, FilesTruncateOnSaveAndFailuresChangeNothing) {
  r().cameraList[0].eyeX = 12.7;
  r().cameraList[0].zoom = 1.5;
  std::filesystem::create_directory(path("taken.vrs"));
  prompts.files = {path("views"), path("views.vrs"), path("missing.vrs"), path("taken.vrs")};
  click(D::kSave);
  EXPECT_EQ(slurp(path("views.vrs")).substr(0, 37), "255,255,255,240,255,\ncamera_\n96,12,0,");
  r().cameraList[0] = startupCamera();
  typeCamera("5");
  click(D::kLoad);
  EXPECT_EQ(r().currentCameraNumber, 0);
  EXPECT_EQ(r().currentCamera.eyeX, 12.0);
  EXPECT_EQ(dialog->trackbarPos(D::kZoom), 96);
  EXPECT_EQ(prompts.asked[0].text + prompts.asked[0].caption + prompts.asked[1].caption,
            "Vandrel render settings*.vrs*.vrs");

  typeCamera("5");
  click(D::kLoad);
  click(D::kSave);
  ASSERT_EQ(prompts.asked.size(), 6u);
  EXPECT_NE(prompts.asked[3].text.find(path("missing.vrs")), std::string::npos);
  EXPECT_NE(prompts.asked[5].text.find(path("taken.vrs")), std::string::npos);
  EXPECT_EQ(r().currentCameraNumber, 5);
  const auto entries = std::distance(std::filesystem::directory_iterator(dir_), {});
  EXPECT_EQ(entries, 2);  // views.vrs and the folder: no temporary file left behind
}

}  // namespace
}  // namespace vandrel::render
