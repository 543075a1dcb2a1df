#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/os/status_line.h"
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

// Enter and leaving confirm a number box; Enter goes no further. A refused text
// gives way to what code last showed and the status line says why.
TEST(Dialog, NumberBoxesTakeTypedNumbersAndSayWhyTheyRefuse) {
  constexpr int kLabel = 1162, kBox = 1105, kApplied = 1109, kApply = 1006, kPlain = 1008;
  struct Boxes : Dialog {
    Boxes() {
      addLabel(kLabel, "сила:");
      addNumberBox(kBox, BoxCaption::ofLabel(kLabel), {-126, 126}, [this](int v) { taken.push_back(v); });
      addAppliedBox(kApplied, "x", {0, 9}, kApply);
      addEdit(kPlain);
      setText(kBox, "5");
    }
    void command(int id) override { commands.push_back(id); }
    void keyPressEvent(QKeyEvent* e) override { returnsReachingTheDialog += e->key() == Qt::Key_Return; }
    std::vector<int> taken, commands;
    int returnsReachingTheDialog = 0;
  } d;
  std::string told;
  os::statusLine = [&told](const std::string& text) { told = text; };
  d.show();
  QApplication::setActiveWindow(&d);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
  QWidget* box = d.control(kBox);
  box->setFocus();
  QTest::keyClicks(box, "0");
  QTest::keyClick(box, Qt::Key_Return);
  QTest::keyClick(box, Qt::Key_Return);  // nothing new typed: nothing taken again
  EXPECT_EQ(d.taken, std::vector<int>{50});
  EXPECT_EQ(d.returnsReachingTheDialog, 0);

  for (const char* refused : {"-127", "12a"}) {
    told.clear();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, refused);
    QTest::keyClick(box, Qt::Key_Tab);  // leaving the box
    EXPECT_EQ(d.text(kBox), "50") << refused;
    EXPECT_EQ(told, "сила: число от −126 до 126") << refused;
    box->setFocus();
  }
  QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(box, "+007");
  d.control(kPlain)->setFocus();
  EXPECT_EQ(d.taken, (std::vector<int>{50, 7}));
  EXPECT_EQ(d.text(kBox), "7");

  // An applied box: Enter is its button's command, which reads it.
  QTest::keyClicks(d.control(kApplied), "3");
  QTest::keyClick(d.control(kApplied), Qt::Key_Return);
  EXPECT_EQ(d.commands, std::vector<int>{kApply});
  EXPECT_EQ(d.boxNumber(kApplied), 3);
  d.setText(kApplied, "10");
  d.setText(kBox, "abc");
  EXPECT_EQ(d.boxNumbers({kApplied, kBox}), (std::vector<std::optional<int>>{std::nullopt, std::nullopt}));
  EXPECT_EQ(told, "x: число от 0 до 9");  // the first refusal
  QTest::keyClick(d.control(kPlain), Qt::Key_Return);
  EXPECT_EQ(d.returnsReachingTheDialog, 1);
  os::statusLine = nullptr;
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
