#include <QApplication>
#include <QCloseEvent>
#include <QProgressBar>
#include <QProgressDialog>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <filesystem>

#include "editor/shell/long_work.h"
#include "editor/shell/pack_commands.h"
#include "export/gltf_export.h"
#include "export/video.h"
#include "pack/complex_pack.h"
#include "render/device_setup.h"
#include "render/frame.h"
#include "scene/scene_store.h"
#include "scene/undo.h"
#include "shell/editor_fixture.h"
#include "texgen/dispatcher.h"
#include "texgen/texture_store.h"

namespace vandrel::shell::test {
namespace {

namespace fs = std::filesystem;

class ExportCommands : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    ASSERT_TRUE(start());
    ASSERT_TRUE(loadPackFrom(VANDREL_SOURCE_DIR "/examples/demo.vsc"));
    prompts.asked.clear();
  }
  void TearDown() override {
    longWorkDelay = 500;
    EditorTest::TearDown();
  }

  // The names in a folder that start with a dot: new files not put in place.
  std::vector<std::string> hiddenFiles(const std::string& folder = "") {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder.empty() ? dir_ : fs::path(path(folder))))
      if (entry.path().filename().string().starts_with(".")) names.push_back(entry.path().filename().string());
    return names;
  }
};

// Once the progress dialog shows, the user asks the frame window to close, types
// Ctrl+Q at the 3D view and then presses Esc. Counts the steps the dialog shows.
class CancelWhenShown {
 public:
  CancelWhenShown() {
    timer_.setInterval(2);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
      if (!dialog || !dialog->isVisible()) return;
      timer_.stop();
      QObject::connect(dialog->findChild<QProgressBar*>(), &QProgressBar::valueChanged,
                       [this](int value) { lastStep = value; });
      stepAtEsc = dialog->value();
      label = dialog->labelText();
      QCloseEvent close;
      QCoreApplication::sendEvent(editor.frame->windowHandle(), &close);
      QTest::keyClick(editor.view, Qt::Key_Q, Qt::ControlModifier);
      QTest::keyClick(dialog, Qt::Key_Escape);
    });
    timer_.start();
  }
  int stepAtEsc = -1, lastStep = -1;
  QString label;

 private:
  QTimer timer_;
};

// The device's copy of every slot's image, as the 3D view draws it.
std::vector<std::vector<std::uint32_t>> deviceTextures() {
  std::vector<std::vector<std::uint32_t>> images;
  for (const auto& texture : render::deviceSetup.textures)
    if (texture) images.emplace_back(texture->pixels(), texture->pixels() + texture->edge() * texture->edge());
  return images;
}

TEST_F(ExportCommands, TexturesGoToTheChosenFolderAndTheEditedSlotStaysCurrent) {
  texgen::selectSlot(3);
  render::uploadCurrentTexture();
  const int entries = texgen::textureStore.entryCount;
  const auto shown = deviceTextures();
  prompts.folders = {path("set")};
  editor.frame->command(kExportTextures);
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].kind, "folder");
  EXPECT_TRUE(fs::exists(path("set/slot_001.png")));
  EXPECT_TRUE(fs::exists(path("set/slot_003.png")));
  EXPECT_EQ(texgen::textureStore.currentSlot, 3);
  EXPECT_EQ(texgen::textureStore.entryCount, entries);
  EXPECT_TRUE(deviceTextures() == shown) << "the 3D view would draw other textures";
  EXPECT_FALSE(editor.frame->progress()->isVisible());
  EXPECT_EQ(editor.frame->progress()->format(), "Текстуры: %v из %m");  // as a pack load shows it
  EXPECT_TRUE(editor.frame->statusBar()->currentMessage().contains(QString::fromStdString(path("set"))));
  // The same files as the command writes.
  const std::string command = std::string("\"") + VANDREL_BINARY + "\" texture \"" VANDREL_SOURCE_DIR +
                              "/examples/demo.vsc\" --all -o \"" + path("command") + "\" > /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  for (const auto& entry : fs::directory_iterator(path("command")))
    EXPECT_TRUE(slurp(entry.path().string()) == slurp(path("set/" + entry.path().filename().string())))
        << entry.path().filename();

  // A folder that cannot be made is told, and cancelling asks nothing more.
  file("taken", "a file");
  prompts.folders = {path("taken"), std::nullopt};
  editor.frame->command(kExportTextures);
  ASSERT_EQ(prompts.asked.size(), 3u);
  EXPECT_EQ(prompts.asked[2].kind, "message");
  EXPECT_NE(prompts.asked[2].text.find("taken"), std::string::npos);
  editor.frame->command(kExportTextures);
  EXPECT_EQ(prompts.asked.size(), 4u);
}

