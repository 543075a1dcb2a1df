#include "editor/texedit/texture_preview_window.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "dialog_fixture.h"
#include "platform/ui/commands.h"
#include "platform/ui/dialog.h"
#include "platform/ui/tool_windows.h"
#include "render/view_navigation.h"
#include "render/window_commands.h"
#include "texedit/preview_image.h"
#include "texgen/catalogue.h"
#include "texgen/editor_hooks.h"
#include "texgen/parameter_rows.h"
#include "texgen/texture_store.h"

namespace vandrel::texedit {
namespace {

constexpr int kW = 259, kH = 254;  // the client of the shell's 265 x 302 sub-window
constexpr int kFunctions = 1039;

// The texture editor as far as the preview sees it: the function list and commands.
struct EditorStandIn : ui::Dialog {
  EditorStandIn() {
    addList(kFunctions);
    for (int c = 0; c < texgen::kCatalogueEntries; ++c) addItem(kFunctions, texgen::operationName(c));
  }
  void command(int id) override { commands.push_back(id); }
  std::vector<int> commands;
};

struct Recorder : ui::CommandTarget {
  void command(int id) override { commands.push_back(id); }
  std::vector<int> commands;
};

// Every pixel different, alpha included.
std::uint32_t pattern(int row, int col) {
  return static_cast<std::uint32_t>(row ^ 0x5A) << 24 | row << 16 | col << 8 | 0x33;
}

// The documented picture, with each window pixel's texture position worked out
// on its own rather than stepped.
std::vector<std::uint32_t> expectedPicture(int Z, int panX, int panY, std::uint32_t outside) {
  const int S = texgen::textureStore.edgeSize;
  const texgen::Pixel* L = texgen::layer(texgen::textureStore.entryCount);
  std::vector<std::uint32_t> picture(kW * kH);
  for (int i = 0; i < kH; ++i)
    for (int j = 0; j < kW; ++j) {
      const double X = S / 2 - 0.0109375 * Z * kW * std::sin(0.785) - panX + j * (Z / 64.0);
      const double Y = S / 2 - 0.0109375 * Z * kH * std::cos(0.785) + panY + i * (Z / 64.0);
      const bool inside = X >= 0 && X < S && Y >= 0 && Y < S;
      picture[(kH - 1 - i) * kW + j] = inside ? L[int(Y) * S + int(X)] : outside;
    }
  return picture;
}

class PreviewTest : public test::DialogEnvironment<> {
 protected:
  void SetUp() override {
    DialogEnvironment::SetUp();
    ui::registerCommandTarget(ui::WindowId::textureEditor, &editor);
    ui::registerCommandTarget(ui::WindowId::frame, &frame);
    for (int r = 0; r < 32; ++r)
      for (int c = 0; c < 32; ++c) texgen::layer(1)[r * 32 + c] = pattern(r, c);
    preview = std::make_unique<TexturePreviewWindow>();
    preview->resize(kW, kH);
    preview->redraw();
  }
  void TearDown() override {
    preview.reset();
    ui::registerCommandTarget(ui::WindowId::textureEditor, nullptr);
    ui::registerCommandTarget(ui::WindowId::frame, nullptr);
    DialogEnvironment::TearDown();
  }

