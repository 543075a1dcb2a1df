// The main loop's pace, what happens to input while a camera fly draws, and the
// language of Qt's own dialogs.
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include "render/device_setup.h"
#include "render/frame.h"
#include "render/render_settings.h"
#include "editor/render/render_settings_dialog.h"
#include "shell/editor_fixture.h"
#include "editor/shell/frame_pacing.h"

namespace vandrel::shell::test {
namespace {

// Counts the frames presented from now on.
int* countFrames() {
  static int frames;
  frames = 0;
  render::deviceSetup.device->setPresentHandler([](const std::uint32_t*, int, int) { ++frames; });
  return &frames;
}

TEST_F(EditorTest, TheLoopDrawsNoMoreThanTheDisplayShowsAndEndsWhenTheFrameCloses) {
  ASSERT_TRUE(start());
  const int* frames = countFrames();
  int framesDuringPrompt = -1;
  QTimer::singleShot(100, editor.frame, [&] {
    const int before = *frames;
    QEventLoop prompt;  // what a message box runs inside the command that asked
    QTimer::singleShot(150, &prompt, &QEventLoop::quit);
    prompt.exec();
    framesDuringPrompt = *frames - before;
  });
  QTimer::singleShot(500, editor.frame, [] { editor.frame->close(); });
  QElapsedTimer clock;
  clock.start();
  runMainLoop();
  const double refreshes = clock.elapsed() / 1000.0 * editor.frame->screen()->refreshRate();
  EXPECT_TRUE(editor.frame->quitRequested());
  EXPECT_LE(*frames, refreshes + 1);
  EXPECT_GE(*frames, 5);  // and it does draw
  EXPECT_EQ(framesDuringPrompt, 0);
}

TEST_F(EditorTest, InputDuringAFlyIsDroppedAndEscapeLandsItAtOnce) {
  ASSERT_TRUE(start());
  auto* settings = dynamic_cast<render::RenderSettingsDialog*>(ui::commandTarget(ui::WindowId::renderSettings));
  ASSERT_NE(settings, nullptr);
  auto* fly = static_cast<QPushButton*>(settings->control(render::RenderSettingsDialog::kFly));
  render::RenderSettings& r = render::renderSettings;
  r.cameraList[1].eyeX = 300;
  r.cameraList[2].eyeX = 600;
  int* frames = countFrames();
  auto post = [](QObject* to, QEvent* event) { QCoreApplication::postEvent(to, event); };

  // A second click that reaches the program while the first one's fly draws.
  const QPointF inside(fly->rect().center());
  post(fly, new QMouseEvent(QEvent::MouseButtonPress, inside, fly->mapToGlobal(inside), Qt::LeftButton,
                            Qt::LeftButton, Qt::NoModifier));
  post(fly, new QMouseEvent(QEvent::MouseButtonRelease, inside, fly->mapToGlobal(inside), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier));
  QTest::mouseClick(fly, Qt::LeftButton);
  QCoreApplication::processEvents();
  EXPECT_EQ(r.currentCameraNumber, 1);
  EXPECT_GE(*frames, 99);

  *frames = 0;
  post(editor.view, new QKeyEvent(QEvent::KeyPress, Qt::Key_W, Qt::NoModifier));  // dropped, not a view key
  post(editor.view, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
  const int wireframe = render::frameState.view.wireframe;
  QTest::mouseClick(fly, Qt::LeftButton);
  QCoreApplication::processEvents();
  EXPECT_EQ(*frames, 1);
  EXPECT_EQ(r.currentCameraNumber, 2);
  EXPECT_EQ(r.currentCamera.eyeX, 600);
  EXPECT_EQ(r.flying, 0);
  EXPECT_EQ(render::frameState.view.wireframe, wireframe);
  EXPECT_EQ(settings->text(render::RenderSettingsDialog::kCameraNumber), "2");
}

// One core draws while it keeps every second refresh; slower scenes are shared
// out, and a one-core trial now and then finds out when they got lighter.
TEST(FramePacing, OneCoreUntilAFrameMissesTwoRefreshes) {
  FramePacing pacing(16, 2);
  for (int i = 0; i < 50; ++i) pacing.frameTook(i == 20 ? 90 : 30);  // one slow frame decides nothing
  EXPECT_FALSE(pacing.shareNextFrame());
  for (int i = 0; i < 8; ++i) pacing.frameTook(40);
  EXPECT_TRUE(pacing.shareNextFrame());
  int shared = 0;
  while (pacing.shareNextFrame() && shared < 1000) pacing.frameTook(20), ++shared;
  EXPECT_EQ(shared, 120);
  pacing.frameTook(45);  // the trial: still too slow for one core
  EXPECT_TRUE(pacing.shareNextFrame());
  while (pacing.shareNextFrame()) pacing.frameTook(20);
  pacing.frameTook(25);
  EXPECT_FALSE(pacing.shareNextFrame());

  FramePacing oneCore(16, 1);
  for (int i = 0; i < 20; ++i) oneCore.frameTook(100);
  EXPECT_FALSE(oneCore.shareNextFrame());
}

TEST(QtTranslations, MessageBoxesAndSystemDialogsSpeakRussian) {
  ASSERT_TRUE(loadQtTranslations())
      << "Qt's Russian translations (qtbase_ru.qm) are missing: scripts/setup.sh installs qt6-translations-l10n";
  QMessageBox box;
  box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  EXPECT_EQ(box.button(QMessageBox::Yes)->text().remove('&'), "Да");
  EXPECT_EQ(box.button(QMessageBox::No)->text().remove('&'), "Нет");
  EXPECT_EQ(box.button(QMessageBox::Cancel)->text().remove('&'), "Отмена");
  // The other window tests expect Qt's own texts.
  for (QTranslator* translator : QCoreApplication::instance()->findChildren<QTranslator*>()) {
    QCoreApplication::removeTranslator(translator);
    delete translator;
  }
}

}  // namespace
}  // namespace vandrel::shell::test
