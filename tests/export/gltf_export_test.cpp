#include "export/gltf_export.h"

#include <gtest/gtest.h>
#include <tiny_gltf.h>

#include <sys/mount.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <vector>

#include "../app/scratch_folder.h"
#include "app/export_command.h"
#include "app/scene_commands.h"
#include "geometry/clones.h"
#include "geometry/mesh_build.h"
#include "geometry/mesh_state.h"
#include "materials/materials.h"
#include "pack/complex_pack.h"
#include "pack/document.h"
#include "render/device_setup.h"
#include "render/frame.h"
#include "render/render_settings.h"
#include "scene/catalogues.h"
#include "scene/scene_store.h"
#include "texgen/texture_log_file.h"
#include "texgen/texture_store.h"

namespace vandrel::exporting {
namespace {

namespace fs = std::filesystem;
using Vec = std::array<double, 3>;

const std::string kDemo = std::string(VANDREL_SOURCE_DIR) + "/examples/demo.vsc";

tinygltf::Model readGlb(const std::string& path) {
  tinygltf::TinyGLTF loader;
  tinygltf::Model model;
  std::string error, warning;
  EXPECT_TRUE(loader.LoadBinaryFromFile(&model, &error, &warning, path)) << error;
  return model;
}

std::vector<float> floats(const tinygltf::Model& m, int accessor) {
  const tinygltf::Accessor& a = m.accessors.at(accessor);
  const tinygltf::BufferView& v = m.bufferViews.at(a.bufferView);
  const int n = tinygltf::GetNumComponentsInType(a.type);
  std::vector<float> out(a.count * n);
  std::memcpy(out.data(), m.buffers.at(v.buffer).data.data() + v.byteOffset + a.byteOffset, out.size() * 4);
  return out;
}

// The object number a mesh node carries in its name ("объект 3: сфера"), or -1.
int objectOf(const tinygltf::Node& node) {
  int object = -1;
  return node.mesh >= 0 && std::sscanf(node.name.c_str(), "объект %d", &object) == 1 ? object : -1;
}

// A point through a glTF camera node onto the screen: x and y from -1 to 1.
std::array<double, 2> throughGltfCamera(const tinygltf::Model& m, const tinygltf::Node& node, Vec w) {
  const tinygltf::PerspectiveCamera& p = m.cameras.at(node.camera).perspective;
  const double x = node.rotation[0], y = node.rotation[1], z = node.rotation[2], s = node.rotation[3];
  const Vec d{w[0] - node.translation[0], w[1] - node.translation[1], w[2] - node.translation[2]};
  // The inverse rotation (conjugate quaternion) takes the point into the camera's frame.
  const double R[3][3] = {{1 - 2 * (y * y + z * z), 2 * (x * y - s * z), 2 * (x * z + s * y)},
                          {2 * (x * y + s * z), 1 - 2 * (x * x + z * z), 2 * (y * z - s * x)},
                          {2 * (x * z - s * y), 2 * (y * z + s * x), 1 - 2 * (x * x + y * y)}};
  Vec local{};
  for (int r = 0; r < 3; ++r) local[r] = R[0][r] * d[0] + R[1][r] * d[1] + R[2][r] * d[2];
  const double t = std::tan(p.yfov / 2);
  return {local[0] / -local[2] / (p.aspectRatio * t), local[1] / -local[2] / t};
}

// A Direct3D vertex as built for a frame through the renderer's fixed view and projection.
std::array<double, 2> throughRenderer(const gfx::Vertex& v) {
  const gfx::D3DMATRIX p = render::projectionMatrix();
  const double depth = v.y + 4;  // the fixed view: (x, y, z) -> (x, -z, y + 4)
  return {p.m[0][0] * v.x / depth, p.m[1][1] * -v.z / depth};
}

class GltfExport : public app::test::ScratchFolderTest {
 protected:
  void TearDown() override {
    render::releaseDevice();
    ScratchFolderTest::TearDown();
  }
  pack::Document document;
};

// Each exported mesh is `vandrel mesh` of its object seen by a camera that does not
// turn the world (after the half turn to glTF's axes), nothing is exported for what
// draws nothing, and the document is left exactly as the export found it.
TEST_F(GltfExport, MeshesAreTheWorldMeshesOfTheMeshCommandAndTheDocumentStays) {
  app::SceneCommandOptions o;
  o.input = kDemo;
  o.tau = 1.5;
  o.output = path("demo.glb");
  std::ostringstream err;
  ASSERT_EQ(app::runExportCommand(o, err), 0) << err.str();
  EXPECT_NE(err.str().find("туман"), std::string::npos) << err.str();
  const tinygltf::Model model = readGlb(o.output);

  std::map<int, const tinygltf::Node*> nodeOf;
  for (const tinygltf::Node& n : model.nodes)
    if (objectOf(n) >= 0) nodeOf[objectOf(n)] = &n;
  const int objects = scene::currentSceneRecord().objectCount;
  std::vector<scene::SceneObject> records;
  geometry::expandClones();
  for (int i = 0; i < objects; ++i) records.push_back(scene::objectRecord(0, i));
  int meshes = 0;
  for (int i = 0; i < objects; ++i) {
    SCOPED_TRACE("object " + std::to_string(i));
    app::SceneCommandOptions mesh = o;
    mesh.object = i;
    mesh.eye = app::Vector3{0, 0, 0};
    mesh.target = app::Vector3{0, 0, -1};
    mesh.angle = 0;
    mesh.zoom = 1;
    mesh.output = path("object.raw");
    ASSERT_EQ(app::runMeshCommand(mesh, err), 0) << err.str();
    const std::string raw = slurp(mesh.output);
    std::vector<gfx::Vertex> built(raw.size() / sizeof(gfx::Vertex));
    if (!raw.empty()) std::memcpy(built.data(), raw.data(), raw.size());
    const scene::SceneObject& r = records[i];
    const bool drawsNothing = r.primitive >= scene::kPostprocessor && r.primitive != scene::kTorus &&
                              r.primitive != scene::kLandscapeOnTorus;
    if (drawsNothing || r.normalMode == 5 || built.empty()) {
      EXPECT_FALSE(nodeOf.contains(i));
      continue;
    }
    ASSERT_TRUE(nodeOf.contains(i));
    ++meshes;
    const tinygltf::Primitive& p = model.meshes.at(nodeOf[i]->mesh).primitives.at(0);
    const std::vector<float> positions = floats(model, p.attributes.at("POSITION"));
    ASSERT_EQ(positions.size(), built.size() * 3);
    auto near = [&](std::size_t k, const gfx::Vertex& v) {
      return std::abs(positions[3 * k] - v.x) < 1e-4 && std::abs(positions[3 * k + 1] + v.z) < 1e-4 &&
             std::abs(positions[3 * k + 2] + v.y) < 1e-4;
    };
    for (std::size_t t = 0; t < built.size(); t += 3) {
      // The same corners; glTF's front faces turn the other way, so the last two may swap.
      ASSERT_TRUE(near(t, built[t])) << "vertex " << t;
      ASSERT_TRUE((near(t + 1, built[t + 1]) && near(t + 2, built[t + 2])) ||
                  (near(t + 1, built[t + 2]) && near(t + 2, built[t + 1])))
          << "triangle " << t / 3;
    }
  }
  EXPECT_GT(meshes, 5);
  EXPECT_EQ(nodeOf.size(), static_cast<std::size_t>(meshes));

  // In the editor: a frame drawn, a clone slot changed by hand and the 3D view
  // turned; after an export the same frame is drawn and nothing differs.
  o.output = path("again.glb");
  ASSERT_EQ(app::prepareScene(o), "");
  render::resetFrameState();
  std::vector<std::uint32_t> presented;
  render::deviceSetup.device->setPresentHandler([&](const std::uint32_t* pixels, int width, int height) {
    presented.assign(pixels, pixels + static_cast<std::size_t>(width) * height);
  });
  // The second frame: the postprocessor shows the first through texture entry 0.
  render::renderFrameAt(1.5f);
  render::renderFrameAt(1.5f);
  const std::vector<std::uint32_t> before = presented;
  scene::sceneStore.scenes[0].currentObject = 3;
  geometry::viewMode = 1;
  int copy = 1;
  while (scene::cloneRule(0, copy - 1).cloneCount == 0) ++copy;
  scene::objectRecord(0, copy).posX = 1234;  // expansion writes it again
  const geometry::MeshState& m = geometry::meshState;
  const std::vector<gfx::Vertex> lastMesh(m.vertices.begin(), m.vertices.begin() + m.vertexCount);
  const double rotation[6] = {m.c1, m.s1, m.c2, m.s2, m.c3, m.s3};
  const render::Camera camera = render::renderSettings.currentCamera;
  const int slot = texgen::textureStore.currentSlot;
  const std::vector<std::uint32_t> slotImage(texgen::layer(texgen::textureStore.entryCount),
                                             texgen::layer(texgen::textureStore.entryCount) + texgen::layerPixels());
  GltfReport report;
  std::string error;
  ASSERT_TRUE(writeGltfScene(o.output, {}, &report, &error)) << error;
  EXPECT_EQ(slurp(o.output).size(), slurp(path("demo.glb")).size());
  EXPECT_EQ(scene::sceneStore.scenes[0].currentObject, 3);
  EXPECT_EQ(geometry::viewMode, 1);
  EXPECT_EQ(scene::objectRecord(0, copy).posX, 1234);
  ASSERT_EQ(m.vertexCount, static_cast<int>(lastMesh.size()));
  EXPECT_EQ(std::memcmp(m.vertices.data(), lastMesh.data(), lastMesh.size() * sizeof(gfx::Vertex)), 0);
  EXPECT_EQ(std::memcmp(rotation, &m.c1, sizeof rotation), 0);
  EXPECT_EQ(std::memcmp(&camera, &render::renderSettings.currentCamera, sizeof camera), 0);
  EXPECT_EQ(texgen::textureStore.currentSlot, slot);
  EXPECT_EQ(std::memcmp(slotImage.data(), texgen::layer(texgen::textureStore.entryCount), slotImage.size() * 4), 0);
  geometry::viewMode = 0;
  scene::sceneStore.scenes[0].currentObject = 0;
  render::renderFrameAt(1.5f);
  EXPECT_TRUE(presented == before) << "the frame after the export differs";
}

class GltfMapping : public GltfExport {
 protected:
  void SetUp() override {
    GltfExport::SetUp();
    render::createDevice();
    // Slot 1 with a log whose alpha varies: a texture for the objects below.
    texgen::readLog("tsize=32;\nPlasm(40,0,100,30);\nend\n");
    materials::Material& m = materials::materialStore.materials[1];
    m.Diffuse = {0.5f, 2.0f, 0.25f, 0};
    m.Specular = {1, 1, 1, 0};
    m.Power = 30;
    m.Emissive = {0.125f, 0, 0, 0};
    materials::materialStore.stageType[2] = materials::kStageAdd;
    scene::Scene& sc = scene::currentSceneRecord();
    const std::uint8_t kinds[][4] = {
        // primitive, alpha mode, normal mode, material
        {scene::kSphere, 0, 0, 1}, {scene::kPlane, 6, 2, 1}, {scene::kTube, 1, 1, 1},
        {scene::kCube, 3, 4, 2},   {scene::kSun, 0, 0, 1},   {scene::kLamp, 0, 0, 1},
        {scene::kTorus, 0, 5, 1},  {scene::kZbufCleaner, 0, 0, 1}, {scene::kPostprocessor, 0, 0, 1}};
    sc.objectCount = std::size(kinds);
    for (int i = 0; i < sc.objectCount; ++i) {
      scene::SceneObject& o = scene::objectRecord(0, i);
      o = scene::newSceneObject();
      o.primitive = kinds[i][0];
      o.alphaMode = kinds[i][1];
      o.normalMode = kinds[i][2];
      o.material = kinds[i][3];
      o.gridN = o.gridM = 6;
      o.posX = static_cast<std::int16_t>(i * 150 - 600);
      o.posY = static_cast<std::int16_t>(i * 20);
      o.posZ = static_cast<std::int16_t>(300 + i * 10);
    }
    scene::objectRecord(0, 5).scaleX = 128;
    render::renderSettings.currentCamera = {100, -50, -300, -20, 30, 500, 0.3, 1.5};
    render::renderSettings.cameraList[7] = {0, 0, 0, 0, 0, 100, 0, 2.0};
  }
};

// Materials, alpha modes, lights and cameras as stated; the first camera sees the
// world's points where the renderer draws them.
TEST_F(GltfMapping, MaterialsLightsAndCamerasMapAsStated) {
  GltfReport report;
  std::string error;
  std::vector<std::pair<int, int>> steps;
  GltfProgress progress;
  progress.step = [&](int done, int total) { steps.emplace_back(done, total); };
  ASSERT_TRUE(writeGltfScene(path("mapped.glb"), progress, &report, &error)) << error;
  // Nine objects, then the one texture, counted against a total known from the start.
  ASSERT_EQ(steps.size(), 10u);
  for (std::size_t k = 0; k < steps.size(); ++k) EXPECT_EQ(steps[k], std::make_pair(int(k) + 1, 10));
  EXPECT_EQ(report.leftOut,
            "в glTF не вошли: постпроцессоры (1), zbuf cleaner (1), второй слой текстуры с отражением (1), туман");
  const tinygltf::Model model = readGlb(path("mapped.glb"));

  std::map<int, const tinygltf::Material*> materialOf;
  for (const tinygltf::Node& n : model.nodes)
    if (objectOf(n) >= 0) materialOf[objectOf(n)] = &model.materials.at(model.meshes.at(n.mesh).primitives[0].material);
  ASSERT_EQ(materialOf.size(), 4u);  // no sun, lamp, invisible torus, cleaner or postprocessor

  const tinygltf::Material& opaque = *materialOf[0];
  EXPECT_EQ(opaque.alphaMode, "OPAQUE");
  EXPECT_FALSE(opaque.doubleSided);
  EXPECT_EQ(opaque.pbrMetallicRoughness.baseColorFactor, (std::vector<double>{0.5, 1.0, 0.25, 1.0}));
  EXPECT_NEAR(opaque.pbrMetallicRoughness.roughnessFactor, 0.5, 1e-12);  // (2 / 32) ^ (1/4)
  EXPECT_EQ(opaque.pbrMetallicRoughness.metallicFactor, 0);
  EXPECT_EQ(opaque.emissiveFactor, (std::vector<double>{0.125, 0, 0}));
  const tinygltf::Material& masked = *materialOf[1];
  EXPECT_EQ(masked.alphaMode, "MASK");
  EXPECT_DOUBLE_EQ(masked.alphaCutoff, 1.0 / 255);
  const tinygltf::Material& added = *materialOf[2];
  EXPECT_EQ(added.alphaMode, "BLEND");
  EXPECT_TRUE(added.doubleSided);
  EXPECT_EQ(added.extras.Get("alphaMode").Get<std::string>(), "альфа +");
  EXPECT_EQ(materialOf[3]->extras.Get("alphaMode").Get<std::string>(), "альфа - (реверс)");
  EXPECT_EQ(materialOf[3]->pbrMetallicRoughness.baseColorTexture.index, opaque.pbrMetallicRoughness.baseColorTexture.index);
  // Slot 1 once, as RGBA since an object takes its alpha channel, at its 32 x 32.
  ASSERT_EQ(model.images.size(), 1u);
  EXPECT_EQ(model.images[0].width, 32);
  EXPECT_EQ(model.images[0].component, 4);
  EXPECT_EQ(opaque.pbrMetallicRoughness.baseColorTexture.index, masked.pbrMetallicRoughness.baseColorTexture.index);

  // The sun shines from its place towards the origin; the lamp reaches scaleX / 64.
  ASSERT_EQ(model.lights.size(), 2u);
  EXPECT_EQ(model.lights[0].type, "directional");
  EXPECT_EQ(model.lights[1].type, "point");
  EXPECT_DOUBLE_EQ(model.lights[1].range, 2.0);
  EXPECT_EQ(model.lights[0].color, (std::vector<double>{0.25, 1.0, 0.125}));
  EXPECT_DOUBLE_EQ(model.lights[0].intensity, 2.0);

  // The current camera first, then the stored ones that differ (the start-up one and entry 7).
  ASSERT_EQ(model.cameras.size(), 3u);
  const tinygltf::Node& first = model.nodes.at(model.scenes[0].nodes[0]);
  ASSERT_EQ(first.camera, 0);
  EXPECT_NEAR(model.cameras[0].perspective.yfov, 2 * std::atan(0.75), 1e-6);
  EXPECT_DOUBLE_EQ(model.cameras[0].perspective.aspectRatio, 640.0 / 480);
  EXPECT_NEAR(model.cameras[0].perspective.znear, 0.5 / 1.5, 1e-3);
  // Every corner of the sphere (culling counter-clockwise triangles) and of the
  // plane (culling clockwise ones) lands on the screen where the renderer puts it,
  // and a triangle the renderer draws faces a glTF viewer with its front.
  for (int object : {0, 1}) {
    SCOPED_TRACE("object " + std::to_string(object));
    scene::sceneStore.scenes[0].currentObject = static_cast<std::uint8_t>(object);
    geometry::updateViewRotation(render::renderSettings.currentCamera);
    geometry::buildCurrentObjectMesh(render::meshInputs());
    const geometry::MeshState& m = geometry::meshState;
    const tinygltf::Node* node = nullptr;
    for (const tinygltf::Node& n : model.nodes)
      if (objectOf(n) == object) node = &n;
    const std::vector<float> world = floats(model, model.meshes.at(node->mesh).primitives[0].attributes.at("POSITION"));
    ASSERT_EQ(world.size(), m.vertexCount * 3u);
    auto area = [](const std::array<std::array<double, 2>, 3>& p) {  // > 0: counter-clockwise, y up
      return (p[1][0] - p[0][0]) * (p[2][1] - p[0][1]) - (p[2][0] - p[0][0]) * (p[1][1] - p[0][1]);
    };
    int fronts = 0;
    for (int t = 0; t < m.vertexCount; t += 3) {
      std::array<std::array<double, 2>, 3> seen, drawn;
      for (int k = 0; k < 3; ++k) {
        seen[k] = throughGltfCamera(model, first, {world[3 * (t + k)], world[3 * (t + k) + 1], world[3 * (t + k) + 2]});
        drawn[k] = throughRenderer(m.vertices[t + k]);
      }
      ASSERT_NEAR(seen[0][0], drawn[0][0], 1e-4) << t;
      ASSERT_NEAR(seen[0][1], drawn[0][1], 1e-4) << t;
      if (std::abs(area(drawn)) < 1e-9) continue;
      const bool rendererDraws = object == 0 ? area(drawn) < 0 : area(drawn) > 0;
      EXPECT_EQ(area(seen) > 0, rendererDraws) << "triangle " << t / 3;
      fronts += rendererDraws;
    }
    EXPECT_GT(fronts, 0);
  }
}

// The Khronos validator accepts every example pack and a scene of every primitive,
// alpha mode and clone kind without an error or a warning.
TEST_F(GltfMapping, TheKhronosValidatorFindsNoErrorOrWarning) {
  const std::string web = std::string(VANDREL_SOURCE_DIR) + "/tests/web";
  ASSERT_TRUE(fs::exists(web + "/node_modules/gltf-validator") && std::system("node --version > /dev/null 2>&1") == 0)
      << "node or the gltf-validator package is missing: run scripts/setup.sh --tests";
  std::vector<std::string> files;
  std::string error;
  // Every primitive, alpha mode and normal mode; then a leader for each clone kind.
  scene::Scene& sc = scene::currentSceneRecord();
  sc.objectCount = 0;
  for (int k = 0; k < scene::kPrimitiveKinds; ++k) {
    scene::SceneObject& o = scene::objectRecord(0, sc.objectCount++);
    o = scene::newSceneObject();
    o.primitive = static_cast<std::uint8_t>(k);
    o.alphaMode = static_cast<std::uint8_t>(k % scene::kAlphaModes);
    o.normalMode = static_cast<std::uint8_t>(k % scene::kNormalModes);
    o.material = 1;
    o.posX = static_cast<std::int16_t>(k * 100);
  }
  for (int kind = 0; kind < scene::kCloneKinds; ++kind) {
    const int leader = sc.objectCount;
    scene::SceneObject& o = scene::objectRecord(0, leader);
    o = scene::newSceneObject();
    o.gridN = o.gridM = 8;
    o.posY = static_cast<std::int16_t>(kind * 150);
    scene::cloneRule(0, leader) = {static_cast<std::uint8_t>(kind), 3, 96};
    sc.objectCount = static_cast<std::uint8_t>(leader + 4);
  }
  ASSERT_TRUE(writeGltfScene(path("every.glb"), {}, nullptr, &error)) << error;
  files.push_back(path("every.glb"));
  for (const auto& entry : fs::directory_iterator(std::string(VANDREL_SOURCE_DIR) + "/examples")) {
    if (entry.path().extension() != ".vsc") continue;
    app::SceneCommandOptions o;
    o.input = entry.path().string();
    o.output = path(entry.path().stem().string() + ".glb");
    std::ostringstream err;
    ASSERT_EQ(app::runExportCommand(o, err), 0) << err.str();
    files.push_back(o.output);
  }
  std::string command = "node " + web + "/validate.mjs";
  for (const std::string& f : files) command += " '" + f + "'";
  command += " 2>&1";
  std::string output;
  FILE* pipe = ::popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  char buffer[4096];
  while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
  const int status = ::pclose(pipe);
  EXPECT_EQ(status, 0) << output;
  EXPECT_NE(output.find("every.glb: errors 0, warnings 0"), std::string::npos) << output;
  EXPECT_NE(output.find("demo.glb: errors 0, warnings 0"), std::string::npos) << output;
}

// Bad input says so in one line, exits non-zero and leaves no file behind.
TEST_F(GltfExport, BadInputWritesNothing) {
  struct Case {
    int scene = 0, quality = 128;
    std::optional<int> camera;
    std::string output, message;
  };
  fs::create_directory(path("folder"));
  file("plain", "not a folder");
  const Case cases[] = {
      {5, 128, {}, path("x.glb"), "--scene 5"},
      {0, 999, {}, path("x.glb"), "--quality"},
      {0, 128, 300, path("x.glb"), "--camera"},
      {0, 128, {}, path("x.obj"), ".glb или .gltf"},
      {0, 128, {}, path("plain/x.glb"), "plain/x.glb"},
      {0, 128, {}, path("folder"), ".glb или .gltf"},
  };
  for (const Case& c : cases) {
    app::SceneCommandOptions o;
    o.input = kDemo;
    o.scene = c.scene;
    o.quality = c.quality;
    o.camera = c.camera;
    o.output = c.output;
    std::ostringstream err;
    EXPECT_EQ(app::runExportCommand(o, err), 1) << c.message;
    const std::string said = err.str();
    EXPECT_NE(said.find(c.message), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  }
  EXPECT_FALSE(exists("x.glb"));

  const std::string disk = path("disk");
  fs::create_directory(disk);
  if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k") != 0)
    GTEST_SKIP() << "cannot mount a small tmpfs here (needs root): the full-disk case is not tried";
  struct Unmount {
    std::string at;
    ~Unmount() { ::umount(at.c_str()); }
  } unmount{disk};
  for (const char* name : {"/demo.glb", "/demo.gltf"}) {
    app::SceneCommandOptions o;
    o.input = kDemo;
    o.output = disk + name;
    std::ostringstream err;
    EXPECT_EQ(app::runExportCommand(o, err), 1);
    EXPECT_NE(err.str().find("на устройстве не осталось места"), std::string::npos) << err.str();
    EXPECT_EQ(std::distance(fs::directory_iterator(disk), fs::directory_iterator()), 0) << name;
  }
}

}  // namespace
}  // namespace vandrel::exporting
