#pragma once
// The whole editor started offscreen in a scratch start directory, with prompts
// that answer from queues.

#include <QDir>
#include <QMdiSubWindow>

#include <gtest/gtest.h>

#include "app/scratch_folder.h"
#include "platform/ui/prompts.h"
#include "platform/ui/tool_windows.h"
#include "editor/render/view_window.h"
#include "editor/shell/editor.h"
#include "editor/shell/frame_window.h"
#include "editor/shell/layouts.h"

namespace vandrel::shell::test {

class EditorTest : public app::test::ScratchFolderTest {
 protected:
  void SetUp() override {
    ScratchFolderTest::SetUp();
    previousDirectory_ = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(dir_.string()));
    ui::setPrompts(&prompts);
  }
  void TearDown() override {
    stopEditor();
    ui::setPrompts(nullptr);
    QDir::setCurrent(previousDirectory_);
    ScratchFolderTest::TearDown();
  }

  bool start(EditorOptions options = {}) { return startEditor(options); }

  QMdiSubWindow* viewWindow() const { return subWindow(ui::kSlotView); }
  static QMdiSubWindow* subWindow(int slot) {
    return static_cast<QMdiSubWindow*>(ui::toolWindowInSlot(slot)->window);
  }

  // A layout file with the 3D view at the given rectangle (other slots zero).
  void writeLayoutFile(int index, ui::LayoutRect view) {
    ui::WindowLayout layout{};
    layout.rects[ui::kSlotView] = view;
    file("winpos" + std::to_string(index + 1) + ".vwp", layoutBytes(layout));
  }

  ui::TestPrompts prompts;

 private:
  QString previousDirectory_;
};

}  // namespace vandrel::shell::test
