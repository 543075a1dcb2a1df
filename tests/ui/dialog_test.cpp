#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

#include "platform/ui/commands.h"
#include "platform/ui/dialog.h"
#include "platform/ui/prompts.h"
#include "platform/ui/swatch.h"

namespace vandrel::ui {
namespace {

constexpr int kTrackbar = 1044, kEdit = 1105, kList = 1039, kCombo = 1040, kButton = 1035;

// Records every notification it gets.
class RecordingDialog : public Dialog {
 public:
  RecordingDialog() {
    addTrackbar(kTrackbar);
    addEdit(kEdit);
    addList(kList);
    addCombo(kCombo);
    addButton(kButton, "ОК");
    for (const char* item : {"a", "b", "c"}) addItem(kList, item), addItem(kCombo, item);
  }
  void command(int id) override { seen.push_back(id); }
  void trackbarMoved(int id) override { seen.push_back(id); }
  void listChanged(int id) override { seen.push_back(id); }
  void editChanged(int id) override { seen.push_back(id); }
  std::vector<int> seen;
};

TEST(Dialog, SettingFromCodeNotifiesNobodyButTheUsersChangesDo) {
  RecordingDialog d;
  d.show();
  d.setTrackbarPos(kTrackbar, 100);
  d.setTrackbarRange(kTrackbar, 0, 50);  // clamps the position: still quiet
  d.setText(kEdit, "12");
  d.setSelection(kList, 2);
  d.setSelection(kCombo, 1);
  d.clearItems(kList);
  d.addItem(kList, "x");
  EXPECT_TRUE(d.seen.empty());
  EXPECT_EQ(d.trackbarPos(kTrackbar), 50);
  EXPECT_EQ(d.selection(kCombo), 1);

  QTest::keyClick(d.control(kTrackbar), Qt::Key_Left);
  QTest::keyClicks(d.control(kEdit), "3");
  QTest::keyClick(d.control(kCombo), Qt::Key_Down);
  auto* list = static_cast<QListWidget*>(d.control(kList));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
  QTest::mouseClick(d.control(kButton), Qt::LeftButton);
  EXPECT_EQ(d.seen, (std::vector<int>{kTrackbar, kEdit, kCombo, kList, kButton}));
  EXPECT_EQ(d.trackbarPos(kTrackbar), 49);
  EXPECT_EQ(d.text(kEdit), "123");
  EXPECT_EQ(d.selection(kCombo), 2);
}

TEST(Dialog, EditIntegersReadLikeTheSystemDoes) {
  RecordingDialog d;
  bool ok = false;
  for (auto [text, value] : {std::pair{"-12", -12}, {" 40 ", 40}, {"+7", 7}}) {
    d.setText(kEdit, text);
    EXPECT_EQ(d.editInt(kEdit, &ok), value) << text;
    EXPECT_TRUE(ok);
  }
  for (const char* bad : {"", "-", "12a", "99999999999"}) {
    d.setText(kEdit, bad);
    EXPECT_EQ(d.editInt(kEdit, &ok), 0) << bad;
    EXPECT_FALSE(ok) << bad;
  }
  d.setText(kEdit, "-1");
  d.editUnsigned(kEdit, &ok);
  EXPECT_FALSE(ok);
  d.setText(kEdit, "4294967295");
  EXPECT_EQ(d.editUnsigned(kEdit, &ok), 4294967295u);
  EXPECT_TRUE(ok);
}

TEST(Commands, GoStraightToTheRegisteredWindowAndNowhereElse) {
  RecordingDialog d;
  sendCommand(WindowId::scenes, 1084);  // nobody registered: ignored
  registerCommandTarget(WindowId::scenes, &d);
  sendCommand(WindowId::scenes, 1084);
  sendCommand(WindowId::modifiers, 1);
  registerCommandTarget(WindowId::scenes, nullptr);
  sendCommand(WindowId::scenes, 1085);
  EXPECT_EQ(d.seen, std::vector<int>{1084});
}

TEST(Prompts, TestPromptsAnswerFromTheirQueuesAndRecordWhatWasAsked) {
  TestPrompts test;
  setPrompts(&test);
  test.answers = {Answer::yes};
  test.files = {std::string("/x/a.vsc")};
  EXPECT_EQ(prompts().message("Сохранить?", "VandreL", MessageButtons::yesNoCancel, MessageIcon::question),
            Answer::yes);
  EXPECT_EQ(prompts().message("again", "", MessageButtons::ok, MessageIcon::none), Answer::cancel);
  EXPECT_EQ(prompts().openFile({"Vandrel complex pack", "*.vsc"}), "/x/a.vsc");
  EXPECT_EQ(prompts().saveFile({"Vandrel complex pack", "*.vsc"}), std::nullopt);
  setPrompts(nullptr);
  EXPECT_EQ(&prompts(), &qtPrompts());
  ASSERT_EQ(test.asked.size(), 4u);
  EXPECT_EQ(test.asked[0].text, "Сохранить?");
  EXPECT_EQ(test.asked[0].buttons, MessageButtons::yesNoCancel);
  EXPECT_EQ(test.asked[2].kind, "open");
  EXPECT_EQ(test.asked[3].kind, "save");
}

// A short question under a long title: the box is as wide as the title needs.
TEST(Prompts, AMessageBoxLeavesRoomForItsWholeTitle) {
  QMessageBox box;
  prepareMessageBox(box, "Стереть сцену?", "Подтверждение действия", MessageButtons::okCancel,
                    MessageIcon::question);
  box.show();
  EXPECT_GE(box.width(), messageBoxTitleWidth(box));
  EXPECT_GT(messageBoxTitleWidth(box), QFontMetrics(box.font()).horizontalAdvance(box.windowTitle()));
}

}  // namespace
}  // namespace vandrel::ui

namespace vandrel::ui {
namespace {

TEST(Swatch, FillsItsInsetWithTheColourAndReportsClicks) {
  struct SwatchDialog : Dialog {
    void command(int id) override { clicked = id; }
    int clicked = 0;
  } d;
  Swatch* swatch = d.addSwatch(1166);
  swatch->resize(40, 30);
  d.setSwatchColour(1166, 0xFF0000);
  const QImage image = swatch->grab().toImage();
  EXPECT_EQ(image.pixel(20, 15) & 0xFFFFFFu, 0xFF0000u);
  EXPECT_EQ(image.pixel(2, 2) & 0xFFFFFFu, 0xFF0000u);
  EXPECT_NE(image.pixel(1, 1) & 0xFFFFFFu, 0xFF0000u);
  QTest::mouseClick(swatch, Qt::LeftButton);
  EXPECT_EQ(d.clicked, 1166);
}

}  // namespace
}  // namespace vandrel::ui
