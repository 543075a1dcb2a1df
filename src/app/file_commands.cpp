#include "app/file_commands.h"

#include <algorithm>
#include <cstring>
#include <ostream>
#include <set>
#include <string_view>

#include "app/texture_command.h"
#include "materials/materials.h"
#include "pack/complex_pack.h"
#include "pack/document.h"
#include "platform/os/files.h"
#include "platform/os/text_checks.h"
#include "render/render_settings.h"
#include "scene/catalogues.h"
#include "scene/geometry_text.h"
#include "scene/vsl_file.h"
#include "scene/scene_store.h"
#include "texedit/sinus_animation.h"
#include "texgen/catalogue.h"
#include "texgen/limits.h"
#include "texgen/texture_log_file.h"
#include "texgen/texture_store.h"

namespace vandrel::app {

namespace {

enum class FileKind { Pack, SceneLayer, TextureLog, Material, RenderSettings, SinusAnimation, Unknown };


FileKind kindOf(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  const std::string ext = dot == std::string::npos ? "" : path.substr(dot);
  if (ext == ".vsc") return FileKind::Pack;
  if (ext == ".vsl") return FileKind::SceneLayer;
  if (ext == ".vtx") return FileKind::TextureLog;
  if (ext == ".vmt") return FileKind::Material;
  if (ext == ".vrs") return FileKind::RenderSettings;
  if (ext == ".sna") return FileKind::SinusAnimation;
  return FileKind::Unknown;
}

int fail(std::ostream& err, const std::string& message) {
  err << "vandrel: " << message << '\n';
  return 1;
}

// A render settings file stores no scene count: it holds five fog numbers per
// scene before its "camera_" line, so the count is taken from there.
int sceneCountOfRenderSettings(std::string_view text) {
  const std::string_view fog = text.substr(0, std::min(text.find("camera_"), text.size()));
  const auto commas = static_cast<int>(std::count(fog.begin(), fog.end(), ','));
  return std::clamp(commas / 5, 1, scene::kMaxScenes);
}

// The editor's checks, so that the command line refuses what the editor refuses.
os::TextProblem checkText(FileKind kind, std::string_view text) {
  switch (kind) {
    case FileKind::Pack: return pack::checkPack(text);
    case FileKind::SceneLayer: return scene::checkSceneLayer(text);
    case FileKind::TextureLog: return texgen::checkLogText(text);
    case FileKind::Material: return materials::checkMaterialText(text);
    case FileKind::RenderSettings: return render::checkRenderSettingsText(text);
    case FileKind::SinusAnimation: return texedit::checkSinusAnimationText(text);
    case FileKind::Unknown: break;
  }
  return {};
}

// Reads a checked text into the freshly reset document, telling err what a texture
// log's read skipped. Returns an error message, or "".
std::string readInto(FileKind kind, const std::string& path, std::string_view text, int* sinusCount,
                     std::ostream& err) {
  switch (kind) {
    case FileKind::Pack:
      pack::readPack(text, pack::TextureRebuild::Skip);
      return "";
    case FileKind::SceneLayer:
      scene::readCurrentScene(text);
      return "";
    case FileKind::TextureLog:
      reportLogWarnings(texgen::readLog(text), path, err);
      return "";
    case FileKind::Material:
      materials::readMaterialLine(text, materials::materialStore.currentMaterial);
      return "";
    case FileKind::RenderSettings:
      scene::sceneStore.sceneCount = static_cast<std::uint8_t>(sceneCountOfRenderSettings(text));
      render::readRenderSettings(text);
      return "";
    case FileKind::SinusAnimation:
      *sinusCount = texedit::readSinusAnimation(text);
      return "";
    case FileKind::Unknown:
      break;
  }
  return "неизвестный вид файла (ожидался .vsc, .vsl, .vtx, .vmt, .vrs или .sna)";
}

std::string writeOf(FileKind kind, int sinusCount) {
  switch (kind) {
    case FileKind::Pack: return pack::writePack();
    case FileKind::SceneLayer: return scene::writeCurrentScene();
    case FileKind::TextureLog: return texgen::writeLog();
    case FileKind::Material: return materials::writeMaterialLine(materials::materialStore.currentMaterial);
    case FileKind::RenderSettings: return render::writeRenderSettings();
    case FileKind::SinusAnimation: return texedit::writeSinusAnimation(sinusCount);
    case FileKind::Unknown: break;
  }
  return "";
}

// Loads a file of a known kind into a fresh document; returns an error or "".
std::string load(const std::string& path, FileKind kind, int* sinusCount, std::ostream& err) {
  if (kind == FileKind::Unknown) return "«" + path + "»: " + readInto(kind, path, "", sinusCount, err);
  std::string text, error;
  if (!os::readFile(path, &text, &error)) return error;
  if (const os::TextProblem problem = checkText(kind, text)) return path + ": " + os::describeProblem(text, problem);
  pack::resetDocument();
  const std::string problem = readInto(kind, path, text, sinusCount, err);
  return problem.empty() ? "" : "«" + path + "»: " + problem;
}

// --- summaries ---------------------------------------------------------------

void describeLog(std::ostream& out, int slot, int entryCount) {
  const texgen::TextureSlot& s = texgen::textureStore.slots[slot];
  for (int i = 1; i < entryCount; ++i) {
    const texgen::TextureOp& op = s.log[i];
    out << "    " << i << ". " << texgen::operationName(op.code()) << '(';
    for (int k = 1; k <= texgen::parameterCount(op.code()); ++k) out << (k > 1 ? "," : "") << op.param(k);
    out << ")\n";
  }
}

void describeScene(std::ostream& out, int sceneIndex) {
  const scene::Scene& sc = scene::sceneStore.scenes[sceneIndex];
  out << "scene " << sceneIndex << ": " << int(sc.objectCount) << " object(s), fog " << sc.fogRed << ","
      << sc.fogGreen << "," << sc.fogBlue << " from " << sc.fogStart << " to " << sc.fogEnd << '\n';
  for (int o = 0; o < sc.objectCount; ++o) {
    const scene::SceneObject& ob = scene::objectRecord(sceneIndex, o);
    const char* label = scene::primitiveLabel(ob.primitive);
    out << "  object " << o << ": " << (*label ? label : "?") << " (" << int(ob.primitive) << ") at "
        << ob.posX << "," << ob.posY << "," << ob.posZ << " size " << ob.scaleX << "," << ob.scaleY << ","
        << ob.scaleZ << " grid " << int(ob.gridN) << "x" << int(ob.gridM) << " material " << int(ob.material)
        << " texture " << int(ob.texture);
    const int modifiers = scene::modifierList(sceneIndex, o).count;
    if (modifiers) out << ", " << modifiers << " modifier(s)";
    if (o < scene::kCloneSlots) {
      const scene::CloneRule& rule = scene::cloneRule(sceneIndex, o);
      if (rule.cloneCount)
        out << ", " << int(rule.cloneCount) << " clone(s) " << scene::cloneKindLabel(rule.cloneKind) << " step "
            << rule.cloneStep;
    }
    out << '\n';
  }
}

void describeMaterial(std::ostream& out, int m) {
  const materials::Material& mat = materials::materialStore.materials[m];
  out << "material " << m << ": diffuse " << mat.Diffuse.r << "," << mat.Diffuse.g << "," << mat.Diffuse.b
      << " ambient " << mat.Ambient.r << "," << mat.Ambient.g << "," << mat.Ambient.b << " specular "
      << mat.Specular.r << "," << mat.Specular.g << "," << mat.Specular.b << " power " << mat.Power
      << " map " << materials::materialStore.mapNumber[m] << " bumpiness "
      << materials::materialStore.bumpiness[m] << " stage " << int(materials::materialStore.stageType[m])
      << " texture " << int(materials::materialStore.stageTexture[m]) << '\n';
}

void describeCamera(std::ostream& out, int k, const render::Camera& c) {
  out << "camera " << k << ": eye " << c.eyeX << "," << c.eyeY << "," << c.eyeZ << " target " << c.targetX << ","
      << c.targetY << "," << c.targetZ << " angle " << c.angle << " zoom " << c.zoom << '\n';
}

void describeCameras(std::ostream& out) {
  const render::Camera start = render::startupCamera();
  int shown = 0;
  for (int k = 0; k < 254; ++k) {
    const render::Camera& c = render::renderSettings.cameraList[k];
    if (std::memcmp(&c, &start, sizeof c) == 0) continue;
    describeCamera(out, k, c);
    ++shown;
  }
  out << (254 - shown) << " camera(s) at the start-up position\n";
}

void describePack(std::ostream& out) {
  const scene::SceneStore& s = scene::sceneStore;
  out << int(s.sceneCount) << " scene(s)\n";
  std::set<int> used;
  for (int sc = 0; sc < s.sceneCount; ++sc) {
    describeScene(out, sc);
    for (int o = 0; o < s.scenes[sc].objectCount; ++o) used.insert(scene::objectRecord(sc, o).material);
  }
  for (int m : used)
    if (m < materials::kLastMaterial) describeMaterial(out, m);
  for (int slot = 1; slot <= 253; ++slot) {
    const texgen::TextureSlot& t = texgen::textureStore.slots[slot];
    if (t.entryCount <= 1) continue;
    out << "texture " << slot << ": " << t.edgeSize << "x" << t.edgeSize << ", " << t.entryCount - 1
        << " operation(s)\n";
    describeLog(out, slot, t.entryCount);
  }
  describeCameras(out);
}

void describeSinus(std::ostream& out, int count) {
  out << "sinus animation for " << count << " log entries\n";
  const auto& a = texedit::sinusAnimation;
  for (int e = 1; e < count && e < texedit::kSinusRows; ++e) {
    bool any = false;
    for (int w = 1; w <= 7; ++w) any |= a.amplitude[e][w] != 0;
    if (!any) continue;
    out << "  entry " << e << ": amplitude";
    for (int w = 1; w <= 7; ++w) out << ' ' << a.amplitude[e][w];
    out << " frequency";
    for (int w = 1; w <= 7; ++w) out << ' ' << a.frequency[e][w];
    out << " phase";
    for (int w = 1; w <= 7; ++w) out << ' ' << a.phase[e][w];
    out << '\n';
  }
}

}  // namespace

int runInfoCommand(const std::string& path, std::ostream& out, std::ostream& err) {
  const FileKind kind = kindOf(path);
  int sinusCount = 0;
  const std::string error = load(path, kind, &sinusCount, err);
  if (!error.empty()) return fail(err, error);
  switch (kind) {
    case FileKind::Pack: describePack(out); break;
    case FileKind::SceneLayer: describeScene(out, scene::sceneStore.currentScene); break;
    case FileKind::TextureLog:
      out << "texture " << texgen::textureStore.edgeSize << "x" << texgen::textureStore.edgeSize << ", "
          << texgen::textureStore.entryCount - 1 << " operation(s)\n";
      describeLog(out, texgen::textureStore.currentSlot, texgen::textureStore.entryCount);
      break;
    case FileKind::Material: describeMaterial(out, materials::materialStore.currentMaterial); break;
    case FileKind::RenderSettings:
      for (int sc = 0; sc < scene::sceneStore.sceneCount; ++sc) {
        const scene::Scene& s = scene::sceneStore.scenes[sc];
        out << "scene " << sc << ": fog " << s.fogRed << "," << s.fogGreen << "," << s.fogBlue << " from "
            << s.fogStart << " to " << s.fogEnd << '\n';
      }
      describeCameras(out);
      break;
    case FileKind::SinusAnimation: describeSinus(out, sinusCount); break;
    case FileKind::Unknown: break;
  }
  return 0;
}

int runResaveCommand(const std::string& input, const std::string& output, std::ostream& err) {
  const FileKind kind = kindOf(input);
  if (kindOf(output) != kind)
    return fail(err, "«" + output + "»: выход должен быть файлом того же вида, что и вход");
  int sinusCount = 0;
  std::string error = load(input, kind, &sinusCount, err);
  if (!error.empty()) return fail(err, error);
  if (!os::writeFile(output, writeOf(kind, sinusCount), &error)) return fail(err, error);
  return 0;
}

}  // namespace vandrel::app
