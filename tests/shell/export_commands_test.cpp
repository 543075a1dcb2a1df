#include <QProgressBar>
#include <QStatusBar>

#include <filesystem>

#include "editor/shell/pack_commands.h"
#include "export/video.h"
#include "render/device_setup.h"
#include "render/frame.h"
#include "scene/scene_store.h"
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
  EXPECT_TRUE(editor.frame->statusBar()->currentMessage().contains("в glTF не вошли: постпроцессоры"))
      << editor.frame->statusBar()->currentMessage().toStdString();
  EXPECT_FALSE(editor.frame->progress()->isVisible());
  EXPECT_EQ(scene::sceneStore.scenes[0].currentObject, 3);
  editor.frame->command(kExportScene);  // cancelled: nothing more asked or written
  EXPECT_EQ(prompts.asked.size(), 2u);
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
