#include "platform/ui/prompts.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QSignalBlocker>
#include <QSpinBox>

#include <algorithm>

#include "platform/os/plural.h"

namespace vandrel::ui {

namespace {

Prompts* installed = nullptr;

QString qtext(const std::string& text) { return QString::fromStdString(text); }

QString filterText(const FileFilter& filter) {
  return qtext(filter.name + " (" + filter.pattern + ")");
}

template <typename T>
T takeFront(std::deque<T>& queue, T whenEmpty) {
  if (queue.empty()) return whenEmpty;
  T front = queue.front();
  queue.pop_front();
  return front;
}

}  // namespace

QtPrompts& qtPrompts() {
  static QtPrompts prompts;
  return prompts;
}

Prompts& prompts() { return installed ? *installed : qtPrompts(); }

void setPrompts(Prompts* prompts) { installed = prompts; }

void prepareMessageBox(QMessageBox& box, const std::string& text, const std::string& caption,
                       MessageButtons buttons, MessageIcon icon) {
  box.setText(qtext(text));
  box.setWindowTitle(qtext(caption));
  switch (icon) {
    case MessageIcon::none: box.setIcon(QMessageBox::NoIcon); break;
    case MessageIcon::information: box.setIcon(QMessageBox::Information); break;
    case MessageIcon::warning: box.setIcon(QMessageBox::Warning); break;
    case MessageIcon::error: box.setIcon(QMessageBox::Critical); break;
    case MessageIcon::question: box.setIcon(QMessageBox::Question); break;
  }
  switch (buttons) {
    case MessageButtons::ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MessageButtons::okCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MessageButtons::yesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
  }
  // A short question would make a box narrower than its own title, which the
  // window manager then cuts: keep room for the title, in a bold face as title
  // bars have it, beside the title bar's icon and buttons.
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
    grid->addItem(new QSpacerItem(messageBoxTitleWidth(box), 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

int messageBoxTitleWidth(const QMessageBox& box) {
  QFont title = box.font();
  title.setBold(true);
  title.setPointSizeF(title.pointSizeF() * 1.25);
  const int titleBarControls = 4 * QFontMetrics(title).height() * 3 / 2;
  return QFontMetrics(title).horizontalAdvance(box.windowTitle()) + titleBarControls;
}

Answer QtPrompts::message(const std::string& text, const std::string& caption, MessageButtons buttons,
                          MessageIcon icon) {
  QMessageBox box(owner_);
  prepareMessageBox(box, text, caption, buttons, icon);
  switch (box.exec()) {
    case QMessageBox::Ok: return Answer::ok;
    case QMessageBox::Yes: return Answer::yes;
    case QMessageBox::No: return Answer::no;
    default: return Answer::cancel;
  }
}

std::optional<std::string> QtPrompts::openFile(const FileFilter& filter) {
  const QString path = QFileDialog::getOpenFileName(owner_, QString(), QString(), filterText(filter));
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}

std::optional<std::string> QtPrompts::saveFile(const FileFilter& filter) {
  // The file dialog asks before overwriting unless told not to.
  const QString path = QFileDialog::getSaveFileName(owner_, QString(), QString(), filterText(filter));
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}

std::optional<SaveChoice> QtPrompts::saveFileWithCheckBox(const FileFilter& filter,
                                                          const std::string& checkBox) {
  // The desktop's own chooser takes no extra controls; Qt's takes them in its grid.
  QFileDialog dialog(owner_, QString(), QString(), filterText(filter));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  auto* box = new QCheckBox(qtext(checkBox), &dialog);
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
    grid->addWidget(box, grid->rowCount(), 0, 1, grid->columnCount());
  else
    dialog.layout()->addWidget(box);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return SaveChoice{dialog.selectedFiles().first().toStdString(), box->isChecked()};
}

std::optional<std::uint32_t> QtPrompts::chooseColour(std::uint32_t initial) {
  // QColorDialog keeps its 16 custom colours for the whole run, like the system chooser.
  const QColor chosen = QColorDialog::getColor(QColor::fromRgb(initial & 0xFFFFFFu), owner_);
  if (!chosen.isValid()) return std::nullopt;
  return chosen.rgb() & 0xFFFFFFu;
}

std::optional<std::string> QtPrompts::chooseFolder(const std::string& caption) {
  // Qt's own chooser on every desktop: it has its "new folder" button, and a name
  // typed that is not there yet becomes a new folder when accepted.
  class FolderDialog : public QFileDialog {
   public:
    using QFileDialog::QFileDialog;
    void accept() override {
      const QStringList chosen = selectedFiles();
      if (chosen.size() == 1 && !QFileInfo::exists(chosen[0]) && !QDir().mkpath(chosen[0])) {
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("Не удалось создать папку «%1»").arg(QDir::toNativeSeparators(chosen[0])));
        return;
      }
      QFileDialog::accept();
    }
  };
  FolderDialog dialog(owner_, qtext(caption), QDir::currentPath());
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  dialog.setFileMode(QFileDialog::Directory);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return QDir::cleanPath(dialog.selectedFiles().first()).toStdString();
}

std::string videoLengthText(const TimeRange& range, const VideoTiming& timing) {
  const int frames = timing.frameCount ? timing.frameCount(range) : 0;
  if (frames <= 0) return "конец раньше начала";
  const QString seconds = QLocale(QLocale::Russian).toString(static_cast<double>(frames) / range.framesPerSecond, 'f', 1);
  return seconds.toStdString() + " с, " + os::counted(frames, "кадр", "кадра", "кадров");
}

std::optional<TimeRange> QtPrompts::chooseTimeRange(const std::string& caption, const TimeRange& initial,
                                                    const VideoTiming& timing) {
  QDialog dialog(owner_);
  dialog.setWindowTitle(qtext(caption));
  auto* form = new QFormLayout(&dialog);
  auto number = [&](const char* name, double value, int decimals) {
    auto* box = new QDoubleSpinBox(&dialog);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(0, 100000);
    box->setDecimals(decimals);
    box->setValue(value);
    return box;
  };
  // The end as typed: from the end box, or the start plus the length typed in
  // seconds (kept whole, not rounded to the box's decimals, so no frame is lost).
  TimeRange range = initial;
  QDoubleSpinBox* from = number("from", initial.from, 3);
  QDoubleSpinBox* to = number("to", initial.to, 3);
  QDoubleSpinBox* seconds = number("seconds", (initial.to - initial.from) / timing.tauPerSecond, 3);
  auto* rate = new QSpinBox(&dialog);
  rate->setObjectName(QStringLiteral("rate"));
  rate->setRange(1, 240);
  rate->setValue(initial.framesPerSecond);
  auto* length = new QLabel(&dialog);
  length->setObjectName(QStringLiteral("length"));
  form->addRow(QStringLiteral("Начало, τ"), from);
  form->addRow(QStringLiteral("Конец, τ"), to);
  form->addRow(QStringLiteral("Длина, с"), seconds);
  form->addRow(QStringLiteral("Кадров в секунду"), rate);
  form->addRow(QStringLiteral("Видео"), length);
  auto show = [&] { length->setText(qtext(videoLengthText(range, timing))); };
  auto showSeconds = [&] {
    const QSignalBlocker quiet(seconds);
    seconds->setValue(std::max(0.0, (range.to - range.from) / timing.tauPerSecond));
  };
  QObject::connect(from, &QDoubleSpinBox::valueChanged, &dialog, [&](double value) {
    range.from = value;
    showSeconds();
    show();
  });
  QObject::connect(to, &QDoubleSpinBox::valueChanged, &dialog, [&](double value) {
    range.to = value;
    showSeconds();
    show();
  });
  QObject::connect(seconds, &QDoubleSpinBox::valueChanged, &dialog, [&](double value) {
    range.to = range.from + value * timing.tauPerSecond;
    const QSignalBlocker quiet(to);
    to->setValue(range.to);
    show();
  });
  QObject::connect(rate, &QSpinBox::valueChanged, &dialog, [&](int value) {
    range.framesPerSecond = value;
    show();
  });
  show();
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  form->addRow(buttons);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return range;
}

Answer TestPrompts::message(const std::string& text, const std::string& caption, MessageButtons buttons,
                            MessageIcon) {
  asked.push_back({"message", text, caption, buttons});
  return takeFront(answers, Answer::cancel);
}

std::optional<std::string> TestPrompts::openFile(const FileFilter& filter) {
  asked.push_back({"open", filter.name, filter.pattern});
  return takeFront(files, std::optional<std::string>());
}

std::optional<std::string> TestPrompts::saveFile(const FileFilter& filter) {
  asked.push_back({"save", filter.name, filter.pattern});
  return takeFront(files, std::optional<std::string>());
}

std::optional<SaveChoice> TestPrompts::saveFileWithCheckBox(const FileFilter& filter,
                                                            const std::string& checkBox) {
  asked.push_back({"save", filter.name, filter.pattern, MessageButtons::ok, checkBox});
  const std::optional<std::string> file = takeFront(files, std::optional<std::string>());
  const bool checked = takeFront(checks, false);
  if (!file) return std::nullopt;
  return SaveChoice{*file, checked};
}

std::optional<std::uint32_t> TestPrompts::chooseColour(std::uint32_t) {
  asked.push_back({"colour", "", ""});
  return takeFront(colours, std::optional<std::uint32_t>());
}

std::optional<std::string> TestPrompts::chooseFolder(const std::string& caption) {
  asked.push_back({"folder", "", caption});
  return takeFront(folders, std::optional<std::string>());
}

std::optional<TimeRange> TestPrompts::chooseTimeRange(const std::string& caption, const TimeRange&,
                                                      const VideoTiming&) {
  asked.push_back({"times", "", caption});
  return takeFront(timeRanges, std::optional<TimeRange>());
}

}  // namespace vandrel::ui
