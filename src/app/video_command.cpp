#include "app/video_command.h"

#include <cmath>
#include <ostream>
#include <string>

#include "export/video.h"

namespace vandrel::app {

namespace {

constexpr int kBarWidth = 30;

int fail(std::ostream& err, const std::string& message) {
  err << "vandrel: " << message << '\n';
  return 1;
}

// "" or what is wrong with the range.
std::string checkRange(const VideoCommandOptions& v) {
  if (!v.from || !v.to || !v.fps) return "--from, --to и --fps задаются вместе";
  if (!std::isfinite(*v.from) || !std::isfinite(*v.to)) return "--from и --to должны быть числами";
  if (*v.from > *v.to) return "--from не может быть позже --to";
  if (*v.fps < 1 || *v.fps > exporting::kMaxVideoRate)
    return "--fps: число от 1 до " + std::to_string(exporting::kMaxVideoRate);
  if (exporting::videoRangeTooLong({*v.from, *v.to, *v.fps}))
    return "не больше " + std::to_string(exporting::kMaxVideoFrames) + " кадров: сократите диапазон или уменьшите --fps";
  return "";
}

void drawBar(std::ostream& err, int written, int total) {
  const int filled = static_cast<int>(static_cast<long long>(kBarWidth) * written / total);
  err << "\rвидео [" << std::string(filled, '#') << std::string(kBarWidth - filled, ' ') << "] " << written << '/'
      << total << std::flush;
}

}  // namespace

int runVideoCommand(const SceneCommandOptions& scene, const VideoCommandOptions& video, std::ostream& err,
                    bool terminal) {
  if (const std::string problem = checkRange(video); !problem.empty()) return fail(err, problem);
  if (exporting::videoKindOf(scene.output) == exporting::VideoKind::unknown)
    return fail(err, "«" + scene.output + "»: выход должен оканчиваться на .webm или .mp4 либо быть шаблоном PNG " +
                         "вида frame_%04d.png");
  SceneCommandOptions first = scene;
  first.tau = *video.from;
  if (const std::string problem = prepareScene(first); !problem.empty()) return fail(err, problem);

  const exporting::VideoRange range{*video.from, *video.to, *video.fps};
  render::ViewToggles view;
  view.cleanView = scene.cleanView;
  exporting::VideoProgress progress;
  bool barShown = false;
  if (terminal)
    progress.frameWritten = [&](int written, int total) {
      drawBar(err, written, total);
      barShown = true;
    };
  std::string error;
  const bool written = exporting::writeVideo(scene.output, range, view, progress, &error);
  if (barShown) err << '\n';
  if (!written) return fail(err, error);
  return 0;
}

}  // namespace vandrel::app
