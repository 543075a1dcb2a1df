#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMdiArea>
#include <QMenuBar>
#include <QWindow>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStatusBar>
#include <QTest>

#include <QScreen>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>

#include "pack/complex_pack.h"
#include "render/frame.h"
#include "render/view_navigation.h"
#include "scene/scene_store.h"
#include "scene/undo.h"
#include "shell/editor_fixture.h"
#include "editor/scene/scenes_dialog.h"
#include "editor/shell/help_window.h"
#include "editor/shell/pack_commands.h"

namespace vandrel::shell::test {
namespace {

// The caption as the window manager shows it, with Qt's unsaved mark filled in.
QString shownTitle() { return editor.frame->windowHandle()->title(); }

TEST_F(EditorTest, StartsInOrderWithSnapshotOneLayoutOneAndTheHelpHidden) {
  writeLayoutFile(0, {300, 40, 1100, 640});
  ASSERT_TRUE(start());
  EXPECT_EQ(scene::undoCounter, 1);
  EXPECT_EQ(viewWindow()->geometry(), QRect(300, 40, 800, 800 * 505 / 640));  // the view keeps its aspect
  EXPECT_FALSE(editor.helpWindow->isVisible());
  EXPECT_EQ(shownTitle(), "VandreL v.2.3");
  EXPECT_TRUE(editor.frame->isMaximized());  // title bar and close button on screen
  EXPECT_TRUE(editor.frame->action(kAutoFocusOn)->isChecked());
  EXPECT_TRUE(editor.frame->action(kFoldingWindows)->isChecked());
  EXPECT_TRUE(editor.frame->action(kAutoSwitch)->isChecked());
  EXPECT_FALSE(editor.frame->action(kAutoFocusOff)->isChecked());
  EXPECT_TRUE(prompts.asked.empty());
}

TEST_F(EditorTest, ADeviceThatCannotBeCreatedIsReportedOnceAndStartUpEnds) {
  EXPECT_FALSE(start({std::nullopt, [] { return false; }}));
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].text, "Ошибка инициализации Direct3D9");
  EXPECT_EQ(prompts.asked[0].caption, "VE9RUDOZI");
  EXPECT_EQ(scene::undoCounter, 1);  // start-up still completed
}

TEST_F(EditorTest, TabCyclesTheFiveLayoutsAndFunctionKeysPickOne) {
  for (int i = 0; i < 5; ++i) writeLayoutFile(i, {100 + 10 * i, 0, 740 + 10 * i, 480});
  ASSERT_TRUE(start());
  for (int i = 1; i <= 5; ++i) {
    QTest::keyClick(editor.frame, Qt::Key_Tab);
    EXPECT_EQ(ui::shellFlags.layoutIndex, i % 5);
    EXPECT_EQ(viewWindow()->x(), 100 + 10 * (i % 5));
  }
  QTest::keyClick(editor.frame, Qt::Key_F3);
  EXPECT_EQ(ui::shellFlags.layoutIndex, 2);
  EXPECT_EQ(viewWindow()->x(), 120);
  // "Записать раскладку" now overwrites winpos3.vwp.
  viewWindow()->move(50, 60);
  editor.frame->command(kWriteLayout);
  ui::WindowLayout stored{};
  ASSERT_TRUE(readLayoutFile(path("winpos3.vwp"), &stored));
  EXPECT_EQ(stored.rects[ui::kSlotView].left, 50);
  EXPECT_EQ(stored.rects[ui::kSlotView].top, 60);
  EXPECT_EQ(stored.rects[3].right, 0);
}