  void mouse(QEvent::Type type, int x, int y, Qt::MouseButton button, Qt::MouseButtons held,
             Qt::KeyboardModifiers m = Qt::NoModifier) {
    const QPointF p(x, y);
    QMouseEvent e(type, p, preview->mapToGlobal(p), button, held, m);
    QApplication::sendEvent(preview.get(), &e);
  }
  void drag(int x, int y, Qt::KeyboardModifiers m = Qt::NoModifier) {
    mouse(QEvent::MouseMove, x, y, Qt::NoButton, Qt::LeftButton, m);
  }
  void wheel(int delta) {
    const QPointF p(10, 10);
    QWheelEvent e(p, preview->mapToGlobal(p), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(preview.get(), &e);
  }
  // The bytes as stored: QImage::pixel would report any RGB32 pixel as opaque.
  std::uint32_t shown(int x, int y) const {
    return reinterpret_cast<const std::uint32_t*>(preview->image().constScanLine(y))[x];
  }

  EditorStandIn editor;
  Recorder frame;
  std::unique_ptr<TexturePreviewWindow> preview;
};

TEST_F(PreviewTest, PictureFollowsTheFormulaAtEveryZoomAndPan) {
  struct Case { int zoom, panX, panY, toggle, texturePixels; };
  // 1:1 shows every texture pixel once, zoom 128 every second one in each direction.
  for (const Case c : {Case{64, 0, 0, 0, 1024}, Case{64, 0, 0, 1, 1024}, Case{128, 0, 0, 0, 256},
                       Case{34, 20, -7, 0, -1}, Case{200, -3, 5, 1, -1}}) {
    previewState.zoom = c.zoom, previewState.panX = c.panX, previewState.panY = c.panY;
    previewState.outsideColourToggle = c.toggle;
    std::vector<std::uint32_t> picture(kW * kH);
    renderPreview(picture.data(), kW, kH);
    const std::uint32_t outside = c.toggle ? 0x00000000u : 0x80808080u;
    EXPECT_EQ(picture, expectedPicture(c.zoom, c.panX, c.panY, outside)) << c.zoom;
    if (c.texturePixels >= 0) {
      EXPECT_EQ(kW * kH - std::count(picture.begin(), picture.end(), outside), c.texturePixels);
    }
  }

  // 1:1 unpanned: the window's centre shows the texture's middle.
  resetPreviewState();
  preview->redraw();
  const std::uint32_t centre = shown(kW / 2, kH / 2);
  EXPECT_NEAR(centre >> 16 & 0xFF, 16, 2);
  EXPECT_NEAR(centre >> 8 & 0xFF, 16, 2);
  EXPECT_EQ(shown(0, 0), 0xFF808080u);

  // The window shows the same pixels, opaque, and paints them 1:1.
  std::vector<std::uint32_t> picture(kW * kH);
  renderPreview(picture.data(), kW, kH);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) ASSERT_EQ(shown(x, y), picture[y * kW + x] | 0xFF000000u) << x << "," << y;
  EXPECT_EQ(preview->grab().toImage().pixel(kW / 2, kH / 2), QRgb(centre));

