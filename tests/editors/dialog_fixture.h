#pragma once
// The start of a dialog test: a scratch folder (the undo snapshots' too), a fresh
// document with headless hooks, no tool windows, test prompts and the dialog
// shown; and the user's ways of working it.

#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>

#include "app/scratch_folder.h"
#include "pack/document.h"
#include "platform/ui/prompts.h"
#include "platform/ui/tool_windows.h"

namespace vandrel::test {

// Everything but the dialog, for tests that make their own windows.
template <typename Prompts = ui::TestPrompts>
class DialogEnvironment : public app::test::ScratchFolderTest {
 protected:
  void SetUp() override {
    ScratchFolderTest::SetUp();
    ::setenv("TMPDIR", dir_.c_str(), 1);
    document.emplace();
    ui::resetToolWindows();
    ui::setPrompts(&prompts);
  }
  void TearDown() override {
    ui::setPrompts(nullptr);
    ui::resetToolWindows();  // no window left behind pointing at a destroyed dialog
    document.reset();
    ::unsetenv("TMPDIR");
    ScratchFolderTest::TearDown();
  }

  std::optional<pack::Document> document;
  Prompts prompts;
};

template <typename Dialog, typename Prompts = ui::TestPrompts>
class DialogTest : public DialogEnvironment<Prompts> {
 protected:
  void SetUp() override {
    DialogEnvironment<Prompts>::SetUp();
    beforeDialog();
    dialog = std::make_unique<Dialog>();
    dialog->show();
  }
  // What the document holds before the dialog is made.
  virtual void beforeDialog() {}
  void TearDown() override {
    dialog.reset();
    DialogEnvironment<Prompts>::TearDown();
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

  std::unique_ptr<Dialog> dialog;
};

}  // namespace vandrel::test
