// A real web viewer (three.js in headless Chromium, tests/web/view.mjs) draws
// the glTF file we export, and what it shows must stand where our own frame
// draws the same scene from the same camera: colours may differ (lights, fog,
// materials), shapes, places and framing may not.

#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/scene_commands.h"
#include "platform/os/image_output.h"
#include "render/render_settings.h"

namespace vandrel {
namespace {

namespace fs = std::filesystem;

const fs::path kSource = VANDREL_SOURCE_DIR;
const fs::path kDemo = kSource / "examples" / "demo.vsc";
const fs::path kWeb = kSource / "tests" / "web";

// The viewer's background: a colour no lit, textured surface of the demo comes near.
constexpr char kViewerBackground[] = "ff00ff";
// Channel difference above which a pixel belongs to the scene. Our frame's
// background is not flat: the demo's full-screen glow tints it by a few levels.
constexpr int kThreshold = 16;
constexpr double kLeastOverlap = 0.9;

struct Picture {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;
  std::uint32_t at(std::size_t i) const { return rgb[3 * i] << 16 | rgb[3 * i + 1] << 8 | rgb[3 * i + 2]; }
  std::size_t size() const { return rgb.size() / 3; }
};

Picture readPng(const fs::path& file) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  Picture p;
  if (!png_image_begin_read_from_file(&image, file.c_str())) return p;
  image.format = PNG_FORMAT_RGB;
  p.rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, p.rgb.data(), 0, nullptr)) return {};
  p.width = image.width;
  p.height = image.height;
  return p;
}

// Our frame is mostly background, so its background is its commonest colour.
std::uint32_t commonestColour(const Picture& p) {
  std::map<std::uint32_t, int> counts;
  for (std::size_t i = 0; i < p.size(); ++i) ++counts[p.at(i)];
  return std::max_element(counts.begin(), counts.end(),
                          [](const auto& a, const auto& b) { return a.second < b.second; })
      ->first;
}

using Silhouette = std::vector<bool>;

Silhouette silhouette(const Picture& p, std::uint32_t background) {
  Silhouette s(p.size());
  for (std::size_t i = 0; i < p.size(); ++i)
    for (int shift : {16, 8, 0})
      if (std::abs(int(p.at(i) >> shift & 0xFF) - int(background >> shift & 0xFF)) > kThreshold) s[i] = true;
  return s;
}

double intersectionOverUnion(const Silhouette& a, const Silhouette& b) {
  std::size_t both = 0, either = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    both += a[i] && b[i];
    either += a[i] || b[i];
  }
  return either ? double(both) / double(either) : 1.0;
}

void writeSilhouette(const fs::path& file, const Silhouette& s, int width, int height) {
  std::vector<std::uint32_t> pixels(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) pixels[i] = s[i] ? 0xFFFFFFFF : 0xFF000000;
  std::string error;
  os::writeImage(file.string(), pixels.data(), width, height, &error, os::PngChannels::rgb);
}

