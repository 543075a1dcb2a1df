#include "editor/texedit/texture_animation_dialog.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "dialog_fixture.h"
#include "platform/os/status_line.h"
#include "render/device_setup.h"
#include "render/frame.h"
#include "texedit/texture_animation.h"
#include "texgen/catalogue.h"
#include "texgen/dispatcher.h"
#include "texgen/editor_hooks.h"

namespace vandrel::texedit {
namespace {

using D = TextureAnimationDialog;
using texgen::Pixel;
using texgen::TextureSlot;
using texgen::textureStore;
using Entry = std::vector<int>;  // code, then parameters 1..n

// One record per frame shown (the preview's redraw), and the entries run.
struct Shown {
  render::TextureAnimationState published;
  double time;
  bool inputSeen;
};
std::vector<Shown> shown;
bool inputSeen = false;
int runs = 0;
void recordFrame() { shown.push_back({render::frameState.animation, textureAnimation.time, inputSeen}); }

class TextureAnimationTest : public test::DialogTest<D> {
 protected:
  void beforeDialog() override {
    texgen::textureHooks.redrawPreview = recordFrame;
    texgen::textureHooks.showRows = [](int) { ++runs; };
    shown.clear();
    inputSeen = false;
    runs = 0;
  }
  void TearDown() override {
    dialog.reset();
    render::releaseDevice();
    DialogTest::TearDown();
  }

  static void setLog(int slot, const std::vector<Entry>& entries) {
    TextureSlot& s = textureStore.slots[slot];
    for (std::size_t h = 1; h <= entries.size(); ++h) {
      s.log[h] = texgen::TextureOp{{entries[h - 1][0]}};
      for (std::size_t i = 1; i < entries[h - 1].size(); ++i) s.log[h].setParam(int(i), entries[h - 1][i]);
    }
    s.entryCount = static_cast<int>(entries.size()) + 1;
    if (slot == textureStore.currentSlot) textureStore.entryCount = s.entryCount;
  }
  static void setNoise(int slot, int count, int amplitude = 100) {
    setLog(slot, std::vector<Entry>(count - 1, Entry{texgen::kNoise, amplitude}));
  }
  static std::vector<Pixel> currentLayer() {
    const Pixel* p = texgen::layer(textureStore.entryCount);
    return {p, p + texgen::layerPixels()};
  }
  // The final image of a slot's log, replayed the editor's way.
  static std::vector<Pixel> replayed(int slot) {
    const int current = textureStore.currentSlot, count = textureStore.entryCount;
    textureStore.currentSlot = slot;
    textureStore.entryCount = textureStore.slots[slot].entryCount;
    texgen::replayCurrentSlot();
    std::vector<Pixel> image = currentLayer();
    textureStore.currentSlot = current;
    textureStore.entryCount = count;
    return image;
  }
  static bool same(const TextureSlot& a, const TextureSlot& b) { return std::memcmp(&a, &b, sizeof a) == 0; }
  static int scratchParam(int h, int i) { return textureStore.slots[kAnimationSlot].log[h].param(i); }

