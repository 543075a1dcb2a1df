#include "editor/shell/export_commands.h"

#include <QProgressBar>
#include <QStatusBar>

#include <string>

#include "editor/shell/editor.h"
#include "editor/shell/frame_window.h"
#include "export/texture_set.h"
#include "platform/ui/prompts.h"

namespace vandrel::shell {

namespace {

constexpr int kDoneNoticeMilliseconds = 8000;

void tellFailure(const std::string& error) {
  ui::prompts().message(error, kTitle, ui::MessageButtons::ok, ui::MessageIcon::error);
}

void notice(const QString& text) {
  if (editor.frame) editor.frame->statusBar()->showMessage(text, kDoneNoticeMilliseconds);
}

// The status bar's bar counts what an export has done, repainted at once: the
// export runs inside the command.
class Progress {
 public:
  explicit Progress(const QString& format) : bar_(editor.frame ? editor.frame->progress() : nullptr) {
    if (!bar_) return;
    oldFormat_ = bar_->format();
    oldMaximum_ = bar_->maximum();
    bar_->setFormat(format);
  }
  ~Progress() {
    if (!bar_) return;
    bar_->setVisible(false);
    bar_->setFormat(oldFormat_);
    bar_->setMaximum(oldMaximum_);
  }
  void show(int done, int total) {
    if (!bar_) return;
    bar_->setMaximum(total);
    bar_->setValue(done);
    bar_->setVisible(true);
    bar_->repaint();
  }

 private:
  QProgressBar* bar_;
  QString oldFormat_;
  int oldMaximum_ = 0;
};

}  // namespace

void exportTextures() {
  const int total = exporting::textureSetSize();
  if (total == 0) {
    notice(QStringLiteral("Нет текстур для экспорта"));
    return;
  }
  const std::optional<std::string> folder = ui::prompts().chooseFolder("Экспорт текстур");
  if (!folder) return;
  Progress progress(QStringLiteral("Текстуры: %v из %m"));
  exporting::TextureSetProgress steps;
  steps.fileWritten = [&](int, int written, int all) { progress.show(written, all); };
  std::string error;
  if (!exporting::writeTextureSet(*folder, os::PngChannels::rgb, steps, &error)) {
    tellFailure(error);
    return;
  }
  notice(QStringLiteral("Текстур записано: %1 в %2").arg(total).arg(QString::fromStdString(*folder)));
}

}  // namespace vandrel::shell