  // The generator's redraw hook reaches the window until it is gone.
  texgen::layer(1)[16 * 32 + 16] = 0x00123456;
  ASSERT_TRUE(texgen::textureHooks.redrawPreview);
  texgen::textureHooks.redrawPreview();
  renderPreview(picture.data(), kW, kH);
  EXPECT_EQ(shown(kW / 2, kH / 2), picture[kH / 2 * kW + kW / 2] | 0xFF000000u);
  {
    // A newer preview takes the hook over; the older one going leaves it so.
    TexturePreviewWindow newer;
    preview.reset();
    EXPECT_TRUE(texgen::textureHooks.redrawPreview);
  }
  EXPECT_FALSE(texgen::textureHooks.redrawPreview);
}

TEST_F(PreviewTest, WheelAndKeysZoomToggleAndPickLayouts) {
  for (int turn = 0; turn < 3; ++turn) wheel(-120);
  EXPECT_EQ(previewState.zoom, 34);
  previewState.zoom = 4;
  wheel(-120);
  EXPECT_EQ(previewState.zoom, 255);
  previewState.zoom = 254;
  wheel(120);
  EXPECT_EQ(previewState.zoom, 0);
  QTest::keyClick(preview.get(), Qt::Key_1);
  EXPECT_EQ(previewState.zoom, 64);

  QTest::keyClick(preview.get(), Qt::Key_W);
  EXPECT_EQ(shown(0, 0), 0xFF000000u);  // redrawn with the black surround
  QTest::keyClick(preview.get(), Qt::Key_W);
  EXPECT_EQ(shown(0, 0), 0xFF808080u);

  ui::shellFlags.layoutIndex = 3;
  QTest::keyClick(preview.get(), Qt::Key_Tab);
  EXPECT_EQ(ui::shellFlags.layoutIndex, 4);
  QTest::keyClick(preview.get(), Qt::Key_Tab);
  EXPECT_EQ(ui::shellFlags.layoutIndex, 0);
  QTest::keyClick(preview.get(), Qt::Key_F4);
  EXPECT_EQ(ui::shellFlags.layoutIndex, 3);
  EXPECT_EQ(frame.commands, (std::vector<int>{render::kReadLayout, render::kReadLayout, render::kReadLayout}));

  mouse(QEvent::MouseButtonDblClick, 5, 5, Qt::LeftButton, Qt::LeftButton);
  EXPECT_EQ(editor.commands, std::vector<int>{1035});
}

TEST_F(PreviewTest, SpaceDragPansTheImageAndReleaseKeepsIt) {
  const std::uint32_t before = shown(120, 130);
  ASSERT_NE(before, 0xFF808080u);  // a texture pixel
  QTest::keyPress(preview.get(), Qt::Key_Space);
  EXPECT_EQ(render::viewState.cursorMode, 1);
  mouse(QEvent::MouseButtonPress, 100, 100, Qt::LeftButton, Qt::LeftButton);
  drag(130, 110);
  EXPECT_EQ(shown(150, 140), before);  // moved right by 30 and down by 10
  mouse(QEvent::MouseButtonRelease, 130, 110, Qt::LeftButton, Qt::NoButton);
  QTest::keyRelease(preview.get(), Qt::Key_Space);
  EXPECT_EQ(render::viewState.cursorMode, 0);
  mouse(QEvent::MouseMove, 10, 10, Qt::NoButton, Qt::NoButton);
  EXPECT_EQ(shown(150, 140), before);
  EXPECT_EQ(previewState.panX, 30);
  EXPECT_EQ(previewState.panY, 10);
  EXPECT_EQ(previewState.dragging, 0);
}

TEST_F(PreviewTest, LeftDragPlacesPositionTakingFunctionsOnly) {
  texgen::ParameterRows& rows = *texgen::textureHooks.rows;
  const std::uint32_t red = 0x00FF0000;
  for (auto [row, value] : {std::pair{3, 40}, {4, 255}, {5, 0}, {6, 0}}) rows.setPosition(row, value);
  editor.setSelection(kFunctions, texgen::kCircle);
  for (auto [x, y] : {std::pair{120, 130}, {140, 118}}) {
    drag(x, y);
    EXPECT_EQ(shown(x, y), 0xFF000000u | red) << x;  // the circle sits under the mouse
    const int px = texgen::catalogue.records[texgen::kCircle].values[0];
    const int py = texgen::catalogue.records[texgen::kCircle].values[1];
    EXPECT_EQ(rows.position(1), px);
    EXPECT_EQ(rows.position(2), py);
  }
  EXPECT_NE(shown(120, 130), 0xFF000000u | red);  // it moved with the mouse

  // Beyond the texture the parameters stop at its edges.
  drag(0, kH - 1);
  EXPECT_EQ(rows.position(1), 0);
  EXPECT_EQ(rows.position(2), 0);
  drag(kW - 1, 0);
  EXPECT_EQ(rows.position(1), 255);
  EXPECT_EQ(rows.position(2), 255);

  // Blur, a modifier key, the armed pan or zoom 0: nothing placed, nothing run.
  const std::vector<texgen::Pixel> layer(texgen::layer(1), texgen::layer(1) + 32 * 32);
  const texgen::OperationRecord blur = texgen::catalogue.records[texgen::kBlur];
  auto untouched = [&] {
    EXPECT_EQ(rows.position(1), 255);
    EXPECT_EQ(std::vector<texgen::Pixel>(texgen::layer(1), texgen::layer(1) + 32 * 32), layer);
  };
  drag(120, 130, Qt::ShiftModifier);
  untouched();
  editor.setSelection(kFunctions, texgen::kBlur);
  drag(120, 130);
  untouched();
  EXPECT_EQ(texgen::catalogue.records[texgen::kBlur].values[0], blur.values[0]);
  EXPECT_EQ(texgen::catalogue.records[texgen::kBlur].values[1], blur.values[1]);
  editor.setSelection(kFunctions, texgen::kCircle);
  previewState.panArmed = 1;
  drag(120, 130);
  untouched();
  previewState.panArmed = 0;
  previewState.zoom = 0;
  drag(120, 130);  // would divide by zero
  untouched();
}

TEST(PreviewMapping, IntegerArithmeticTruncatesTowardZero) {
  const pack::Document document;
  previewState.width = kW, previewState.height = kH;
  int px = -1, py = -1;
  // S 32, Z 64: h = 16; px = (x - 113) * 8, py = (111 - y) * 8 + 255.
  ASSERT_TRUE(parametersAt(120, 130, &px, &py));
  EXPECT_EQ(px, 56);
  EXPECT_EQ(py, 103);
  // Z 100, pan x -5: h = 10; at x 118, (-1 * 100) / 64 is -1, not -2: (-1 + 5) * 8.
  previewState.zoom = 100, previewState.panX = -5;
  ASSERT_TRUE(parametersAt(118, 200, &px, &py));
  EXPECT_EQ(px, 32);
  // S 512, Z 64: h = 256; at y 0, -129 * 256 / 512 is -64, not -65: 255 - 64.
  texgen::textureStore.edgeSize = 512;
  previewState.zoom = 64, previewState.panX = 0;
  ASSERT_TRUE(parametersAt(0, 0, &px, &py));
  EXPECT_EQ(px, 63);
  EXPECT_EQ(py, 191);
  previewState.zoom = 0;
  EXPECT_FALSE(parametersAt(0, 0, &px, &py));
}

}  // namespace
}  // namespace vandrel::texedit