  void press(int id, int times) {
    for (int i = 0; i < times; ++i) click(id);
  }
  std::string text(int id) const { return dialog->text(id); }
};

TEST_F(TextureAnimationTest, FormulasTruncateTowardZeroAndHoldSinusToRange) {
  // Rounding would give 128, 228, 1 and 16.
  EXPECT_EQ(sinusParameter(256, 128, 100, 32, 0), 127);  // sin(6.28) is just below 0
  EXPECT_EQ(sinusParameter(0, 128, 100, 0, 64), 227);    // 227.99997
  EXPECT_EQ(morphParameter(1, 0, 255), 0);
  EXPECT_EQ(morphParameter(128, 10, 21), 15);
  int highest = 0, lowest = 255;
  for (int phase = 0; phase < 256; phase += 3)
    for (double t = 0; t <= 256; t += 16) {
      EXPECT_EQ(sinusParameter(t, 77, 0, 200, phase), 77);
      highest = std::max(highest, sinusParameter(t, 250, 20, 9, phase));
      lowest = std::min(lowest, sinusParameter(t, 5, 20, 9, phase));
    }
  EXPECT_EQ(highest, 255);
  EXPECT_EQ(lowest, 0);
  // Settings a file carried outside 0..255 act as the trackbars show them.
  EXPECT_EQ(sinusParameter(0, 128, 1000, 0, 64), sinusParameter(0, 128, 255, 0, 64));
}

// Depth count-1 recomputes every entry in every frame, so the last frame is the
// next slot's log; depth 1 keeps the first frame's layers below the last entry.
TEST_F(TextureAnimationTest, MorphDepthDecidesWhatTheLastFrameIsMadeOf) {
  setNoise(1, 4);
  const TextureSlot before = textureStore.slots[1];
  const Entry plasm{texgen::kPlasm, 10, 0, 30, 0}, twirl{texgen::kTwirl, 128, 128, 20, 200, 90};
  const Entry adjust{texgen::kAdjustColor, 255, 200, 128};
  setLog(2, {plasm, twirl, {texgen::kAdjustColor, 0, 10, 20}});
  setLog(3, {{texgen::kPlasm, 250, 90, 200, 40}, {texgen::kTwirl, 100, 90, 220, 60, 30}, adjust});
  setLog(4, {plasm, twirl, adjust});
  const std::vector<Pixel> allNew = replayed(3), lastNew = replayed(4);
  textureAnimation.referenceSlot = 2;
  textureAnimation.morphStages = 2;  // t = 0, 128, 256
  for (auto [depth, used, expectedRuns, image] : {std::tuple{9, 3, 9, &allNew}, {1, 1, 5, &lastNew}}) {
    textureAnimation.morphDepth = depth;
    runs = 0;
    ASSERT_TRUE(runMorph(recordFrame));
    EXPECT_EQ(textureAnimation.morphDepth, used);
    EXPECT_EQ(runs, expectedRuns) << depth;
    EXPECT_EQ(shown.back().published.referenceSlot, 2);
    EXPECT_TRUE(currentLayer() == *image) << depth;
    EXPECT_EQ(textureStore.slots[kAnimationSlot].entryCount, 4);
    // The slot being edited is as it was, and the renderer is back to idle.
    EXPECT_EQ(textureStore.currentSlot, 1);
    EXPECT_EQ(textureStore.entryCount, 4);
    EXPECT_TRUE(same(before, textureStore.slots[1]));
    EXPECT_EQ(render::frameState.animation.state, 0);
  }
}

TEST_F(TextureAnimationTest, SinusLastFrameIsTheLogOfItsComputedParameters) {
  setLog(1, {{texgen::kPlasm, 128, 128, 250, 5}, {texgen::kAdjustColor, 77, 128, 128}});
  SinusRowValues row{}, idle{};
  row.amplitude[0] = 100, row.frequency[0] = 32;  // 127.68
  row.amplitude[1] = 100, row.phase[1] = 64;      // 227.99997
  row.amplitude[2] = 20, row.phase[2] = 64;       // 270 -> 255
  row.amplitude[3] = 20, row.phase[3] = 192;      // -14.99 -> 0
  idle.frequency[0] = 200, idle.phase[0] = 99;    // amplitude 0: stays 77
  storeSinusRow(1, row);
  storeSinusRow(2, idle);
  ASSERT_TRUE(runSinus(recordFrame));
  EXPECT_EQ(shown.back().published.sinusSlot, 1);
  setLog(5, {{texgen::kPlasm, 127, 227, 255, 0}, {texgen::kAdjustColor, 77, 128, 128}});
  EXPECT_TRUE(currentLayer() == replayed(5));
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(scratchParam(1, i), textureStore.slots[5].log[1].param(i));
}

TEST_F(TextureAnimationTest, EntriesPastTheHundredRowsKeepTheirValues) {
  setNoise(1, 102);
  // Row 0 is not used; anything read past the rows would likely land on it.
  for (auto* table : {&sinusAnimation.amplitude, &sinusAnimation.frequency, &sinusAnimation.phase})
    for (int j = 1; j <= 7; ++j) (*table)[0][j] = 64, (*table)[kLastSinusRow][j] = 64;
  textureAnimation.sinusStages = 1;
  ASSERT_TRUE(runSinus(nullptr));
  EXPECT_EQ(scratchParam(99, 1), 163);  // 100 + sin(576 x 0.02453125) x 64 at t = 256
  EXPECT_EQ(scratchParam(100, 1), 100);
  EXPECT_EQ(scratchParam(101, 1), 100);
}

// The editor may have the scratch slot itself current: its log survives the run,
// and the sinus swings around the values it had when the run began.
TEST_F(TextureAnimationTest, ScratchSlotBeingEditedKeepsItsLog) {
  textureStore.currentSlot = kAnimationSlot;
  setNoise(kAnimationSlot, 2);
  const TextureSlot before = textureStore.slots[kAnimationSlot];
  sinusAnimation.amplitude[1][1] = 100;
  sinusAnimation.phase[1][1] = 64;  // +99.99 whatever t is
  std::vector<int> values;
  ASSERT_TRUE(runSinus([&] { values.push_back(texgen::currentSlot().log[1].param(1)); }));
  EXPECT_EQ(values, std::vector<int>(65, 199));
  EXPECT_TRUE(same(before, textureStore.slots[kAnimationSlot]));
}

// Frames reach the renderer through slot 254's texture, made again at the current
// slot's edge; the current slot's own texture is left alone.
TEST_F(TextureAnimationTest, FramesAreUploadedIntoTheScratchTexture) {
  ASSERT_TRUE(render::createDevice());
  setNoise(1, 2);
  textureStore.edgeSize = 64;
  click(D::kPlaySinus);
  const gfx::Texture& scratch = *render::deviceSetup.textures[kAnimationSlot];
  const gfx::Texture& own = *render::deviceSetup.textures[1];
  ASSERT_EQ(scratch.edge(), 64);
  EXPECT_TRUE(std::vector<Pixel>(scratch.pixels(), scratch.pixels() + 64 * 64) == currentLayer());
  EXPECT_EQ(std::count(own.pixels(), own.pixels() + 32 * 32, 0u), 32 * 32);
}

TEST_F(TextureAnimationTest, DialogStartsWithItsControlsAndStartValues) {
  EXPECT_EQ(dialog->windowTitle().toStdString(), "Анимация текстур");
  for (int id : {1, 2, 3, 1000, 1001, 1004}) EXPECT_NE(dialog->control(id), nullptr) << id;
  for (int id = 1016; id <= 1067; ++id) EXPECT_EQ(dialog->control(id) != nullptr, id < 1038 || id > 1044) << id;
  EXPECT_EQ(text(D::kMorphStages) + text(D::kSinusStages) + text(D::kReferenceSlot) + text(D::kMorphDepth) +
                text(D::kSinusDepth) + text(D::kCommandNumber),
            "64640111");
  EXPECT_EQ(text(D::paramLabelId(7)) + text(D::kFunction), "p7Функция");
}

// A run holds the program: nothing waiting (here a timer due at once) is
// processed until its last frame has been shown.
TEST_F(TextureAnimationTest, MorphPlayLeavesTheTimeAt255ForTheNextTrackbarMove) {
  setNoise(1, 3);
  setNoise(2, 3, 0);
  setNoise(3, 3, 255);
  press(D::kNextReference, 2);
  QTimer::singleShot(0, [] { inputSeen = true; });
  dialog->command(D::kPlayMorph);
  ASSERT_EQ(shown.size(), 65u);
  EXPECT_FALSE(shown.back().inputSeen);
  QCoreApplication::processEvents();
  EXPECT_TRUE(inputSeen);  // the probe itself works
  EXPECT_EQ(shown.back().published.state, kAnimationMorph);
  EXPECT_EQ(dialog->trackbarPos(D::kTime), 255);
  EXPECT_EQ(textureAnimation.time, 260.0);

  shown.clear();
  QTest::keyClick(dialog->control(D::kFirstPhase + 2), Qt::Key_Right);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].published.state, kAnimationMorphFrame);
  EXPECT_EQ(shown[0].time, 255.0);
  EXPECT_EQ(sinusAnimation.phase[1][3], 1);  // the moved trackbar went into row 1 first
  EXPECT_EQ(scratchParam(2, 1), 254);
  QTest::keyClick(dialog->control(D::kFirstPhase + 2), Qt::Key_Right);
  EXPECT_EQ(shown.size(), 1u);  // t is 255 now
  QTest::keyClick(dialog->control(D::kTime), Qt::Key_Left);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1].time, 254.0);
}

