#include "export/gltf_export.h"

#include <tiny_gltf.h>

#include <stdlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <system_error>
#include <vector>

#include "export/gltf_scene_state.h"
#include "export/texture_set.h"
#include "geometry/clones.h"
#include "geometry/mesh_build.h"
#include "geometry/mesh_state.h"
#include "geometry/modifiers.h"
#include "materials/materials.h"
#include "platform/gfx/d3d9_types.h"
#include "platform/gfx/pipeline.h"
#include "platform/os/files.h"
#include "platform/os/image_output.h"
#include "render/device_setup.h"
#include "render/frame.h"
#include "render/render_settings.h"
#include "scene/catalogues.h"
#include "scene/scene_store.h"
#include "texgen/texture_store.h"

namespace vandrel::exporting {

namespace {

namespace fs = std::filesystem;
using scene::SceneObject;

struct Vec3 {
  double x, y, z;
};

Vec3 operator-(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator*(const Vec3& a, double k) { return {a.x * k, a.y * k, a.z * k}; }
Vec3 cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double length(const Vec3& a) { return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z); }

// Our world axes to glTF's (see the header): a half turn about X.
Vec3 gltfFromWorld(const Vec3& w) { return {w.x, -w.y, -w.z}; }
// A vertex in Direct3D order (X, Z, Y) to glTF's axes.
Vec3 gltfFromDirect3D(double x, double y, double z) { return {x, -z, -y}; }

// The camera that sees the world as it is: eye at the origin, a view rotation
// that is the identity (eye minus target along +Z), zoom 1.
constexpr geometry::Camera kWorldCamera{0, 0, 0, 0, 0, -1, 0, 1.0};

constexpr int kMaxLights = render::kMaxSceneLights;
constexpr double kBackBufferAspect = static_cast<double>(gfx::kBackBufferWidth) / gfx::kBackBufferHeight;
// glTF's threshold for "т.альфаканал": the renderer keeps a pixel whose alpha is at least 1.
constexpr double kAlphaTestCutoff = 1.0 / 255.0;

double clamp01(double v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }


// Blinn-Phong's exponent as glTF's perceptual roughness: the microfacet width
// alpha = sqrt(2 / (power + 2)) that matches the highlight, and roughness =
// sqrt(alpha). Without a specular colour there is no highlight: fully rough.
double roughnessOf(const materials::Material& m) {
  const bool noHighlight = m.Specular.r <= 0 && m.Specular.g <= 0 && m.Specular.b <= 0;
  if (noHighlight || !(m.Power > 0)) return 1;
  return clamp01(std::pow(2.0 / (m.Power + 2.0), 0.25));
}

// The normal factor's sign decides which side of a surface faces its normals; the
// renderer's front faces are clockwise on screen, glTF's counter-clockwise.
bool keepsWinding(int normalMode) { return normalMode == 2 || normalMode == 4; }

bool isDoubleSided(int normalMode) { return normalMode == 1 || normalMode == 3 || normalMode == 4; }

const char* blendOperationName(int alphaMode) {
  switch (alphaMode) {
    case 1: return "add";
    case 2: return "reverse subtract";
    case 3: return "subtract";
    case 4: return "min";
    case 5: return "max";
    default: return "";
  }
}

tinygltf::Value objectValue(std::initializer_list<std::pair<const std::string, tinygltf::Value>> members) {
  return tinygltf::Value(tinygltf::Value::Object(members));
}

// A rotation matrix given by its columns as a unit quaternion [x, y, z, w].
std::vector<double> quaternionFromColumns(const Vec3& c0, const Vec3& c1, const Vec3& c2) {
  const double m00 = c0.x, m10 = c0.y, m20 = c0.z;
  const double m01 = c1.x, m11 = c1.y, m21 = c1.z;
  const double m02 = c2.x, m12 = c2.y, m22 = c2.z;
  double x, y, z, w;
  const double trace = m00 + m11 + m22;
  if (trace > 0) {
    const double s = 2 * std::sqrt(trace + 1);
    w = s / 4, x = (m21 - m12) / s, y = (m02 - m20) / s, z = (m10 - m01) / s;
  } else if (m00 > m11 && m00 > m22) {
    const double s = 2 * std::sqrt(1 + m00 - m11 - m22);
    w = (m21 - m12) / s, x = s / 4, y = (m01 + m10) / s, z = (m02 + m20) / s;
  } else if (m11 > m22) {
    const double s = 2 * std::sqrt(1 + m11 - m00 - m22);
    w = (m02 - m20) / s, x = (m01 + m10) / s, y = s / 4, z = (m12 + m21) / s;
  } else {
    const double s = 2 * std::sqrt(1 + m22 - m00 - m11);
    w = (m10 - m01) / s, x = (m02 + m20) / s, y = (m12 + m21) / s, z = s / 4;
  }
  const double n = std::sqrt(x * x + y * y + z * z + w * w);
  return {x / n, y / n, z / n, w / n};
}

// The rotation that turns glTF's light and camera axis -Z into direction d.
std::vector<double> quaternionTowards(const Vec3& d) {
  const double L = length(d);
  if (!(L > 0)) return {};
  const Vec3 b = d * (1 / L);
  const Vec3 a{0, 0, -1};
  const double dot = -b.z;
  if (dot < -1 + 1e-12) return {1, 0, 0, 0};  // straight back: a half turn about X
  const Vec3 axis = cross(a, b);
  const double w = 1 + dot;
  const double n = std::sqrt(axis.x * axis.x + axis.y * axis.y + axis.z * axis.z + w * w);
  return {axis.x / n, axis.y / n, axis.z / n, w / n};
}

// The binary buffer and its views and accessors.
class BufferBuilder {
 public:
  explicit BufferBuilder(tinygltf::Model& model) : model_(model) {
    if (model_.buffers.empty()) model_.buffers.emplace_back();
  }

