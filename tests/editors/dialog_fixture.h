#pragma once
// The start of a dialog test: a scratch folder, a fresh document, no tool
// windows, test prompts and the dialog shown; and the user's ways of working it.

#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "app/scratch_folder.h"
#include "pack/document.h"
#include "platform/ui/prompts.h"
#include "platform/ui/tool_windows.h"

namespace vandrel::test {

template <typename Dialog, typename Prompts = ui::TestPrompts>
class DialogTest : public app::test::ScratchFolderTest {
 protected:
  void SetUp() override {
    ScratchFolderTest::SetUp();
    pack::resetDocument();
    ui::resetToolWindows();
    ui::setPrompts(&prompts);
    dialog = std::make_unique<Dialog>();
    dialog->show();
  }
  void TearDown() override {
    dialog.reset();
    ui::setPrompts(nullptr);
    ui::resetToolWindows();  // no window left behind pointing at the destroyed dialog
    ScratchFolderTest::TearDown();
  }

  void click(int id) { QTest::mouseClick(dialog->control(id), Qt::LeftButton); }
  // Selects the edit's text, types over it and presses Return.
  void type(int id, const char* text) {
    QWidget* edit = dialog->control(id);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
  }
  // The colour a swatch shows inside its 2-pixel frame.
  std::uint32_t swatchShows(int id) {
    const QImage image = dialog->control(id)->grab().toImage();
    return image.pixel(image.width() / 2, image.height() / 2) & 0xFFFFFFu;
  }

  Prompts prompts;
  std::unique_ptr<Dialog> dialog;
};

}  // namespace vandrel::test
