// Times a 10 s video of the demo pack at 30 frames a second, 640 x 480: every
// frame drawn by the software device and encoded, as VP9 in WebM and as H.264 in
// MP4. "fps" above 30 means the video is written faster than it plays.
//
//   build/export_bench

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "app/scene_commands.h"
#include "export/video.h"
#include "render/device_setup.h"

using namespace vandrel;

namespace {

constexpr double kSeconds = 10;
constexpr int kRate = 30;

void writeDemoVideo(benchmark::State& state, const char* extension) {
  app::SceneCommandOptions options;
  options.input = std::string(VANDREL_SOURCE_DIR) + "/examples/demo.vsc";
  const std::string problem = app::prepareScene(options);
  if (!problem.empty()) {
    state.SkipWithError(problem.c_str());
    return;
  }
  const std::string path = (std::filesystem::temp_directory_path() / (std::string("export_bench") + extension)).string();
  const exporting::VideoRange range{0, kSeconds, kRate};
  std::string error;
  for (auto _ : state)
    if (!exporting::writeVideo(path, range, render::ViewToggles{}, {}, &error)) state.SkipWithError(error.c_str());
  state.counters["fps"] =
      benchmark::Counter(static_cast<double>(exporting::videoFrameCount(range)) * state.iterations(),
                         benchmark::Counter::kIsRate);
  std::error_code missing;
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path, missing));
  std::remove(path.c_str());
  render::releaseDevice();
}

void webmVideo(benchmark::State& state) { writeDemoVideo(state, ".webm"); }
void mp4Video(benchmark::State& state) { writeDemoVideo(state, ".mp4"); }

}  // namespace

BENCHMARK(webmVideo)->Unit(benchmark::kSecond)->Iterations(2)->UseRealTime();
BENCHMARK(mp4Video)->Unit(benchmark::kSecond)->Iterations(2)->UseRealTime();