TEST_F(ExportCommands, TheSceneGoesToTheChosenFileAndTheStatusBarNamesWhatItLeftOut) {
  scene::sceneStore.scenes[0].currentObject = 3;
  prompts.files = {path("demo.glb"), std::nullopt};
  editor.frame->command(kExportScene);
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].kind, "save");
  EXPECT_GT(fs::file_size(path("demo.glb")), 1000u);
  std::string error;  // the same bytes as an export without the dialog
  ASSERT_TRUE(exporting::writeGltfScene(path("direct.glb"), {}, nullptr, &error)) << error;
  EXPECT_TRUE(slurp(path("demo.glb")) == slurp(path("direct.glb")));
  EXPECT_TRUE(editor.frame->statusBar()->currentMessage().contains("в glTF не вошли: постпроцессоры"))
      << editor.frame->statusBar()->currentMessage().toStdString();
  EXPECT_FALSE(editor.frame->progress()->isVisible());
  EXPECT_EQ(scene::sceneStore.scenes[0].currentObject, 3);
  editor.frame->command(kExportScene);  // cancelled: nothing more asked or written
  EXPECT_EQ(prompts.asked.size(), 2u);

  // A failure is told once the progress dialog is gone: the message box must
  // take the user's answer.
  struct SeeingWork : ui::TestPrompts {
    std::vector<bool> workRunning;
    ui::Answer message(const std::string& text, const std::string& caption, ui::MessageButtons buttons,
                       ui::MessageIcon icon) override {
      workRunning.push_back(longWorkRunning());
      return TestPrompts::message(text, caption, buttons, icon);
    }
  } seeing;
  ui::setPrompts(&seeing);
  seeing.files = {path("no/such/folder/demo.glb")};
  editor.frame->command(kExportScene);
  ui::setPrompts(&prompts);
  EXPECT_EQ(seeing.workRunning, std::vector<bool>{false});
}

TEST_F(ExportCommands, AVideoIsDrawnWithTheViewsTogglesAndABackwardRangeIsRefused) {
  render::frameState.view.cleanView = 1;
  const exporting::VideoRange range{0.5, 1.5, 4};
  prompts.timeRanges = {ui::TimeRange{range.from, range.to, range.rate}};
  prompts.files = {path("f_%02d.png")};
  editor.frame->command(kRecordVideo);
  ASSERT_EQ(prompts.asked.size(), 2u);
  EXPECT_EQ(prompts.asked[0].kind, "times");
  const int frames = exporting::videoFrameCount(range);
  ASSERT_EQ(frames, 2);
  EXPECT_TRUE(exists("f_01.png"));
  EXPECT_FALSE(exists("f_02.png"));
  const std::string single = std::string("\"") + VANDREL_BINARY + "\" render \"" VANDREL_SOURCE_DIR +
                             "/examples/demo.vsc\" --clean --tau 0.5 -o \"" + path("single.png") + "\"";
  ASSERT_EQ(std::system(single.c_str()), 0);
  EXPECT_TRUE(slurp(path("f_00.png")) == slurp(path("single.png")));
  EXPECT_EQ(render::frameState.view.cleanView, 1);

  prompts.timeRanges = {ui::TimeRange{2, 1, 30}};
  editor.frame->command(kRecordVideo);
  ASSERT_EQ(prompts.asked.size(), 4u);
  EXPECT_EQ(prompts.asked[3].kind, "message");
}

}  // namespace
}  // namespace vandrel::shell::test

