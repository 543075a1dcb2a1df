#include "platform/ui/prompts.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>

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

Answer QtPrompts::message(const std::string& text, const std::string& caption, MessageButtons buttons,
                          MessageIcon icon) {
  QMessageBox box(owner_);
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

std::optional<std::uint32_t> QtPrompts::chooseColour(std::uint32_t initial) {
  // QColorDialog keeps its 16 custom colours for the whole run, like the system chooser.
  const QColor chosen = QColorDialog::getColor(QColor::fromRgb(initial & 0xFFFFFFu), owner_);
  if (!chosen.isValid()) return std::nullopt;
  return chosen.rgb() & 0xFFFFFFu;
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

std::optional<std::uint32_t> TestPrompts::chooseColour(std::uint32_t) {
  asked.push_back({"colour", "", ""});
  return takeFront(colours, std::optional<std::uint32_t>());
}

}  // namespace vandrel::ui