TEST_F(TextureAnimationTest, ReferenceSlotStopsAtItsEndsAndPlayPlusAdvances) {
  setNoise(1, 2);
  click(D::kPreviousReference);
  EXPECT_EQ(text(D::kReferenceSlot), "0");
  dialog->setText(D::kMorphStages, "1");
  textureAnimation.referenceSlot = 253;
  click(D::kPlayMorphAdvance);
  click(D::kPlayMorphAdvance);
  EXPECT_EQ(text(D::kReferenceSlot), "254");
  EXPECT_EQ(shown.size(), 4u);
  press(D::kNextReference, 3);
  EXPECT_EQ(text(D::kReferenceSlot), "255");
  const TextureSlot scratch = textureStore.slots[kAnimationSlot];
  click(D::kPlayMorphAdvance);  // slot 255 has no slot to blend to
  dialog->trackbarMoved(D::kTime);
  EXPECT_EQ(shown.size(), 4u);
  EXPECT_TRUE(same(scratch, textureStore.slots[kAnimationSlot]));
}

TEST_F(TextureAnimationTest, SteppersAndRunsWriteBackTheValuesUsed) {
  setNoise(1, 4);
  press(D::kMorphDeeper, 5);
  EXPECT_EQ(text(D::kMorphDepth), "3");
  press(D::kSinusShallower, 2);
  EXPECT_EQ(text(D::kSinusDepth), "1");
  dialog->setText(D::kSinusDepth, "9");
  dialog->setText(D::kSinusStages, "");
  click(D::kPlaySinus);
  EXPECT_EQ(text(D::kSinusDepth) + text(D::kSinusStages), "31");
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1].published.state, kAnimationSinus);
  dialog->setText(D::kMorphStages, "1000");
  click(D::kPlayMorph);
  EXPECT_EQ(text(D::kMorphStages), "256");
  EXPECT_EQ(shown.size(), 2u + 257u);
}