  int addView(const void* data, std::size_t bytes, int target) {
    std::vector<unsigned char>& b = model_.buffers[0].data;
    b.resize((b.size() + 3) / 4 * 4, 0);  // every view starts on four bytes
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteOffset = b.size();
    view.byteLength = bytes;
    view.target = target;
    const auto* p = static_cast<const unsigned char*>(data);
    b.insert(b.end(), p, p + bytes);
    model_.bufferViews.push_back(view);
    return static_cast<int>(model_.bufferViews.size()) - 1;
  }

  template <int N>
  int addFloats(const std::vector<std::array<float, N>>& values, int type, bool bounds) {
    tinygltf::Accessor a;
    a.bufferView = addView(values.data(), values.size() * sizeof(values[0]), TINYGLTF_TARGET_ARRAY_BUFFER);
    a.componentType = TINYGLTF_COMPONENT_TYPE_FLOAT;
    a.count = values.size();
    a.type = type;
    if (bounds) {
      a.minValues.assign(N, 0);
      a.maxValues.assign(N, 0);
      for (int k = 0; k < N; ++k) {
        a.minValues[k] = a.maxValues[k] = values[0][k];
        for (const auto& v : values) {
          a.minValues[k] = std::min<double>(a.minValues[k], v[k]);
          a.maxValues[k] = std::max<double>(a.maxValues[k], v[k]);
        }
      }
    }
    model_.accessors.push_back(a);
    return static_cast<int>(model_.accessors.size()) - 1;
  }

 private:
  tinygltf::Model& model_;
};

struct LeftOut {
  int postprocessors = 0;
  int depthCleaners = 0;
  std::set<int> reflectionStages;  // materials with a second stage
  bool marker = false;
  bool fog = true;  // every frame is fogged