std::string slurp(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string quoted(const fs::path& p) {
  std::string text = p.string();
  return text.insert(0, 1, '\'') + '\'';
}

// Where a tool is missing, the message says how to get it.
std::string missingWebClients() {
  std::string missing;
  if (std::system("command -v node >/dev/null 2>&1") != 0) missing += " node";
  if (!std::getenv("CHROMIUM") &&
      std::system("command -v chromium >/dev/null 2>&1 || command -v chromium-browser >/dev/null 2>&1") != 0)
    missing += " chromium";
  if (!fs::exists(kWeb / "node_modules" / "three")) missing += " tests/web/node_modules";
  return missing.empty() ? "" : "missing:" + missing + " (run scripts/setup.sh --tests)";
}

// The demo's first camera, and the first list entry that differs from it.
std::vector<int> demoCameras() {
  app::SceneCommandOptions options;
  options.input = kDemo.string();
  EXPECT_EQ(app::prepareScene(options), "");
  const auto& list = render::renderSettings.cameraList;
  for (int k = 1; k < render::kStoredCameras; ++k)
    if (std::memcmp(&list[k], &list[0], sizeof list[0]) != 0) return {0, k};
  return {0};
}

class WebViewer : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) / ("web_viewer_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  // Kept when something failed, for the silhouettes the message names.
  void TearDown() override {
    if (!HasFailure()) fs::remove_all(dir_);
  }

  // Runs a command line; "" when it succeeded, else what it printed.
  std::string run(const std::string& command) {
    const fs::path log = dir_ / "command.txt";
    if (std::system((command + " >" + quoted(log) + " 2>&1").c_str()) == 0) return "";
    return command + " failed:\n" + slurp(log);
  }

  // The demo with a camera its list lacks as entry 2: oblique, rolled by 30
  // degrees and with zoom 2, so that the roll's sign and the order of the view
  // rotations show. The view looks along eye minus target: the target lies
  // beyond the eye, away from the scene.
  fs::path demoWithObliqueCamera() {
    std::string text = slurp(kDemo);
    std::size_t line = text.find("camera_\n") + 8;
    for (int k = 0; k < 2; ++k) line = text.find('\n', line) + 1;
    text.replace(line, text.find('\n', line) - line, "128,-300,200,500,-600,400,1000,30,");
    const fs::path pack = dir_ / "oblique.vsc";
    std::ofstream(pack, std::ios::binary) << text;
    return pack;
  }

  fs::path dir_;
};

TEST_F(WebViewer, ShowsTheExportedDemoWhereOurFrameDrawsIt) {
  const std::string missing = missingWebClients();
  ASSERT_TRUE(missing.empty()) << missing;
  const std::string vandrel = VANDREL_BINARY;
  std::vector<std::pair<fs::path, int>> views;
  for (int camera : demoCameras()) views.emplace_back(kDemo, camera);
  views.emplace_back(demoWithObliqueCamera(), 2);
  for (const auto& [pack, camera] : views) {
    const std::string k = std::to_string(camera);
    SCOPED_TRACE(pack.filename().string() + ", camera " + k);
    const fs::path glb = dir_ / (k + ".glb"), theirs = dir_ / (k + "_viewer.png"),
                   ours = dir_ / (k + "_ours.png");
    ASSERT_EQ(run(vandrel + " export " + quoted(pack) + " --camera " + k + " -o " + quoted(glb)), "");
    ASSERT_EQ(run("node " + quoted(kWeb / "view.mjs") + " " + quoted(glb) + " " + quoted(theirs) +
                  " --width 640 --height 480 --background " + kViewerBackground),
              "");
    ASSERT_EQ(run(vandrel + " render " + quoted(pack) + " --camera " + k + " --clean -o " + quoted(ours)),
              "");

    const Picture viewer = readPng(theirs), frame = readPng(ours);
    for (const Picture* p : {&viewer, &frame}) {
      ASSERT_EQ(p->width, 640);
      ASSERT_EQ(p->height, 480);
    }
    const Silhouette a = silhouette(viewer, std::stoul(kViewerBackground, nullptr, 16));
    const Silhouette b = silhouette(frame, commonestColour(frame));
    // Two empty pictures would agree on nothing worth checking.
    ASSERT_GT(std::count(b.begin(), b.end(), true), long(b.size() / 50)) << "our frame shows no scene";
    const double overlap = intersectionOverUnion(a, b);
    const std::string shown = std::to_string(overlap);
    RecordProperty("overlap_camera_" + k, shown);
    if (overlap < kLeastOverlap) {
      const fs::path theirShape = dir_ / (k + "_viewer_silhouette.png"),
                     ourShape = dir_ / (k + "_ours_silhouette.png");
      writeSilhouette(theirShape, a, 640, 480);
      writeSilhouette(ourShape, b, 640, 480);
      ADD_FAILURE() << "silhouettes overlap by " << shown << " only: " << theirShape << " and " << ourShape
                    << "; pictures: " << theirs << " and " << ours;
    }
  }
}

}  // namespace
}  // namespace vandrel