// What a run would use is kept from the box; the depth's range follows the log.
TEST_F(TextureAnimationTest, TypedStagesAndDepthsAreKeptOrRefusedWithTheirRange) {
  std::string told;
  os::statusLine = [&told](const std::string& text) { told = text; };
  setNoise(1, 4);
  type(D::kMorphStages, "100");
  EXPECT_EQ(textureAnimation.morphStages, 100);
  type(D::kSinusStages, "0");
  EXPECT_EQ(told, "стадий: число от 1 до 256");
  EXPECT_EQ(text(D::kSinusStages), "64");
  type(D::kSinusDepth, "4");
  EXPECT_EQ(told, "Глубина: число от 1 до 3");
  type(D::kSinusDepth, "3");
  EXPECT_EQ(textureAnimation.sinusDepth, 3);
  os::statusLine = nullptr;
}

TEST_F(TextureAnimationTest, CommandNumberShowsItsRowAndStopsAtTheLastRow) {
  setNoise(1, 150);
  textureStore.slots[1].log[2] = texgen::TextureOp{{texgen::kTwirl}};
  sinusAnimation.amplitude[2][1] = 17;
  sinusAnimation.phase[2][7] = 300;  // shown as a trackbar holds it
  click(D::kNextCommand);
  EXPECT_EQ(text(D::kCommandNumber), "2");
  EXPECT_EQ(dialog->trackbarPos(D::kFirstAmplitude), 17);
  EXPECT_EQ(dialog->trackbarPos(D::kFirstPhase + 6), 255);
  EXPECT_EQ(text(D::kFunction) + text(D::paramLabelId(5)) + text(D::paramLabelId(6)), "twirlрадиус");
  press(D::kNextCommand, 120);
  EXPECT_EQ(text(D::kCommandNumber), "99");
  press(D::kPreviousCommand, 120);
  EXPECT_EQ(text(D::kCommandNumber), "1");
  click(D::kErase);
  EXPECT_EQ(sinusAnimation.amplitude[2][1], 0);
}

TEST_F(TextureAnimationTest, SavesLoadsAndTellsWhichFileFailed) {
  setNoise(1, 2);
  sinusAnimation.amplitude[1][1] = 5;
  prompts.files.push_back(path("one"));
  click(D::kSave);
  EXPECT_EQ(slurp(path("one.sna")), "2;\n5,0,0,0,0,0,0,\n0,0,0,0,0,0,0,\n0,0,0,0,0,0,0,\n\n");
  EXPECT_EQ(prompts.asked.back().text, "Vandrel sinus animation");

  setNoise(1, 3);
  click(D::kNextCommand);
  sinusAnimation.amplitude[1][1] = 40;
  const std::string missing = path("gone/none.sna");
  prompts.files = {missing, missing};
  click(D::kSave);
  EXPECT_NE(prompts.asked.back().text.find(missing), std::string::npos);
  click(D::kLoad);
  EXPECT_EQ(prompts.asked[prompts.asked.size() - 2].text, "Vandrel Sinanim");
  EXPECT_NE(prompts.asked.back().text.find(missing), std::string::npos);
  EXPECT_EQ(sinusAnimation.amplitude[1][1], 40);
  EXPECT_EQ(text(D::kCommandNumber), "2");

  prompts.files.push_back(path("one.sna"));
  click(D::kLoad);
  EXPECT_EQ(dialog->trackbarPos(D::kFirstAmplitude), 5);
  EXPECT_EQ(text(D::kCommandNumber), "1");
}

TEST_F(TextureAnimationTest, TakesTheFocusCodeAndTogglesItsFoldFlag) {
  ui::registerToolWindow({dialog.get(), dialog.get(), ui::kFocusTextureAnimation, ui::kSlotTextureAnimation,
                          true, false});
  // Over a trackbar in the lower half: the move reaches the dialog through it.
  QWidget* over = dialog->control(D::kFirstPhase);
  QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), over->mapToGlobal(QPointF(3, 3)), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(over, &move);
  EXPECT_EQ(ui::shellFlags.activeToolCode, ui::kFocusTextureAnimation);
  click(D::kFold);
  EXPECT_TRUE(ui::toolWindowWithCode(ui::kFocusTextureAnimation)->foldFlag);
}

}  // namespace
}  // namespace vandrel::texedit