TEST_F(EditorTest, LayoutKeysLeaveTheKeysWithTheActiveWindowAndTellAMissingLayout) {
  writeLayoutFile(1, {100, 0, 740, 480});
  ASSERT_TRUE(start());
  const QStatusBar* status = editor.frame->statusBar();
  QTest::keyClick(editor.view, Qt::Key_F3);
  EXPECT_EQ(status->currentMessage(), "раскладка 3 не записана");
  EXPECT_EQ(editor.frame->focusWidget(), editor.view);
  QTest::keyClick(editor.preview, Qt::Key_Tab);
  EXPECT_EQ(status->currentMessage(), "раскладка 4 не записана");
  EXPECT_EQ(editor.frame->focusWidget(), editor.view);  // the 3D view is still the active tool
  QTest::keyClick(editor.frame, Qt::Key_F2);
  EXPECT_EQ(status->currentMessage(), "");
  EXPECT_EQ(viewWindow()->x(), 100);
  EXPECT_EQ(editor.frame->focusWidget(), editor.view);
  // A dialog that had the keys gets them back after the menu command too.
  ui::takeFocusOnMouseMove(ui::kFocusScenes);
  editor.frame->action(kReadLayout)->trigger();
  EXPECT_EQ(editor.frame->focusWidget(), ui::toolWindowWithCode(ui::kFocusScenes)->focus);
}

TEST_F(EditorTest, AFoldedDialogOpensWhenTheMouseIsOnItsCaption) {
  ASSERT_TRUE(start());
  QMdiSubWindow* textures = subWindow(ui::kSlotTextureEditor);
  ASSERT_EQ(textures->height(), ui::kFoldHeight);
  // Along the title bar, above the dialog (two points: a move to where the
  // pointer already is is no move at all).
  for (int x : {textures->width() / 2, textures->width() / 2 + 1}) QTest::mouseMove(textures, QPoint(x, 6));
  EXPECT_EQ(ui::shellFlags.activeToolCode, ui::kFocusTextureEditor);
  EXPECT_GT(textures->height(), ui::kFoldHeight);
}

TEST_F(EditorTest, LayoutsSkipWhatTheyCannotApply) {
  ASSERT_TRUE(start());
  const QRect before = viewWindow()->geometry();
  ui::shellFlags.layoutIndex = 3;
  editor.frame->command(kReadLayout);  // no winpos4.vwp: nothing changes
  EXPECT_EQ(viewWindow()->geometry(), before);
  writeLayoutFile(3, {10, 10, 15, 12});  // smaller than a title bar
  editor.frame->command(kReadLayout);
  EXPECT_EQ(viewWindow()->geometry(), before);
  writeLayoutFile(3, {-5000, 0, -4000, 480});  // wholly outside the frame's area
  editor.frame->command(kReadLayout);
  EXPECT_EQ(viewWindow()->geometry(), before);
  // A short file fills only what it holds: the preview's rectangle, not the view's.
  ui::WindowLayout layout{};
  layout.rects[ui::kSlotPreview] = {5, 5, 300, 300};
  file("winpos4.vwp", layoutBytes(layout).substr(0, 16));
  editor.frame->command(kReadLayout);
  EXPECT_EQ(subWindow(ui::kSlotPreview)->geometry(), QRect(5, 5, 295, 295));
  EXPECT_EQ(viewWindow()->geometry(), before);
}

