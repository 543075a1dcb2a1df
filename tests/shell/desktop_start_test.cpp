// Where the editor keeps its layouts and finds help.txt when the desktop entry
// starts it, and where an installed program finds its help text.

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "shell/editor_fixture.h"
#include "editor/shell/help_window.h"

namespace vandrel::shell::test {
namespace {

// Sets an environment variable for the test's lifetime.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (old_) setenv(name_, old_->c_str(), 1);
    else unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

class DesktopStartTest : public EditorTest {
 protected:
  bool startFromDesktop() {
    EditorOptions options;
    options.userConfigFolder = true;
    return start(options);
  }
};

TEST_F(DesktopStartTest, LayoutsAndHelpGoToTheConfigFolderCreatedOnTheFirstWrite) {
  ScopedEnv config("XDG_CONFIG_HOME", path("config"));
  file("help.txt", "start folder");
  ASSERT_TRUE(startFromDesktop());
  viewWindow()->move(50, 60);
  editor.frame->command(kWriteLayout);
  EXPECT_FALSE(exists("winpos1.vwp"));
  ui::WindowLayout stored{};
  ASSERT_TRUE(readLayoutFile(path("config/vandrel/winpos1.vwp"), &stored));
  EXPECT_EQ(stored.rects[ui::kSlotView].left, 50);

  file("config/vandrel/help.txt", "config folder");
  editor.frame->command(kHelp);
  EXPECT_EQ(editor.help->text(kHelpText), "config folder");
}

TEST_F(DesktopStartTest, WithoutAnAbsoluteXdgConfigHomeTheLayoutsAreInDotConfig) {
  ScopedEnv config("XDG_CONFIG_HOME", "relative/config");
  ScopedEnv home("HOME", path("home"));
  std::filesystem::create_directories(path("home/.config/vandrel"));
  ui::WindowLayout layout{};
  layout.rects[ui::kSlotView] = {300, 40, 1100, 640};
  file("home/.config/vandrel/winpos1.vwp", layoutBytes(layout));
  ASSERT_TRUE(startFromDesktop());
  EXPECT_EQ(viewWindow()->pos(), QPoint(300, 40));
}

class HelpLookupTest : public app::test::ScratchFolderTest {
 protected:
  void TearDown() override {
    startDirectory = savedStartDirectory_;
    ScratchFolderTest::TearDown();
  }

 private:
  std::string savedStartDirectory_ = startDirectory;
};

TEST_F(HelpLookupTest, StartFolderThenProgramFolderThenTheInstalledCopy) {
  for (const char* folder : {"start", "usr/bin", "usr/share/vandrel"})
    std::filesystem::create_directories(path(folder));
  startDirectory = path("start");
  EXPECT_EQ(readHelpText(path("usr/bin")), "");
  file("usr/share/vandrel/help.txt", "installed");
  EXPECT_EQ(readHelpText(path("usr/bin")), "installed");
  file("usr/bin/help.txt", "beside the program");
  EXPECT_EQ(readHelpText(path("usr/bin")), "beside the program");
  file("start/help.txt", "start folder");
  EXPECT_EQ(readHelpText(path("usr/bin")), "start folder");
}

}  // namespace
}  // namespace vandrel::shell::test