  std::string line() const {
    std::vector<std::string> parts;
    auto counted = [&](const char* what, std::size_t n) {
      if (n > 0) parts.push_back(std::string(what) + " (" + std::to_string(n) + ")");
    };
    counted("постпроцессоры", static_cast<std::size_t>(postprocessors));
    counted("zbuf cleaner", static_cast<std::size_t>(depthCleaners));
    counted("второй слой текстуры с отражением", reflectionStages.size());
    if (fog) parts.push_back("туман");
    if (marker) parts.push_back("маркер модификатора");
    if (parts.empty()) return "";
    std::string text = "в glTF не вошли: ";
    for (std::size_t k = 0; k < parts.size(); ++k) text += (k ? ", " : "") + parts[k];
    return text;
  }
};

// One glTF material for each look an object can have.
struct MaterialKey {
  int material, slot, alphaMode;
  bool doubleSided;
  auto operator<=>(const MaterialKey&) const = default;
};

class SceneExporter {
 public:
  SceneExporter(bool binary, const std::string& stem, const GltfProgress& progress)
      : binary_(binary), stem_(stem), progress_(progress), buffers_(model_) {}

  // Fills the model; false when a texture cannot be encoded or the export was stopped.
  bool build(std::string* error);

  tinygltf::Model& model() { return model_; }
  // Names and PNG bytes of the textures of a ".gltf", written beside it.
  const std::vector<std::pair<std::string, std::string>>& imageFiles() const { return imageFiles_; }
  std::string leftOutLine() const { return leftOut_.line(); }

 private:
  void addMeshObject(int index, const SceneObject& o);
  void addLight(int index, const SceneObject& o);
  void addCamera(const geometry::Camera& camera, const std::string& name);
  int materialFor(const SceneObject& o);
  bool addTextures(std::string* error);
  void step() {
    ++done_;
    if (progress_.step) progress_.step(done_, total_);
    if (progress_.stop && progress_.stop()) stopped_ = true;
  }