// Layout and pack files are anybody's to edit: rectangles and fog values of any
// size start the editor cleanly (this runs in the sanitizer build too), and every
// window, folded or not, stays within reach of the frame.
TEST_F(EditorTest, StartsCleanOnAHostileLayoutAndPack) {
  ui::WindowLayout layout{};
  for (ui::LayoutRect& r : layout.rects) r = {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
  layout.rects[ui::kSlotScenes] = {INT32_MAX, 0, INT32_MIN, 50};
  layout.rects[ui::kSlotView] = {0, 0, 1'000'000'000, 1'000'000'000};
  file("winpos1.vwp", layoutBytes(layout));
  std::string pack = slurp(VANDREL_SOURCE_DIR "/examples/demo.vsc");
  const std::string fog = "section:rendersettings_\n40,50,80,24,75,";
  pack.replace(pack.find(fog), fog.size(),
               "section:rendersettings_\n2147483647,-2147483648,2147483647,-2147483648,2147483647,");
  EditorOptions options;
  options.pack = file("hostile.vsc", pack);
  ASSERT_TRUE(start(options));
  EXPECT_EQ(scene::sceneStore.scenes[0].fogRed, INT32_MAX);
  idleFrame();
  const QSize room = editor.frame->area()->size().expandedTo(editor.frame->screen()->availableSize());
  auto withinReach = [&room](const char* when) {
    for (int slot : {0, 1, 2, 4, 5, 6, 7, 8, 10}) {
      const QWidget* w = ui::toolWindowInSlot(slot)->window;
      EXPECT_LE(w->width(), room.width()) << when << " slot " << slot;
      EXPECT_LE(w->height(), room.height()) << when << " slot " << slot;
      EXPECT_LT(std::abs(w->x()), 2 * room.width()) << when << " slot " << slot;
      EXPECT_LT(std::abs(w->y()), 2 * room.height()) << when << " slot " << slot;
    }
  };
  withinReach("read");
  ui::shellFlags.activeToolCode = ui::kFocusScenes;
  ui::foldHelper();
  withinReach("folded");
  ui::unfoldAll();
  withinReach("unfolded");
}

TEST_F(EditorTest, AFoldedDialogIsStoredAtItsFullSize) {
  ASSERT_TRUE(start());
  QWidget dialog;
  QMdiSubWindow* scenes = editor.frame->addWindow(&dialog);
  ui::registerToolWindow({scenes, &dialog, ui::kFocusScenes, ui::kSlotScenes, true, false});
  ui::WindowLayout layout{};
  layout.rects[ui::kSlotScenes] = {700, 100, 1000, 600};
  file("winpos1.vwp", layoutBytes(layout));
  editor.frame->command(kReadLayout);
  ui::takeFocusOnMouseMove(ui::kFocusFrame);
  EXPECT_EQ(scenes->height(), ui::kFoldHeight);
  editor.frame->command(kWriteLayout);
  ui::WindowLayout stored{};
  ASSERT_TRUE(readLayoutFile(path("winpos1.vwp"), &stored));
  EXPECT_EQ(stored.rects[ui::kSlotScenes].bottom - stored.rects[ui::kSlotScenes].top, 500);
  scenes->setWidget(nullptr);
}

TEST_F(EditorTest, SavingAsksForANameOnceThenKeepsIt) {
  ASSERT_TRUE(start());
  QTest::keyClick(editor.frame, Qt::Key_S);  // without Ctrl: nothing
  EXPECT_TRUE(prompts.asked.empty());
  prompts.files = {path("work")};
  QTest::keyClick(editor.frame, Qt::Key_S, Qt::ControlModifier);
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].kind, "save");
  EXPECT_EQ(prompts.asked[0].text, "Vandrel complex pack");
  EXPECT_TRUE(exists("work.vsc"));
  EXPECT_EQ(shownTitle(), "work.vsc — VandreL");
  EXPECT_EQ(editor.frame->statusBar()->currentMessage().toStdString(), "Пакет записан: " + path("work.vsc"));
  std::remove(path("work.vsc").c_str());
  editor.frame->command(kSavePack);
  EXPECT_EQ(prompts.asked.size(), 1u);
  EXPECT_TRUE(exists("work.vsc"));
  EXPECT_FALSE(workUnsaved());
}

TEST_F(EditorTest, AFailedSaveSaysWhyAndLeavesTheWorkUnsaved) {
  ASSERT_TRUE(start());
  scene::currentObjectRecord().posX = 99;
  prompts.files = {path("missing/folder/work.vsc")};
  editor.frame->command(kSavePackAs);
  ASSERT_EQ(prompts.asked.size(), 2u);
  EXPECT_NE(prompts.asked[1].text.find("missing/folder/work.vsc"), std::string::npos);
  EXPECT_TRUE(workUnsaved());
}

