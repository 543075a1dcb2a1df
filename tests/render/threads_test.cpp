// A frame drawn on several threads is the frame drawn on one, bit for bit: the
// device's bands and parallel vertex shading, and the mesh rows, never change a
// pixel or a depth value.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/scene_commands.h"
#include "geometry/mesh_state.h"
#include "materials/materials.h"
#include "pack/document.h"
#include "platform/os/parallel.h"
#include "render/device_setup.h"
#include "render/frame.h"
#include "scene/catalogues.h"
#include "scene/modifier_kinds.h"
#include "scene/scene_store.h"

namespace vandrel::render {
namespace {

struct Picture {
  std::vector<std::uint32_t> colour;
  std::vector<std::uint16_t> depth;
  bool operator==(const Picture&) const = default;
};

Picture frameWith(int threads, float tau) {
  os::setThreadCount(threads);
  renderFrameAt(tau);
  os::setThreadCount(0);
  const gfx::Device& d = *deviceSetup.device;
  constexpr std::size_t kPixels = 640 * 480;
  return {{d.backBuffer(), d.backBuffer() + kPixels}, {d.depthBuffer(), d.depthBuffer() + kPixels}};
}

void expectSameOnEveryThreadCount(float tau) {
  const Picture one = frameWith(1, tau);
  for (int threads : {2, 3, 8}) {
    // EXPECT_TRUE keeps a failure from printing 300,000 pixels.
    EXPECT_TRUE(frameWith(threads, tau) == one) << threads << " threads at " << tau;
  }
}

TEST(FrameThreads, DemoPackIsTheSamePictureOnAnyThreadCount) {
  app::SceneCommandOptions options;
  options.input = std::string(VANDREL_SOURCE_DIR) + "/examples/demo.vsc";
  ASSERT_EQ(app::prepareScene(options), "");
  resetFrameState();
  for (float tau : {0.0f, 1.7f}) expectSameOnEveryThreadCount(tau);
  frameState.view.wireframe = 1;
  expectSameOnEveryThreadCount(0.4f);
  releaseDevice();
}

// Overlapping deformed spheres, some added over the others without depth writes
// and one crossing the near plane: every pixel is written many times, in order.
TEST(FrameThreads, CrowdedBlendedSceneIsTheSamePictureOnAnyThreadCount) {
  const pack::Document document;
  ASSERT_TRUE(createDevice());
  materials::Material& m = materials::materialStore.materials[1];
  m.Diffuse = {0.8f, 0.6f, 0.4f, 0.5f};
  m.Ambient = {0.1f, 0.1f, 0.1f, 0};
  m.Specular = {0.5f, 0.5f, 0.5f, 0};
  m.Power = 8;
  scene::Scene& sc = scene::currentSceneRecord();
  constexpr int kSpheres = 60;
  sc.objectCount = kSpheres + 1;
  for (int k = 0; k < kSpheres; ++k) {
    scene::SceneObject& o = scene::objectRecord(0, k) = scene::newSceneObject();
    o.material = 1;
    o.texture = k % 3 ? kWhiteTexture : 1;  // not entry 0: it holds the last frame
    o.alphaMode = static_cast<std::uint8_t>(k % 4 == 1 ? 1 : 0);
    o.scaleX = o.scaleY = o.scaleZ = static_cast<std::int16_t>(60 + k % 5 * 20);
    o.posX = static_cast<std::int16_t>((k % 10 - 5) * 40);
    o.posY = static_cast<std::int16_t>((k / 10 - 3) * 40);
    o.posZ = static_cast<std::int16_t>(k == 0 ? 1000 : 100 - k % 7 * 60);
    scene::ModifierList& list = scene::modifierList(0, k);
    list.count = 2;
    list.modifiers[0] = scene::Modifier{8, -4, 2, 24, 20, scene::kBreathe};
    list.modifiers[1] = scene::Modifier{0, 0, 0, 40, 30, scene::kTwistX};
  }
  scene::SceneObject& sun = scene::objectRecord(0, kSpheres) = scene::newSceneObject();
  sun.primitive = scene::kSun;
  sun.material = 1;
  sun.posX = 200;
  sun.posZ = 300;
  expectSameOnEveryThreadCount(0.9f);
  releaseDevice();
}

}  // namespace
}  // namespace vandrel::render