  bool binary_;
  std::string stem_;
  const GltfProgress& progress_;
  tinygltf::Model model_;
  BufferBuilder buffers_;
  LeftOut leftOut_;
  std::map<MaterialKey, int> materials_;
  std::map<int, int> textureOfSlot_;   // slot -> glTF texture
  std::set<int> alphaSlots_;           // slots used by "т.альфаканал" objects
  std::vector<std::pair<std::string, std::string>> imageFiles_;
  int done_ = 0, total_ = 0;
  bool stopped_ = false;
};

int SceneExporter::materialFor(const SceneObject& o) {
  const int slot = slotHasLog(o.texture) ? o.texture : -1;
  const MaterialKey key{o.material, slot, o.alphaMode, isDoubleSided(o.normalMode)};
  if (auto found = materials_.find(key); found != materials_.end()) return found->second;

  const materials::MaterialStore& store = materials::materialStore;
  const materials::Material& m = store.materials[o.material];
  if (store.stageType[o.material] >= materials::kStageAdd && store.stageType[o.material] <= materials::kStageMod)
    leftOut_.reflectionStages.insert(o.material);
  tinygltf::Material g;
  g.name = "материал " + std::to_string(o.material);
  if (slot >= 0) g.name += ", текстура " + std::to_string(slot);
  g.pbrMetallicRoughness.baseColorFactor = {clamp01(m.Diffuse.r), clamp01(m.Diffuse.g), clamp01(m.Diffuse.b), 1.0};
  g.pbrMetallicRoughness.metallicFactor = 0;
  g.pbrMetallicRoughness.roughnessFactor = roughnessOf(m);
  g.emissiveFactor = {clamp01(m.Emissive.r), clamp01(m.Emissive.g), clamp01(m.Emissive.b)};
  g.doubleSided = key.doubleSided;
  if (o.alphaMode == 6) {
    g.alphaMode = "MASK";
    g.alphaCutoff = kAlphaTestCutoff;
    if (slot >= 0) alphaSlots_.insert(slot);
  } else if (o.alphaMode != 0) {
    // glTF blends over what lies behind; the exact operation rides along.
    g.alphaMode = "BLEND";
    g.extras = objectValue({{"alphaMode", tinygltf::Value(std::string(scene::alphaModeLabel(o.alphaMode)))},
                            {"blendOperation", tinygltf::Value(std::string(blendOperationName(o.alphaMode)))}});
  }
  if (slot >= 0) {
    auto [entry, added] = textureOfSlot_.try_emplace(slot, static_cast<int>(textureOfSlot_.size()));
    g.pbrMetallicRoughness.baseColorTexture.index = entry->second;
  }
  model_.materials.push_back(g);
  const int index = static_cast<int>(model_.materials.size()) - 1;
  materials_.emplace(key, index);
  return index;
}

void SceneExporter::addMeshObject(int index, const SceneObject& o) {
  geometry::BuildInputs inputs = render::meshInputs();
  inputs.camera = kWorldCamera;
  geometry::buildCurrentObjectMesh(inputs);
  const geometry::MeshState& m = geometry::meshState;
  const int count = m.triangleCount * 3;
  if (count <= 0) return;

  std::vector<std::array<float, 3>> positions(count), normals(count);
  std::vector<std::array<float, 2>> texcoords(count);
  std::vector<std::uint32_t> diffuse(count);
  bool white = true;
  const bool keep = keepsWinding(o.normalMode);
  for (int t = 0; t < count; t += 3) {
    // glTF's front faces turn the other way round on screen.
    const int order[3] = {t, keep ? t + 1 : t + 2, keep ? t + 2 : t + 1};
    Vec3 p[3];
    for (int k = 0; k < 3; ++k) {
      const gfx::Vertex& v = m.vertices[order[k]];
      p[k] = gltfFromDirect3D(v.x, v.y, v.z);
      positions[t + k] = {static_cast<float>(p[k].x), static_cast<float>(p[k].y), static_cast<float>(p[k].z)};
      // The repeats cU and cV are already in them, and glTF wraps as the device does.
      texcoords[t + k] = {v.tu, v.tv};
      diffuse[t + k] = v.diffuse;
      white = white && v.diffuse == 0xFFFFFFFFu;
    }
    // glTF wants unit normals; where the surface has none (a pole, "Нормаль: 0")
    // the triangle's own front side stands in.
    const Vec3 face = cross(p[1] - p[0], p[2] - p[0]);
    for (int k = 0; k < 3; ++k) {
      const gfx::Vertex& v = m.vertices[order[k]];
      Vec3 n = gltfFromDirect3D(v.nx, v.ny, v.nz);
      double L = length(n);
      if (!(L > 1e-12)) {
        n = face;
        L = length(n);
      }
      if (!(L > 1e-30)) n = {0, 1, 0}, L = 1;
      normals[t + k] = {static_cast<float>(n.x / L), static_cast<float>(n.y / L), static_cast<float>(n.z / L)};
    }
  }
  std::vector<std::array<float, 4>> colours;
  if (!white)
    for (const std::uint32_t c : diffuse)
      colours.push_back({((c >> 16) & 0xFF) / 255.0f, ((c >> 8) & 0xFF) / 255.0f, (c & 0xFF) / 255.0f,
                         ((c >> 24) & 0xFF) / 255.0f});

  tinygltf::Primitive primitive;
  primitive.mode = TINYGLTF_MODE_TRIANGLES;
  primitive.attributes["POSITION"] = buffers_.addFloats<3>(positions, TINYGLTF_TYPE_VEC3, true);
  primitive.attributes["NORMAL"] = buffers_.addFloats<3>(normals, TINYGLTF_TYPE_VEC3, false);
  primitive.attributes["TEXCOORD_0"] = buffers_.addFloats<2>(texcoords, TINYGLTF_TYPE_VEC2, false);
  if (!colours.empty()) primitive.attributes["COLOR_0"] = buffers_.addFloats<4>(colours, TINYGLTF_TYPE_VEC4, false);
  primitive.material = materialFor(o);

  const std::string name = "объект " + std::to_string(index) + ": " + scene::primitiveLabel(o.primitive);
  tinygltf::Mesh mesh;
  mesh.name = name;
  mesh.primitives.push_back(primitive);
  model_.meshes.push_back(mesh);
  tinygltf::Node node;
  node.name = name;
  node.mesh = static_cast<int>(model_.meshes.size()) - 1;
  model_.nodes.push_back(node);
}

void SceneExporter::addLight(int index, const SceneObject& o) {
  const materials::Material& m = materials::materialStore.materials[o.material];
  // As the frame places it: the modifiers move the point (0, 0, 0) first.
  double X = 0, Y = 0, Z = 0;
  geometry::applyModifiersToPoint(X, Y, Z);
  tinygltf::Light light;
  const double peak = std::max({0.0, static_cast<double>(m.Diffuse.r), static_cast<double>(m.Diffuse.g),
                                static_cast<double>(m.Diffuse.b)});
  // glTF colours stop at 1; brighter diffuse colours go into the intensity.
  const double scale = peak > 1 ? peak : 1;
  light.color = {clamp01(m.Diffuse.r / scale), clamp01(m.Diffuse.g / scale), clamp01(m.Diffuse.b / scale)};
  light.intensity = scale;
  tinygltf::Node node;
  if (o.primitive == scene::kSun) {
    light.type = "directional";
    light.name = "солнце " + std::to_string(index);
    // It shines from its position towards the (moved) origin.
    const Vec3 direction{X - o.posX / 64.0, Y - o.posY / 64.0, Z - o.posZ / 64.0};
    node.rotation = quaternionTowards(gltfFromWorld(direction));
    const Vec3 at = gltfFromWorld({o.posX / 64.0, o.posY / 64.0, o.posZ / 64.0});
    node.translation = {at.x, at.y, at.z};
  } else {
    light.type = "point";
    light.name = "лампочка " + std::to_string(index);
    // A range the renderer takes as none lights nothing; glTF would read it as endless.
    if (!(o.scaleX > 0)) return;
    light.range = o.scaleX / 64.0;
    const Vec3 at = gltfFromWorld({X + o.posX / 64.0, Y + o.posY / 64.0, Z + o.posZ / 64.0});
    node.translation = {at.x, at.y, at.z};
  }
  model_.lights.push_back(light);
  node.name = light.name;
  node.extensions["KHR_lights_punctual"] = objectValue({{"light", tinygltf::Value(static_cast<int>(model_.lights.size()) - 1)}});
  model_.nodes.push_back(node);
}

// The renderer moves and turns the world to the camera and draws it through a
// fixed view whose eye stands 4 units behind the camera point, all of it scaled
// by the zoom first: so the glTF eye is 4 / zoom world units behind the camera
// point along the view direction, with the renderer's field of view and its near
// and far planes divided by the zoom.
void SceneExporter::addCamera(const geometry::Camera& camera, const std::string& name) {
  if (!(camera.zoom > 0)) return;
  geometry::updateViewRotation(camera);
  // The view rotation turns world axis k into column k of R; R's rows are then the
  // screen's right, its downward and its depth direction in world axes.
  double R[3][3];
  for (int k = 0; k < 3; ++k) {
    double v[3] = {k == 0 ? 1.0 : 0.0, k == 1 ? 1.0 : 0.0, k == 2 ? 1.0 : 0.0};
    render::detail::rotateByView(v[0], v[1], v[2]);
    for (int r = 0; r < 3; ++r) R[r][k] = v[r];
  }
  const Vec3 right = gltfFromWorld({R[0][0], R[0][1], R[0][2]});
  const Vec3 up = gltfFromWorld({-R[1][0], -R[1][1], -R[1][2]});
  const Vec3 forward = gltfFromWorld({R[2][0], R[2][1], R[2][2]});
  const Vec3 point{camera.eyeX / 64, camera.eyeY / 64, camera.eyeZ / 64};
  const Vec3 eye = gltfFromWorld(point) - forward * (4 / camera.zoom);

  const gfx::D3DMATRIX p = render::projectionMatrix();
  const double m22 = p.m[2][2], m32 = p.m[3][2];
  tinygltf::Camera c;
  c.type = "perspective";
  c.name = name;
  c.perspective.aspectRatio = kBackBufferAspect;
  c.perspective.yfov = 2 * std::atan(1 / static_cast<double>(p.m[1][1]));
  c.perspective.znear = -m32 / m22 / camera.zoom;
  c.perspective.zfar = -m32 / (m22 - 1) / camera.zoom;
  model_.cameras.push_back(c);
  tinygltf::Node node;
  node.name = name;
  node.camera = static_cast<int>(model_.cameras.size()) - 1;
  node.translation = {eye.x, eye.y, eye.z};
  node.rotation = quaternionFromColumns(right, up, forward * -1);
  model_.nodes.push_back(node);
}

bool SceneExporter::addTextures(std::string* error) {
  if (textureOfSlot_.empty()) return true;
  tinygltf::Sampler sampler;
  sampler.magFilter = TINYGLTF_TEXTURE_FILTER_LINEAR;  // as the frame sets it
  sampler.minFilter = TINYGLTF_TEXTURE_FILTER_NEAREST;  // the device's default, without mipmaps
  model_.samplers.push_back(sampler);
  model_.textures.resize(textureOfSlot_.size());
  model_.images.resize(textureOfSlot_.size());

  bool failed = false;
  std::set<int> slots;
  for (const auto& [slot, texture] : textureOfSlot_) slots.insert(slot);
  const bool whole = visitSlotImages(slots, [&](int slot) {
    const texgen::TextureStore& s = texgen::textureStore;
    const bool alpha = alphaSlots_.contains(slot);
    std::string png;
    if (!os::encodePng(texgen::layer(s.entryCount), s.edgeSize, s.edgeSize,
                       alpha ? os::PngChannels::rgba : os::PngChannels::rgb, &png)) {
      if (error) *error = "текстура " + std::to_string(slot) + ": не удалось сжать в PNG";
      failed = true;
      return;
    }
    const int index = textureOfSlot_.at(slot);
    tinygltf::Image& image = model_.images[index];
    image.name = "текстура " + std::to_string(slot);
    if (binary_) {
      image.bufferView = buffers_.addView(png.data(), png.size(), 0);
      image.mimeType = "image/png";
    } else {
      char file[32];
      std::snprintf(file, sizeof file, "_slot_%03d.png", slot);
      image.uri = stem_ + file;
      imageFiles_.emplace_back(image.uri, std::move(png));
    }
    model_.textures[index].sampler = 0;
    model_.textures[index].source = index;
    step();
  }, [&] { return failed || stopped_; });
  return whole && !failed;
}

bool SceneExporter::build(std::string* error) {
  model_.asset.version = "2.0";
  model_.asset.generator = "VandreL";
  scene::SceneStore& store = scene::sceneStore;
  scene::Scene& sc = scene::currentSceneRecord();
  const int count = sc.objectCount;
  const int editedObject = sc.currentObject;
  // The editor's marker overwrites slot 254 while the current object has a modifier.
  const scene::ModifierList& editedList = scene::currentModifierList();
  const bool markerShown = editedList.count > 0 && store.currentModifier >= 0 &&
                           store.currentModifier < editedList.count && editedObject != scene::kMarkerObject;
  leftOut_.marker = markerShown;

  geometry::updateViewRotation(kWorldCamera);
  geometry::expandClones();

  // Lights first, as the frame sets them: the first eight suns and lamps, moved by
  // their modifiers from a fixed grid position.
  geometry::prepareSinglePoint();
  std::vector<int> lightNodes;
  int lights = 0;
  for (int i = 0; i < count && lights < kMaxLights; ++i) {
    sc.currentObject = static_cast<std::uint8_t>(i);
    const SceneObject& o = scene::currentObjectRecord();
    if (o.primitive != scene::kSun && o.primitive != scene::kLamp) continue;
    ++lights;
    const std::size_t before = model_.nodes.size();
    addLight(i, o);
    if (model_.nodes.size() > before) lightNodes.push_back(static_cast<int>(before));
  }

  // What the clean view draws: objects of the catalogue's codes, not hidden, not
  // the marker; of those, the postprocessors and depth cleaners have no surface here.
  auto shown = [&](int i, const SceneObject& o) {
    const bool drawn = o.primitive < scene::kPrimitiveKinds && o.alphaMode < scene::kAlphaModes &&
                       o.normalMode < scene::kNormalModes;
    const bool hidden = o.normalMode == 5 || o.primitive == scene::kSun || o.primitive == scene::kLamp ||
                        (markerShown && i == scene::kMarkerObject);
    return drawn && !hidden;
  };
  auto hasSurface = [](const SceneObject& o) {
    return o.primitive != scene::kPostprocessor && o.primitive != scene::kZbufCleaner;
  };
  std::set<int> plannedSlots;
  for (int i = 0; i < count; ++i) {
    const SceneObject& o = scene::objectRecord(store.currentScene, i);
    if (shown(i, o) && hasSurface(o) && slotHasLog(o.texture))
      plannedSlots.insert(o.texture);
  }
  total_ = count + static_cast<int>(plannedSlots.size());

  std::vector<int> meshNodes;
  for (int i = 0; i < count; ++i) {
    sc.currentObject = static_cast<std::uint8_t>(i);
    const SceneObject o = scene::currentObjectRecord();
    if (shown(i, o) && o.primitive == scene::kPostprocessor) ++leftOut_.postprocessors;
    if (shown(i, o) && o.primitive == scene::kZbufCleaner) ++leftOut_.depthCleaners;
    if (shown(i, o) && hasSurface(o)) {
      const std::size_t before = model_.nodes.size();
      addMeshObject(i, o);
      if (model_.nodes.size() > before) meshNodes.push_back(static_cast<int>(before));
    }
    step();
    if (stopped_) break;
  }
  sc.currentObject = static_cast<std::uint8_t>(editedObject);
  if (stopped_) return false;

  // The current camera first, then every stored camera that differs from those before it.
  std::vector<int> cameraNodes;
  std::vector<geometry::Camera> seen;
  auto camera = [&](const geometry::Camera& c, const std::string& name) {
    for (const geometry::Camera& s : seen)
      if (std::memcmp(&s, &c, sizeof c) == 0) return;
    seen.push_back(c);
    const std::size_t before = model_.nodes.size();
    addCamera(c, name);
    if (model_.nodes.size() > before) cameraNodes.push_back(static_cast<int>(before));
  };
  const render::RenderSettings& settings = render::renderSettings;
  camera(settings.currentCamera, "текущая камера");
  for (int k = 0; k < render::kStoredCameras; ++k) camera(settings.cameraList[k], "камера " + std::to_string(k));

  if (!addTextures(error)) return false;
  // Objects whose mesh came out empty leave their textures unused.
  if (done_ < total_ && progress_.step) progress_.step(total_, total_);

  tinygltf::Scene s;
  s.name = "сцена " + std::to_string(store.currentScene);
  // The current camera's node leads the list, so a viewer that takes the first camera frames the scene as we do.
  for (const std::vector<int>* group : {&cameraNodes, &meshNodes, &lightNodes})
    s.nodes.insert(s.nodes.end(), group->begin(), group->end());
  model_.scenes.push_back(s);
  model_.defaultScene = 0;
  if (model_.buffers[0].data.empty()) model_.buffers.clear();
  return true;
}

std::string stemOf(const std::string& path) { return fs::path(path).stem().string(); }

// tinygltf writes a ".gltf" with its buffer only to files of its own choosing and
// checks no write: it writes into a private folder, and the text read back from
// there goes to its place through our writer, which does check.
bool gltfText(tinygltf::Model& model, const std::string& binName, std::string* text, std::string* error) {
  std::error_code failed;
  std::string pattern = (fs::temp_directory_path(failed) / "vandrel-gltf-XXXXXX").string();
  if (failed || !::mkdtemp(pattern.data())) {
    if (error) *error = "не удалось создать временную папку для glTF";
    return false;
  }
  const fs::path folder = pattern;
  const fs::path file = folder / "scene.gltf";
  if (!model.buffers.empty()) model.buffers[0].uri = binName;
  tinygltf::TinyGLTF writer;
  writer.SetImageWriter(nullptr, nullptr);  // the images are ours to write
  bool ok = writer.WriteGltfSceneToFile(&model, file.string(), false, false, true, false);
  std::string read;
  ok = ok && os::readFile(file.string(), &read, error);
  // A full disk leaves the text cut short: it then lacks its closing brace.
  ok = ok && read.size() >= 2 && read.compare(read.size() - 2, 2, "}\n") == 0;
  fs::remove_all(folder, failed);
  if (!ok) {
    if (error && error->empty()) *error = "не удалось записать текст glTF во временную папку";
    return false;
  }
  *text = std::move(read);
  return true;
}

}  // namespace

bool writeGltfScene(const std::string& path, const GltfProgress& progress, GltfReport* report, std::string* error) {
  const bool binary = path.ends_with(".glb");
  if (!binary && !path.ends_with(".gltf")) {
    if (error) *error = "'" + path + "': файл glTF должен оканчиваться на .glb или .gltf";
    return false;
  }
  std::string ignored;
  if (!error) error = &ignored;
  error->clear();
  const std::string stem = stemOf(path);

  SceneExporter exporter(binary, stem, progress);
  {
    const KeptSceneState kept;
    if (!exporter.build(error)) return false;
  }

  // Every file is complete on disk before any of them takes its place.
  std::vector<std::pair<std::string, std::string>> files;
  tinygltf::Model& model = exporter.model();
  if (binary) {
    std::ostringstream out;
    tinygltf::TinyGLTF writer;
    writer.SetImageWriter(nullptr, nullptr);
    if (!writer.WriteGltfSceneToStream(&model, out, false, true)) {
      *error = "'" + path + "': tinygltf не смог собрать файл";
      return false;
    }
    files.emplace_back(path, out.str());
  } else {
    const fs::path folder = fs::path(path).parent_path();
    std::vector<unsigned char> bin = model.buffers.empty() ? std::vector<unsigned char>{} : model.buffers[0].data;
    std::string text;
    if (!gltfText(model, stem + ".bin", &text, error)) return false;
    files.emplace_back(path, std::move(text));
    if (!model.buffers.empty())
      files.emplace_back((folder / (stem + ".bin")).string(), std::string(bin.begin(), bin.end()));
    for (const auto& [name, png] : exporter.imageFiles()) files.emplace_back((folder / name).string(), png);
  }
  std::vector<std::unique_ptr<os::FileWriter>> writers;
  for (const auto& [file, data] : files) {
    writers.push_back(std::make_unique<os::FileWriter>());
    if (!writers.back()->open(file, error)) return false;
    writers.back()->write(data);
  }
  // The main file goes last; when a commit fails, those already in place go too.
  for (std::size_t k = writers.size(); k-- > 0;) {
    if (writers[k]->commit(error)) continue;
    std::error_code ignoredError;
    for (std::size_t done = k + 1; done < writers.size(); ++done) fs::remove(files[done].first, ignoredError);
    return false;
  }
  if (report) report->leftOut = exporter.leftOutLine();
  return true;
}

}  // namespace vandrel::exporting