TEST_F(EditorTest, LoadingAsksAboutChangedWorkBeforeTheChooserAndABadPackChangesNothing) {
  ASSERT_TRUE(start());
  scene::currentObjectRecord().posX = 77;
  // Cancelling the question keeps the work and opens no chooser.
  QTest::mouseDClick(editor.frame->area()->viewport(), Qt::LeftButton, {}, QPoint(1000, 550));
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].text, "Сохранить изменения в пакете?");
  EXPECT_EQ(prompts.asked[0].buttons, ui::MessageButtons::yesNoCancel);
  // "Нет" opens the chooser; a file that is no pack is told and changes nothing.
  prompts.answers = {ui::Answer::no};
  prompts.files = {path("bad.vsc")};
  file("bad.vsc", "not a pack at all");
  QTest::mouseDClick(editor.frame->area()->viewport(), Qt::LeftButton, {}, QPoint(1000, 550));
  ASSERT_EQ(prompts.asked.size(), 4u);
  EXPECT_EQ(prompts.asked[2].kind, "open");
  EXPECT_NE(prompts.asked[3].text.find("bad.vsc"), std::string::npos);
  EXPECT_EQ(scene::currentObjectRecord().posX, 77);
  EXPECT_EQ(shownTitle(), "VandreL v.2.3*");

  prompts.files = {std::string(VANDREL_SOURCE_DIR "/examples/demo.vsc")};
  prompts.answers = {ui::Answer::no};
  editor.frame->command(kLoadPack);
  EXPECT_EQ(prompts.asked[4].text, "Сохранить изменения в пакете?");
  EXPECT_EQ(prompts.asked[5].kind, "open");
  EXPECT_EQ(shownTitle(), "demo.vsc — VandreL");
  EXPECT_GT(scene::currentSceneRecord().objectCount, 1);
  EXPECT_EQ(scene::undoCounter, 1);
  EXPECT_FALSE(editor.frame->progress()->isVisible());
  idleFrame();  // the demo's clone ring fills its slots: generated clones are not changes
  EXPECT_FALSE(workUnsaved());
  EXPECT_NE(scene::objectRecord(0, 5).scaleX, 0);  // and telling so left the first copy in place
}

