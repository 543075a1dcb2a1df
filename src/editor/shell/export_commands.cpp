#include "editor/shell/export_commands.h"

#include <QStatusBar>

#include <string>

#include "editor/shell/editor.h"
#include "editor/shell/frame_window.h"
#include "editor/shell/long_work.h"
#include "export/gltf_export.h"
#include "export/texture_set.h"
#include "export/video.h"
#include "platform/ui/prompts.h"
#include "render/frame.h"

namespace vandrel::shell {

namespace {

constexpr int kDoneNoticeMilliseconds = 8000;
const ui::FileFilter kGltfFilter{"glTF 2.0", "*.glb *.gltf"};
const ui::FileFilter kVideoFilter{"Видео", "*.webm *.mp4 *.png"};
// What the chooser first offers: the first three seconds at the view's speed.
constexpr double kDefaultVideoSeconds = 3;
constexpr int kDefaultVideoRate = 30;

void tellFailure(const std::string& error) {
  ui::prompts().message(error, kTitle, ui::MessageButtons::ok, ui::MessageIcon::error);
}

void notice(const QString& text) {
  if (editor.frame) editor.frame->statusBar()->showMessage(text, kDoneNoticeMilliseconds);
}

// A cancelled export wrote nothing; that is all there is to say.
void tellFailureOrCancel(LongWork& work, const std::string& error) {
  work.end();
  if (work.cancelled())
    notice(QStringLiteral("Отменено: ничего не записано"));
  else
    tellFailure(error);
}

}  // namespace

void exportScene() {
  const std::optional<std::string> path = ui::prompts().saveFile(kGltfFilter);
  if (!path) return;
  LongWork work(QStringLiteral("Запись сцены в glTF..."));
  exporting::GltfProgress steps;
  steps.step = [&](int done, int total) { work.step(done, total); };
  steps.stop = [&] { return work.cancelled(); };
  exporting::GltfReport report;
  std::string error;
  if (!exporting::writeGltfScene(*path, steps, &report, &error)) {
    tellFailureOrCancel(work, error);
    return;
  }
  QString text = QStringLiteral("Сцена записана: %1").arg(QString::fromStdString(*path));
  if (!report.leftOut.empty()) text += QStringLiteral("; ") + QString::fromStdString(report.leftOut);
  notice(text);
}

void exportTextures() {
  const int total = exporting::textureSetSize();
  if (total == 0) {
    notice(QStringLiteral("Нет текстур для экспорта"));
    return;
  }
  const std::optional<std::string> folder = ui::prompts().chooseFolder("Экспорт текстур");
  if (!folder) return;
  LongWork work(QStringLiteral("Экспорт текстур..."));
  exporting::TextureSetProgress steps;
  steps.fileWritten = [&](int, int written, int all) { work.step(written, all); };
  steps.stop = [&] { return work.cancelled(); };
  std::string error;
  if (!exporting::writeTextureSet(*folder, os::PngChannels::rgb, steps, &error)) {
    tellFailureOrCancel(work, error);
    return;
  }
  notice(QStringLiteral("Текстур записано: %1 в %2").arg(total).arg(QString::fromStdString(*folder)));
}

void recordVideo() {
  const ui::TimeRange initial{0, kDefaultVideoSeconds * exporting::kTauPerSecond, kDefaultVideoRate};
  ui::VideoTiming timing;
  timing.tauPerSecond = exporting::kTauPerSecond;
  timing.frameCount = [](const ui::TimeRange& t) {
    return t.to < t.from ? 0 : exporting::videoFrameCount({t.from, t.to, t.framesPerSecond});
  };
  const std::optional<ui::TimeRange> times = ui::prompts().chooseTimeRange("Записать видео", initial, timing);
  if (!times) return;
  const exporting::VideoRange range{times->from, times->to, times->framesPerSecond};
  if (range.to < range.from) {
    tellFailure("Конец видео раньше его начала");
    return;
  }
  if (exporting::videoRangeTooLong(range)) {
    tellFailure("Видео длиннее " + std::to_string(exporting::kMaxVideoFrames) + " кадров");
    return;
  }
  const std::optional<std::string> path = ui::prompts().saveFile(kVideoFilter);
  if (!path) return;
  LongWork work(QStringLiteral("Запись видео..."));
  exporting::VideoProgress steps;
  steps.frameWritten = [&](int written, int total) { work.step(written, total); };
  steps.stop = [&] { return work.cancelled(); };
  std::string error;
  if (!exporting::writeVideo(*path, range, render::frameState.view, steps, &error)) {
    tellFailureOrCancel(work, error);
    return;
  }
  notice(QStringLiteral("Видео записано: %1 (кадров: %2)")
             .arg(QString::fromStdString(*path))
             .arg(exporting::videoFrameCount(range)));
}

}  // namespace vandrel::shell
