#include <QProgressBar>
#include <QStatusBar>

#include <filesystem>

#include "editor/shell/pack_commands.h"
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

TEST_F(ExportCommands, TexturesGoToTheChosenFolderAndTheEditedSlotStaysCurrent) {
  texgen::selectSlot(3);
  const int entries = texgen::textureStore.entryCount;
  prompts.folders = {path("set")};
  editor.frame->command(kExportTextures);
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].kind, "folder");
  EXPECT_TRUE(fs::exists(path("set/slot_001.png")));
  EXPECT_TRUE(fs::exists(path("set/slot_003.png")));
  EXPECT_EQ(texgen::textureStore.currentSlot, 3);
  EXPECT_EQ(texgen::textureStore.entryCount, entries);
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

}  // namespace
}  // namespace vandrel::shell::test
