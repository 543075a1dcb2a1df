#include "editor/shell/help_window.h"

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QStringDecoder>
#include <QVBoxLayout>

#include "platform/os/files.h"
#include "editor/shell/editor.h"
#include "editor/shell/layouts.h"
#include <QMdiSubWindow>

namespace vandrel::shell {

namespace {

// Windows-1251 bytes 0x80..0xFF as Unicode (0x98 is unassigned).
constexpr char16_t kCp1251High[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039,
    0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408,
    0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB,
    0x0458, 0x0405, 0x0455, 0x0457};

QString fromCp1251(std::string_view bytes) {
  QString text;
  text.reserve(static_cast<qsizetype>(bytes.size()));
  for (char c : bytes) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (b < 0x80) text += QChar(b);
    else if (b < 0xC0) text += QChar(kCp1251High[b - 0x80]);
    else text += QChar(static_cast<char16_t>(0x0410 + (b - 0xC0)));  // А..я in order
  }
  return text;
}

}  // namespace

std::string helpTextFromBytes(std::string_view bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8);
  const QString text = utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  if (!utf8.hasError()) return text.toStdString();
  return fromCp1251(bytes).toStdString();
}

std::string readHelpText(const std::string& programDirectory) {
  std::string bytes;
  for (const std::string& folder :
       {startDirectory, programDirectory, programDirectory + "/" VANDREL_DATA_FROM_PROGRAM})
    if (os::readFileStart(folder + "/help.txt", kMaxHelpBytes, &bytes, nullptr)) return helpTextFromBytes(bytes);
  return {};
}

std::string readHelpText() { return readHelpText(QCoreApplication::applicationDirPath().toStdString()); }

HelpWindow::HelpWindow(QWidget* parent) : Dialog(parent) {
  setWindowTitle(QStringLiteral("Cправка"));  // the first letter is a Latin C
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(addMultilineEdit(kHelpText, true));
  setUnitSize(kHelpWidth, kHelpHeight);
}

QRect HelpWindow::documentedGeometry() const {
  const ui::DialogUnits u = units();
  return {QPoint(u.x(kHelpLeft), u.y(kHelpTop)), sizeHint()};
}

void showHelp() {
  if (!editor.help) return;
  editor.helpWindow->show();
  editor.help->setText(kHelpText, readHelpText());
  editor.helpWindow->show();
  editor.helpWindow->raise();
}

}  // namespace vandrel::shell
