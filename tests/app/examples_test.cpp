#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/scene_commands.h"
#include "app/texture_command.h"
#include "render/device_setup.h"

namespace vandrel::app {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> exampleLogs() {
  std::vector<fs::path> logs;
  for (const auto& e : fs::directory_iterator(fs::path(VANDREL_SOURCE_DIR) / "examples"))
    if (e.path().extension() == ".vtx") logs.push_back(e.path());
  std::sort(logs.begin(), logs.end());
  return logs;
}

TEST(Examples, EveryLogRendersCleanlyIntoARichPicture) {
  const auto logs = exampleLogs();
  EXPECT_GE(logs.size(), 6u);
  const fs::path out = fs::path(::testing::TempDir()) / "example.raw";
  for (const auto& log : logs) {
    std::ostringstream err;
    ASSERT_EQ(runTextureCommand({log.string(), out.string(), 0}, err), 0) << log << err.str();
    EXPECT_TRUE(err.str().empty()) << log << ": " << err.str();
    std::ifstream in(out, std::ios::binary);
    std::string raw((std::istreambuf_iterator<char>(in)), {});
    ASSERT_GE(raw.size(), 32u * 32 * 4) << log;
    // A picture, not a flat fill: many distinct colours.
    std::set<std::uint32_t> colours;
    for (std::size_t i = 0; i + 4 <= raw.size(); i += 4) {
      std::uint32_t p;
      std::memcpy(&p, raw.data() + i, 4);
      colours.insert(p & 0xFFFFFF);
    }
    EXPECT_GT(colours.size(), 64u) << log;
  }
  fs::remove(out);
}

TEST(Examples, TheDemoPackRendersAFullPicture) {
  const fs::path out = fs::path(::testing::TempDir()) / "demo.png";
  SceneCommandOptions options;
  options.input = (fs::path(VANDREL_SOURCE_DIR) / "examples" / "demo.vsc").string();
  options.output = out.string();
  std::ostringstream err;
  ASSERT_EQ(runRenderCommand(options, err), 0) << err.str();
  // Many colours reach the screen: textures, lights, fog and the glow.
  const std::uint32_t* image = render::deviceSetup.device->backBuffer();
  std::set<std::uint32_t> colours(image, image + 640 * 480);
  EXPECT_GT(colours.size(), 2000u);
  render::releaseDevice();
  fs::remove(out);
}

}  // namespace
}  // namespace vandrel::app