namespace vandrel::shell::test {
namespace {

TEST_F(ExportCommands, ALongVideoCancelledWithEscLeavesTheOldFilesAndTheEditorOpen) {
  // A video, and a sequence whose first frame's name is taken.
  for (const auto& [name, first] : {std::pair{"v.webm", "v.webm"}, std::pair{"s_%02d.png", "s_00.png"}}) {
    SCOPED_TRACE(name);
    file(first, "the old one");
    prompts.timeRanges = {ui::TimeRange{0, 6, 30}};  // 59 frames, seconds of work
    prompts.files = {path(name)};
    CancelWhenShown cancel;
    editor.frame->command(kRecordVideo);
    ASSERT_GE(cancel.stepAtEsc, 0) << "no progress dialog";
    EXPECT_EQ(cancel.label, "Запись видео...");
    EXPECT_LT(cancel.stepAtEsc, exporting::videoFrameCount({0, 6, 30}) - 1);
    EXPECT_LE(cancel.lastStep, cancel.stepAtEsc + 1) << "went on after the cancel";
    EXPECT_TRUE(slurp(path(first)) == "the old one");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
    fs::remove(path(first));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(editor.frame->statusBar()->currentMessage().startsWith("Отменено"));
  }
  // The close requests and the keys came while the work ran: dropped, not kept.
  EXPECT_TRUE(runOnce());
  EXPECT_FALSE(editor.frame->quitRequested());
  EXPECT_TRUE(editor.frame->isVisible());
}

TEST_F(ExportCommands, CancelledTextureSetsScenesAndPackLoadsChangeNothing) {
  longWorkDelay = 0;  // the dialog shows at once
  fs::create_directories(path("set"));
  file("set/slot_001.png", "old");
  prompts.folders = {path("set")};
  {
    CancelWhenShown cancel;
    editor.frame->command(kExportTextures);
    EXPECT_EQ(cancel.label, "Экспорт текстур...");
  }
  EXPECT_TRUE(slurp(path("set/slot_001.png")) == "old");
  EXPECT_EQ(std::distance(fs::directory_iterator(path("set")), fs::directory_iterator()), 1);

  prompts.files = {path("scene.glb")};
  {
    CancelWhenShown cancel;
    editor.frame->command(kExportScene);
    EXPECT_EQ(cancel.label, "Запись сцены в glTF...");
  }
  EXPECT_FALSE(exists("scene.glb"));
  EXPECT_TRUE(hiddenFiles().empty());

  // Changed work, kept unsaved; the load of another pack cancelled puts it back.
  texgen::selectSlot(3);
  render::uploadCurrentTexture();
  scene::objectRecord(0, 0).posX += 100;
  const std::string work = pack::writePack();
  const int undo = scene::undoCounter;
  const std::vector<std::uint32_t> layer(texgen::layer(texgen::textureStore.entryCount),
                                         texgen::layer(texgen::textureStore.entryCount) + texgen::layerPixels());
  const auto shown = deviceTextures();
  std::vector<gfx::Texture*> textures;
  for (const auto& t : render::deviceSetup.textures) textures.push_back(t.get());
  prompts.answers = {ui::Answer::no};
  {
    CancelWhenShown cancel;
    EXPECT_FALSE(loadPackFrom(VANDREL_SOURCE_DIR "/examples/demo.vsc"));
    EXPECT_EQ(cancel.label, "Загрузка пакета...");
  }
  EXPECT_TRUE(pack::writePack() == work) << "the work changed";
  EXPECT_EQ(texgen::textureStore.currentSlot, 3);
  EXPECT_TRUE(std::equal(layer.begin(), layer.end(), texgen::layer(texgen::textureStore.entryCount)));
  const auto after = deviceTextures();
  ASSERT_EQ(after.size(), shown.size());
  // Entry 0 is what each frame draws into; the slots' images must be as they were.
  for (std::size_t k = 1; k < shown.size(); ++k) EXPECT_TRUE(after[k] == shown[k]) << k;
  for (int k = 0; k < render::kTextureTableSize; ++k) {
    if (k == 3) continue;
    EXPECT_EQ(render::deviceSetup.textures[k].get(), textures[k]) << "texture " << k;
  }
  EXPECT_EQ(scene::undoCounter, undo);
  EXPECT_TRUE(workUnsaved());
  EXPECT_FALSE(editor.frame->quitRequested());
}

}  // namespace
}  // namespace vandrel::shell::test
