#include "app/scene_commands.h"

#include <gtest/gtest.h>

#include "scratch_folder.h"

#include <sys/resource.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/memory_guard.h"
#include "geometry/mesh_build.h"
#include "geometry/mesh_state.h"
#include "pack/document.h"
#include "render/device_setup.h"
#include "render/frame.h"
#include "render/render_settings.h"
#include "scene/geometry_text.h"
#include "scene/scene_store.h"

namespace vandrel::app {
namespace {

namespace fs = std::filesystem;

class MeshCommand : public test::ScratchFolderTest {
 protected:
  pack::Document document;
  void SetUp() override {
    ScratchFolderTest::SetUp();
    // A scene layer with a sphere of 8 x 8 and a cube of 2 x 2 behind it.
    scene::currentObjectRecord().gridN = scene::currentObjectRecord().gridM = 8;
    scene::insertObject(false);
    scene::currentObjectRecord().primitive = 8;
    scene::currentObjectRecord().gridN = scene::currentObjectRecord().gridM = 2;
    scene::currentObjectRecord().posY = 300;
    std::ofstream(path("scene.vsl"), std::ios::binary) << scene::writeCurrentScene();
  }
  void TearDown() override {
    render::releaseDevice();
    ScratchFolderTest::TearDown();
  }
};

TEST_F(MeshCommand, WritesTheVerticesExactlyAsBuilt) {
  SceneCommandOptions o;
  o.input = path("scene.vsl");
  o.output = path("all.raw");
  o.eye = Vector3{-60, 250, -90};
  std::ostringstream err;
  ASSERT_EQ(runMeshCommand(o, err), 0) << err.str();
  const std::string all = slurp(o.output);
  ASSERT_EQ(all.size(), (8 * 8 * 6 + 36 * 2 * 2) * 36u);

  // Object 1 alone equals the tail of --all and a build of our own.
  o.object = 1;
  o.output = path("cube.raw");
  ASSERT_EQ(runMeshCommand(o, err), 0) << err.str();
  const std::string cube = slurp(o.output);
  EXPECT_EQ(cube, all.substr(8 * 8 * 6 * 36));
  scene::sceneStore.scenes[0].currentObject = 1;
  geometry::updateViewRotation(render::renderSettings.currentCamera);
  geometry::buildCurrentObjectMesh(render::meshInputs());
  ASSERT_EQ(geometry::meshState.vertexCount, 144);
  EXPECT_EQ(std::memcmp(cube.data(), geometry::meshState.vertices.data(), cube.size()), 0);

  o.output = path("cube.obj");
  ASSERT_EQ(runMeshCommand(o, err), 0);
  const std::string obj = slurp(o.output);
  EXPECT_EQ(std::count(obj.begin(), obj.end(), 'f'), 48);
  EXPECT_NE(obj.find("f 1/1/1 2/2/2 3/3/3\n"), std::string::npos);
}

TEST_F(MeshCommand, RenderWritesTheFrameAsAnOpaquePng) {
  SceneCommandOptions o;
  o.input = path("scene.vsl");
  o.output = path("frame.png");
  std::ostringstream err;
  ASSERT_EQ(runRenderCommand(o, err), 0) << err.str();
  const std::string png = slurp(o.output);
  EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
  EXPECT_EQ(png.substr(16, 8), std::string("\0\0\x02\x80\0\0\x01\xe0", 8));  // 640 x 480
  o.output = path("frame.raw");
  EXPECT_EQ(runRenderCommand(o, err), 1);
  EXPECT_FALSE(fs::exists(o.output));
}

TEST_F(MeshCommand, BadArgumentsAreOneLineErrorsAndWriteNothing) {
  SceneCommandOptions o;
  o.input = path("scene.vsl");
  o.output = path("x.raw");
  std::ostringstream err;
  o.object = 5;
  EXPECT_EQ(runMeshCommand(o, err), 1);
  o.object.reset();
  o.scene = 3;
  EXPECT_EQ(runMeshCommand(o, err), 1);
  o.scene = 0;
  o.input = path("missing.vsl");
  EXPECT_EQ(runMeshCommand(o, err), 1);
  o.input = path("scene.vsl");
  o.output = path("x.png");
  EXPECT_EQ(runMeshCommand(o, err), 1);
  EXPECT_FALSE(fs::exists(path("x.raw")));
  const std::string messages = err.str();
  EXPECT_EQ(std::count(messages.begin(), messages.end(), '\n'), 4) << messages;
  Vector3 v;
  EXPECT_TRUE(parseVector3("-60,250,-90", &v));
  EXPECT_EQ(v.z, -90);
  EXPECT_FALSE(parseVector3("1,2", &v));
  EXPECT_FALSE(parseVector3("1,2,3,4", &v));
}

// --all hands each object to the file as it is built: memory holds one mesh, not
// every object's and a copy of them all. An allocation that fails all the same is
// told in one line, not left to abort.
TEST_F(MeshCommand, AllObjectsStreamOutAndAFailedAllocationIsTold) {
  scene::Scene& sc = scene::currentSceneRecord();
  sc.objectCount = 6;
  for (int k = 0; k < sc.objectCount; ++k) {
    scene::SceneObject& o = scene::objectRecord(0, k);
    o = scene::newSceneObject();
    o.primitive = 8;
    o.gridN = o.gridM = 96;
  }
  std::ofstream(path("cubes.vsl"), std::ios::binary) << scene::writeCurrentScene();
  // The largest child's resident memory: one cube, then all six.
  auto peakAfter = [this](const std::string& which) {
    const std::string command = std::string("\"") + VANDREL_BINARY + "\" mesh \"" + path("cubes.vsl") + "\" " +
                                which + " -o \"" + path("cubes.raw") + "\"";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_maxrss;  // kilobytes
  };
  const long one = peakAfter("--object 0");
  const long all = peakAfter("--all");
  EXPECT_EQ(fs::file_size(path("cubes.raw")), 6u * 36 * 96 * 96 * 36);
  EXPECT_LT(all - one, 30'000) << "six meshes of 12 MB each were held at once";

  std::ostringstream err;
  EXPECT_EQ(runWithinMemory(err, []() -> int { throw std::bad_alloc(); }), 1);
  EXPECT_EQ(err.str(), "vandrel: недостаточно памяти\n");
}

}  // namespace
}  // namespace vandrel::app