// The "Правка" menu's undo is the 3D view's Backspace; redo walks back up until an
// edit drops the rest. The caption marks the work unsaved soon after an edit.
TEST_F(EditorTest, EditMenuUndoesAndRedoesAndTheCaptionMarksUnsavedWork) {
  ASSERT_TRUE(start({file("demo.vsc", slurp(VANDREL_SOURCE_DIR "/examples/demo.vsc"))}));
  QStringList menus;
  for (const QAction* menu : editor.frame->menuBar()->actions()) menus << menu->text();
  EXPECT_EQ(menus, QStringList({"Файл", "Правка", "Окна"}));
  EXPECT_EQ(editor.frame->action(kUndo)->text(), "Отменить");
  EXPECT_EQ(editor.frame->action(kRedo)->text(), "Повторить");
  EXPECT_EQ(editor.frame->action(kSavePack)->shortcut(), QKeySequence("Ctrl+S"));  // shown in the menu
  EXPECT_EQ(shownTitle(), "demo.vsc — VandreL");
  editor.frame->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(editor.frame));

  const int objects = scene::currentSceneRecord().objectCount;
  auto count = [objects] { return scene::currentSceneRecord().objectCount - objects; };
  for (int i = 0; i < 2; ++i) ui::sendCommand(ui::WindowId::scenes, scene::kObjectCreate);
  QTest::keyClick(editor.view, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(count(), 1);
  EXPECT_EQ(render::viewState.depthMode, 0);  // not the view's Z
  QTest::keyClick(editor.view, Qt::Key_Backspace);
  EXPECT_EQ(count(), 0);
  EXPECT_TRUE(QTest::qWaitFor([] { return editor.frame->isWindowModified(); }, 2000));
  EXPECT_EQ(shownTitle(), "demo.vsc* — VandreL");
  QTest::keyClick(editor.view, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(count(), 1);
  QTest::keyClick(editor.frame, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(count(), 2);
  QTest::keyClick(editor.frame, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(count(), 2);  // nothing further
  editor.frame->action(kUndo)->trigger();
  EXPECT_EQ(count(), 1);
  ui::sendCommand(ui::WindowId::scenes, scene::kObjectCreate);
  QTest::keyClick(editor.view, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(count(), 2);  // the new edit dropped what redo could reach

  QTest::keyClick(editor.view, Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(shownTitle(), "demo.vsc — VandreL");
  EXPECT_EQ(editor.frame->statusBar()->currentMessage().toStdString(), "Пакет записан: " + path("demo.vsc"));
}

TEST_F(EditorTest, ClosingAsksOnlyWhenTheWorkChanged) {
  ASSERT_TRUE(start());
  EXPECT_TRUE(editor.frame->close());
  EXPECT_TRUE(prompts.asked.empty());
  EXPECT_TRUE(editor.frame->quitRequested());
}

TEST_F(EditorTest, ClosingChangedWorkOffersToSaveItFirst) {
  ASSERT_TRUE(start());
  scene::currentObjectRecord().scaleX = 5;
  prompts.answers = {ui::Answer::cancel, ui::Answer::yes};
  prompts.files = {path("kept.vsc")};
  QAction* quit = editor.frame->action(kQuit);
  EXPECT_EQ(quit->text(), "Выход");
  EXPECT_EQ(quit->shortcut(), QKeySequence("Ctrl+Q"));
  editor.frame->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(editor.frame));
  QTest::keyClick(editor.view, Qt::Key_Q, Qt::ControlModifier);  // the view lets it through
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_FALSE(editor.frame->quitRequested());
  EXPECT_EQ(prompts.asked[0].text, "Сохранить изменения в пакете?");
  EXPECT_EQ(prompts.asked[0].buttons, ui::MessageButtons::yesNoCancel);
  EXPECT_TRUE(editor.frame->close());
  EXPECT_TRUE(exists("kept.vsc"));
  EXPECT_TRUE(editor.frame->quitRequested());
}

TEST_F(EditorTest, ClearSceneConfirmsFirst) {
  ASSERT_TRUE(start());
  scene::insertObject(false);
  prompts.answers = {ui::Answer::cancel, ui::Answer::ok};
  editor.frame->command(kClearScene);
  EXPECT_EQ(scene::currentSceneRecord().objectCount, 2);
  editor.frame->command(kClearScene);
  EXPECT_EQ(scene::currentSceneRecord().objectCount, 1);
  EXPECT_EQ(prompts.asked[1].text, "Стереть сцену?");
  EXPECT_EQ(scene::undoCounter, 2);
}

TEST_F(EditorTest, HelpIsReadAfreshUpTo50000BytesInEitherEncoding) {
  ASSERT_TRUE(start());
  file("help.txt", "Справка\n");
  editor.frame->activateWindow();  // focus in an active window also raises its sub-window
  ASSERT_TRUE(QTest::qWaitForWindowActive(editor.frame));
  editor.frame->command(kHelp);
  EXPECT_TRUE(editor.helpWindow->isVisible());
  EXPECT_EQ(editor.frame->area()->subWindowList(QMdiArea::StackingOrder).last(), editor.helpWindow);
  EXPECT_EQ(editor.frame->focusWidget(), editor.view);
  EXPECT_EQ(editor.help->text(kHelpText), "Справка\n");
  file("help.txt", "\xD1\xEF\xF0\xE0\xE2\xEA\xE0 \xA8");  // Windows-1251
  editor.frame->command(kHelp);
  EXPECT_EQ(editor.help->text(kHelpText), "Справка Ё");
  file("help.txt", std::string(49'999, 'a') + "Ж");  // the cut falls inside a letter
  editor.frame->command(kHelp);
  EXPECT_EQ(editor.help->text(kHelpText), std::string(49'999, 'a'));
  editor.helpWindow->close();
  EXPECT_FALSE(editor.helpWindow->isVisible());
  EXPECT_NE(editor.helpWindow->widget(), nullptr);
}

TEST_F(EditorTest, TheViewShowsTheDemoExactlyAsTheRenderCommandDraws) {
  const std::string png = path("demo.png");
  const std::string command =
      std::string(VANDREL_BINARY) + " render " VANDREL_SOURCE_DIR "/examples/demo.vsc -o " + png;
  ASSERT_EQ(std::system(command.c_str()), 0);
  ASSERT_TRUE(start({std::string(VANDREL_SOURCE_DIR "/examples/demo.vsc")}));
  render::frameState.view.animationFrozen = 1;
  idleFrame();
  const QImage rendered = QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(editor.view->image(), rendered);
}

}  // namespace
}  // namespace vandrel::shell::test

namespace vandrel::shell::test {
namespace {

TEST_F(EditorTest, WithoutADisplayTheEditorSaysSoAndFails) {
  const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " +
                              std::string(VANDREL_BINARY) + " 2>" + path("err.txt");
  const int status = std::system(command.c_str());
  EXPECT_NE(status, 0);
  const std::string said = slurp(path("err.txt"));
  EXPECT_NE(said.find("нет дисплея"), std::string::npos);
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1);
}

// Every tool window inside the frame's area and no folded strip under another
// window: at start-up, with each foldable dialog open, and after "Раскрытые окна",
// which also leaves them side by side where the area has room. Run in a child of
// the test below, on a scaled screen.
TEST_F(EditorTest, TheArrangementStaysInsideTheFrame) {
  if (!std::getenv("VANDREL_ARRANGEMENT_CHECK")) GTEST_SKIP() << "run by TheDefaultArrangementFitsAScaledFullHdScreen";
  QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 8));  // as the editor has it
  ASSERT_TRUE(start());
  QMdiArea* area = editor.frame->area();
  const QRect room = area->viewport()->rect();
  const int slots[] = {0, 1, 2, 4, 5, 6, 7, 8, 10};
  auto check = [&](const std::string& when, bool sideBySide) {
    const QList<QMdiSubWindow*> stack = area->subWindowList(QMdiArea::StackingOrder);
    for (int slot : slots) {
      const ui::ToolWindow* t = ui::toolWindowInSlot(slot);
      const QRect g = t->window->geometry();
      const std::string name = t->window->windowTitle().toStdString();
      EXPECT_TRUE(room.contains(g)) << when << ": " << name << " at " << g.x() << "," << g.y() << " " << g.width()
                                    << "x" << g.height() << " in " << room.width() << "x" << room.height();
      const bool strip = t->foldable && g.height() == ui::kFoldHeight;
      for (qsizetype i = stack.indexOf(static_cast<QMdiSubWindow*>(t->window)) + 1; strip && i < stack.size(); ++i)
        EXPECT_FALSE(stack[i]->isVisible() && stack[i]->geometry().intersects(g))
            << when << ": " << name << " under " << stack[i]->windowTitle().toStdString();
      for (int other : slots) {
        if (!sideBySide || other == slot) continue;
        EXPECT_FALSE(ui::toolWindowInSlot(other)->window->geometry().intersects(g)) << when << ": " << name;
      }
    }
  };
  check("start", false);
  for (int code : {ui::kFocusTextureEditor, ui::kFocusTextureAnimation, ui::kFocusScenes, ui::kFocusModifiers,
                   ui::kFocusMaterials}) {
    ui::takeFocusOnMouseMove(code);
    check("open " + std::to_string(code), false);
  }
  editor.frame->command(kUnfoldedWindows);
  check("unfolded", room.width() >= 1900);  // an unscaled Full HD frame holds them all side by side
}

TEST_F(EditorTest, TheDefaultArrangementFitsAScaledFullHdScreen) {
  const std::string screen = file("screen.json", R"({"screens": [{"name": "hd", "x": 0, "y": 0,
      "width": 1920, "height": 1080, "logicalDpi": 96, "dpr": 1}]})");
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  for (const char* scale : {"1", "1.25", "1.5"}) {
    const std::string command = std::string("VANDREL_ARRANGEMENT_CHECK=1 QT_SCALE_FACTOR=") + scale +
                                " QT_QPA_PLATFORM=offscreen:configfile=" + screen + " " + self +
                                " --gtest_filter=EditorTest.TheArrangementStaysInsideTheFrame >" + path("out.txt") +
                                " 2>&1";
    const int status = std::system(command.c_str());
    const std::string said = slurp(path("out.txt"));
    EXPECT_EQ(status, 0) << "scale " << scale << "\n" << said;
    EXPECT_NE(said.find("[  PASSED  ] 1 test."), std::string::npos) << "scale " << scale << "\n" << said;
  }
}

}  // namespace
}  // namespace vandrel::shell::test
