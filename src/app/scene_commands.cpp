#include "app/scene_commands.h"

#include <cstdio>
#include <cstring>
#include <ostream>
#include <sstream>
#include <vector>

#include "platform/os/image_output.h"
#include "geometry/clones.h"
#include "geometry/mesh_build.h"
#include "geometry/mesh_state.h"
#include "pack/complex_pack.h"
#include "pack/document.h"
#include "platform/os/files.h"
#include "platform/os/text_checks.h"
#include "render/device_setup.h"
#include "render/frame.h"
#include "render/render_settings.h"
#include "scene/geometry_text.h"
#include "scene/vsl_file.h"
#include "scene/scene_store.h"

namespace vandrel::app {

namespace {

constexpr std::streamoff kObjPiece = 1 << 20;  // bytes of OBJ text handed on at a time

bool endsWith(const std::string& s, const char* suffix) {
  const std::size_t n = std::strlen(suffix);
  return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

int fail(std::ostream& err, const std::string& message) {
  err << "vandrel: " << message << '\n';
  return 1;
}

void applyCamera(const SceneCommandOptions& o) {
  render::Camera& c = render::renderSettings.currentCamera;
  if (o.camera) c = render::renderSettings.cameraList[*o.camera];
  if (o.eye) c.eyeX = o.eye->x, c.eyeY = o.eye->y, c.eyeZ = o.eye->z;
  if (o.target) c.targetX = o.target->x, c.targetY = o.target->y, c.targetZ = o.target->z;
  if (o.angle) c.angle = *o.angle;
  if (o.zoom) c.zoom = *o.zoom;
}

// One object's vertices as OBJ, numbered on from `before` vertices of the objects
// written ahead of it, handed to the file a piece at a time: a mesh of millions of
// vertices needs no text of hundreds of megabytes.
void writeObj(os::FileWriter& out, const gfx::Vertex* vertices, std::size_t count, std::size_t before) {
  std::ostringstream text;
  text.precision(9);
  auto pass = [&](auto&& line) {
    for (std::size_t k = 0; k < count; ++k) {
      line(k);
      if (text.tellp() >= kObjPiece) {
        out.write(text.str());
        text.str("");
      }
    }
  };
  pass([&](std::size_t k) { text << "v " << vertices[k].x << ' ' << vertices[k].y << ' ' << vertices[k].z << '\n'; });
  pass([&](std::size_t k) { text << "vt " << vertices[k].tu << ' ' << vertices[k].tv << '\n'; });
  pass([&](std::size_t k) { text << "vn " << vertices[k].nx << ' ' << vertices[k].ny << ' ' << vertices[k].nz << '\n'; });
  pass([&](std::size_t k) {
    if (k % 3 != 0 || k + 2 >= count) return;
    text << 'f';
    for (std::size_t n = before + k + 1; n <= before + k + 3; ++n) text << ' ' << n << '/' << n << '/' << n;
    text << '\n';
  });
  out.write(text.str());
}

}  // namespace

bool parseVector3(const std::string& text, Vector3* v) {
  char tail = 0;
  return std::sscanf(text.c_str(), "%lf,%lf,%lf%c", &v->x, &v->y, &v->z, &tail) == 3;
}

std::string prepareScene(const SceneCommandOptions& o) {
  const bool pack = endsWith(o.input, ".vsc");
  if (!pack && !endsWith(o.input, ".vsl")) return "«" + o.input + "»: ожидался файл .vsc или .vsl";
  if (o.camera && (*o.camera < 0 || *o.camera > 254)) return "--camera: число от 0 до 254";
  if (o.quality < 0 || o.quality > 255) return "--quality: число от 0 до 255";
  std::string text, error;
  if (!os::readFile(o.input, &text, &error)) return error;
  if (const os::TextProblem problem = pack ? pack::checkPack(text) : scene::checkSceneLayer(text))
    return o.input + ": " + os::describeProblem(text, problem);

  render::releaseDevice();
  pack::resetDocument();
  geometry::resetMeshState();
  render::createDevice();
  if (pack)
    pack::readPack(text);  // every texture rebuilt; camera list entry 0 current
  else
    scene::readCurrentScene(text);

  scene::SceneStore& s = scene::sceneStore;
  if (o.scene < 0 || o.scene >= s.sceneCount)
    return "--scene " + std::to_string(o.scene) + ": сцен в файле: " + std::to_string(s.sceneCount) +
           " (номера от 0 до " + std::to_string(s.sceneCount - 1) + ")";
  s.currentScene = static_cast<std::uint8_t>(o.scene);
  const int objects = s.scenes[o.scene].objectCount;
  if (o.object && (*o.object < 0 || *o.object >= objects))
    return "--object " + std::to_string(*o.object) + ": объектов в сцене " + std::to_string(o.scene) + ": " +
           std::to_string(objects);
  applyCamera(o);
  render::renderSettings.quality = o.quality;
  geometry::animationTime = static_cast<float>(o.tau);
  return "";
}

int runMeshCommand(const SceneCommandOptions& o, std::ostream& err) {
  const bool obj = endsWith(o.output, ".obj");
  if (!obj && !endsWith(o.output, ".raw"))
    return fail(err, "«" + o.output + "»: выход должен оканчиваться на .raw или .obj");
  const std::string problem = prepareScene(o);
  if (!problem.empty()) return fail(err, problem);

  // As a frame does: the view rotation, then the clone rules, then each mesh.
  geometry::updateViewRotation(render::renderSettings.currentCamera);
  geometry::expandClones();
  scene::Scene& sc = scene::sceneStore.scenes[o.scene];
  const int first = o.object ? *o.object : 0;
  const int last = o.object ? *o.object : sc.objectCount - 1;
  // Each object goes to the file as soon as it is built, so memory holds one
  // mesh however many objects there are; the file replaces an old one only whole.
  os::FileWriter out;
  std::string error;
  if (!out.open(o.output, &error)) return fail(err, error);
  std::size_t before = 0;
  const std::uint8_t current = sc.currentObject;
  for (int object = first; object <= last; ++object) {
    sc.currentObject = static_cast<std::uint8_t>(object);
    geometry::buildCurrentObjectMesh(render::meshInputs());
    const geometry::MeshState& m = geometry::meshState;
    const auto count = static_cast<std::size_t>(m.vertexCount);
    if (obj)
      writeObj(out, m.vertices.data(), count, before);
    else
      out.write(std::string_view(reinterpret_cast<const char*>(m.vertices.data()), count * sizeof(gfx::Vertex)));
    before += count;
  }
  sc.currentObject = current;
  if (!out.commit(&error)) return fail(err, error);
  return 0;
}

}  // namespace vandrel::app

namespace vandrel::app {

int runRenderCommand(const SceneCommandOptions& o, std::ostream& err) {
  if (!endsWith(o.output, ".png")) return fail(err, "«" + o.output + "»: выход должен оканчиваться на .png");
  const std::string problem = prepareScene(o);
  if (!problem.empty()) return fail(err, problem);
  render::resetFrameState();
  render::frameState.view.cleanView = o.cleanView;
  std::vector<std::uint32_t> presented;
  render::deviceSetup.device->setPresentHandler([&](const std::uint32_t* pixels, int width, int height) {
    presented.assign(pixels, pixels + static_cast<std::size_t>(width) * height);
  });
  render::renderFrameAt(static_cast<float>(o.tau));
  // The view shows colours only: the alpha the frame leaves behind is not part of it.
  for (std::uint32_t& p : presented) p |= 0xFF000000u;
  std::string error;
  if (!os::writeImage(o.output, presented.data(), gfx::kBackBufferWidth, gfx::kBackBufferHeight, &error))
    return fail(err, error);
  return 0;
}

}  // namespace vandrel::app
