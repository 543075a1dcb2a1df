// Times the ways out on the demo pack:
// - a 10 s video at 30 frames a second, 640 x 480, every frame drawn by the
//   software device and encoded as VP9 in WebM and as H.264 in MP4 ("fps" above
//   30 means the video is written faster than it plays);
// - the first scene as glTF, as the editor's export does it on a loaded document:
//   every object built in the world, every texture it uses rebuilt from its log and
//   compressed to PNG, and the file written (the target is well under a second).
//
//   build/export_bench

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "app/scene_commands.h"
#include "export/gltf_export.h"
#include "export/video.h"
#include "render/device_setup.h"
#include "render/frame.h"

using namespace vandrel;

namespace {

constexpr double kSeconds = 10;
constexpr int kRate = 30;

// The demo loaded headless, and a scratch folder for the outputs; both go with it.
class DemoOutput {
 public:
  explicit DemoOutput(benchmark::State& state) {
    app::SceneCommandOptions options;
    options.input = std::string(VANDREL_SOURCE_DIR) + "/examples/demo.vsc";
    const std::string problem = app::prepareScene(options);
    if (!problem.empty()) state.SkipWithError(problem.c_str());
    ready = problem.empty();
    render::resetFrameState();
    folder_ = std::filesystem::temp_directory_path() / ("vandrel_export_bench_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
  }
  ~DemoOutput() {
    std::filesystem::remove_all(folder_);
    render::releaseDevice();
  }
  std::string path(const char* extension) const { return (folder_ / (std::string("demo") + extension)).string(); }
  static double bytes(const std::string& path) {
    std::error_code missing;
    return static_cast<double>(std::filesystem::file_size(path, missing));
  }

  bool ready = false;

 private:
  std::filesystem::path folder_;
};

void writeDemoVideo(benchmark::State& state, const char* extension) {
  DemoOutput demo(state);
  if (!demo.ready) return;
  const std::string path = demo.path(extension);
  const exporting::VideoRange range{0, kSeconds * exporting::kTauPerSecond, kRate};
  std::string error;
  for (auto _ : state)
    if (!exporting::writeVideo(path, range, render::ViewToggles{}, {}, &error)) state.SkipWithError(error.c_str());
  state.counters["fps"] = benchmark::Counter(
      static_cast<double>(exporting::videoFrameCount(range)) * state.iterations(), benchmark::Counter::kIsRate);
  state.counters["bytes"] = DemoOutput::bytes(path);
}

void exportDemo(benchmark::State& state, const char* extension) {
  DemoOutput demo(state);
  if (!demo.ready) return;
  const std::string path = demo.path(extension);
  std::string error;
  for (auto _ : state) {
    if (!exporting::writeGltfScene(path, {}, nullptr, &error)) {
      state.SkipWithError(error.c_str());
      break;
    }
  }
  state.counters["bytes"] = DemoOutput::bytes(path);
}

}  // namespace

BENCHMARK_CAPTURE(writeDemoVideo, webm, ".webm")->Unit(benchmark::kSecond)->Iterations(2)->UseRealTime();
BENCHMARK_CAPTURE(writeDemoVideo, mp4, ".mp4")->Unit(benchmark::kSecond)->Iterations(2)->UseRealTime();
BENCHMARK_CAPTURE(exportDemo, glb, ".glb")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(exportDemo, gltf, ".gltf")->Unit(benchmark::kMillisecond);
