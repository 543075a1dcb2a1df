#include <QApplication>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>

#include "platform/ui/prompts.h"

namespace vandrel::ui {
namespace {

// Acts on the modal dialog that opens next, once it shows; whatever is still open
// two seconds later is closed, so that a test fails instead of waiting for ever.
class WhenShown {
 public:
  explicit WhenShown(std::function<void(QWidget*)> act) : act_(std::move(act)) {
    QObject::connect(&poll_, &QTimer::timeout, [this] {
      QWidget* dialog = QApplication::activeModalWidget();
      if (!dialog || !dialog->isVisible()) return;
      poll_.stop();
      act_(dialog);
    });
    poll_.start(5);
    QObject::connect(&giveUp_, &QTimer::timeout, [] {
      while (QWidget* left = QApplication::activeModalWidget()) left->close();
    });
    giveUp_.start(2000);
  }

 private:
  std::function<void(QWidget*)> act_;
  QTimer poll_, giveUp_;
};

void retype(QWidget* box, const char* text) {
  QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(box, text);
}

// Three units of time a second keep the numbers round.
const VideoTiming kTiming{3, [](const TimeRange& t) {
                            if (t.to < t.from) return 0;
                            return static_cast<int>(std::floor((t.to - t.from) * t.framesPerSecond / 3 + 1e-9)) + 1;
                          }};

TEST(QtPromptsTest, TheVideoTimesTellLengthAndFramesAsTypedAndTakeTheEndInSeconds) {
  std::vector<QString> told;
  WhenShown answer([&](QWidget* dialog) {
    auto* from = dialog->findChild<QDoubleSpinBox*>("from");
    auto* to = dialog->findChild<QDoubleSpinBox*>("to");
    auto* seconds = dialog->findChild<QDoubleSpinBox*>("seconds");
    auto* rate = dialog->findChild<QSpinBox*>("rate");
    auto* length = dialog->findChild<QLabel*>("length");
    ASSERT_TRUE(from && to && seconds && rate && length);
    told.push_back(length->text());
    EXPECT_EQ(seconds->value(), 3);
    retype(seconds, "2");
    EXPECT_EQ(to->value(), 6);
    told.push_back(length->text());
    retype(rate, "1");
    told.push_back(length->text());
    retype(from, "7");  // past the end
    told.push_back(length->text());
    retype(seconds, "1");
    told.push_back(length->text());
    QTest::keyClick(dialog, Qt::Key_Return);
  });
  const std::optional<TimeRange> range = qtPrompts().chooseTimeRange("Записать видео", {0, 9, 30}, kTiming);
  EXPECT_EQ(told, (std::vector<QString>{"3,0 с, 91 кадр", "2,0 с, 61 кадр", "3,0 с, 3 кадра",
                                        "конец раньше начала", "2,0 с, 2 кадра"}));
  ASSERT_TRUE(range);
  EXPECT_EQ(range->from, 7);
  EXPECT_EQ(range->to, 10);
  EXPECT_EQ(range->framesPerSecond, 1);
}

TEST(QtPromptsTest, AFolderNameTypedThatIsNotThereYetIsMade) {
  namespace fs = std::filesystem;
  const fs::path scratch = fs::path(::testing::TempDir()) / ("folders_" + std::to_string(::getpid()));
  fs::create_directories(scratch);
  const QString before = QDir::currentPath();
  QDir::setCurrent(QString::fromStdString(scratch.string()));
  WhenShown answer([](QWidget* dialog) {
    auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_TRUE(name);
    QTest::keyClicks(name, "textures");
    QTest::keyClick(name, Qt::Key_Return);
  });
  const std::optional<std::string> folder = qtPrompts().chooseFolder("Экспорт текстур");
  QDir::setCurrent(before);
  EXPECT_EQ(folder, (scratch / "textures").string());
  EXPECT_TRUE(fs::is_directory(scratch / "textures"));
  fs::remove_all(scratch);
}

}  // namespace
}  // namespace vandrel::ui
