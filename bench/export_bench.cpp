// Times writing the demo pack's first scene as glTF, as the editor's export does
// it on a loaded document: every object built in the world, every texture it uses
// rebuilt from its log and compressed to PNG, and the file written. The target is
// well under a second.
//
//   build/export_bench

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "app/scene_commands.h"
#include "export/gltf_export.h"
#include "render/device_setup.h"
#include "render/frame.h"

using namespace vandrel;

namespace {

void exportDemo(benchmark::State& state, const char* extension) {
  app::SceneCommandOptions options;
  options.input = std::string(VANDREL_SOURCE_DIR) + "/examples/demo.vsc";
  const std::string problem = app::prepareScene(options);
  if (!problem.empty()) {
    state.SkipWithError(problem.c_str());
    return;
  }
  render::resetFrameState();
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("vandrel_export_bench_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const std::string output = (folder / (std::string("demo") + extension)).string();
  std::string error;
  for (auto _ : state) {
    if (!exporting::writeGltfScene(output, {}, nullptr, &error)) {
      state.SkipWithError(error.c_str());
      break;
    }
  }
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(output));
  std::filesystem::remove_all(folder);
  render::releaseDevice();
}

}  // namespace

BENCHMARK_CAPTURE(exportDemo, glb, ".glb")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(exportDemo, gltf, ".gltf")->Unit(benchmark::kMillisecond);
