// Writes examples/demo.vsc, a pack of our own that shows the tool off in one frame:
// landscapes on a sphere and a torus with height maps from texture logs, modifiers,
// a clone ring, a sun and a lamp, fog, a reflection-mapped material, a
// postprocessor and a zbuf cleaner.
//
//   build/make_demo . examples/demo.vsc

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "materials/materials.h"
#include "pack/complex_pack.h"
#include "pack/document.h"
#include "render/render_settings.h"
#include "scene/scene_store.h"
#include "texgen/texture_log_file.h"
#include "texgen/texture_store.h"

using namespace vandrel;
using scene::SceneObject;

namespace {

void slotLog(int slot, const char* log) {
  auto& t = texgen::textureStore;
  t.currentSlot = slot;
  t.entryCount = 1;
  texgen::readLog(log);
  t.slots[slot].entryCount = t.entryCount;
  t.slots[slot].edgeSize = t.edgeSize;
}

SceneObject& add(int primitive, int x, int y, int z, int size, int grid, int material, int texture) {
  scene::insertObject(false);
  SceneObject& o = scene::currentObjectRecord();
  o.primitive = static_cast<std::uint8_t>(primitive);
  o.posX = static_cast<std::int16_t>(x);
  o.posY = static_cast<std::int16_t>(y);
  o.posZ = static_cast<std::int16_t>(z);
  o.scaleX = o.scaleY = o.scaleZ = static_cast<std::int16_t>(size);
  o.gridN = o.gridM = static_cast<std::uint8_t>(grid);
  o.material = static_cast<std::uint8_t>(material);
  o.texture = static_cast<std::uint8_t>(texture);
  o.cU = o.cV = 1;
  scene::currentCloneRule() = scene::CloneRule{};  // a new object keeps the previous one's rule
  return o;
}

void mod(int kind, int x, int y, int z, int radius, int strength) {
  auto& list = scene::currentModifierList();
  list.modifiers[list.count++] =
      scene::Modifier{static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), static_cast<std::int16_t>(z),
                      static_cast<std::int16_t>(radius), static_cast<std::int16_t>(strength),
                      static_cast<std::uint8_t>(kind)};
}

void material(int m, float d, float a, float s, float power, float r = 1, float g = 1, float b = 1) {
  auto& M = materials::materialStore.materials[m];
  M.Diffuse = {d * r, d * g, d * b, 1};
  M.Ambient = {a * r, a * g, a * b, 1};
  M.Specular = {s, s, s, 1};
  M.Power = power;
}

}  // namespace

int main(int argc, char** argv) {
  pack::resetDocument();
  if (argc < 3) {
    std::fprintf(stderr, "usage: make_demo SOURCE_DIR OUT.vsc\n");
    return 2;
  }
  const std::string examples = std::string(argv[1]) + "/examples/";
  {
    auto readFile = [](const std::string& path) { std::ifstream in(path); return std::string(std::istreambuf_iterator<char>(in), {}); };
    slotLog(1, readFile(examples + "marble.vtx").c_str());
    slotLog(2, readFile(examples + "wood.vtx").c_str());
    slotLog(3, readFile(examples + "lava.vtx").c_str());
    slotLog(4, readFile(examples + "brushed_metal.vtx").c_str());
    slotLog(5, "tsize=64;\nPlasm(128,0,128,60);\nCells(20,200,60,255);\nmixer(1,2,128,128,0);\nblur(2);\nclear_alfa();\nend\n");
    slotLog(6, readFile(examples + "galaxy.vtx").c_str());
    for (int s = 1; s <= 6; ++s) texgen::textureStore.slots[s].edgeSize = 128;
    texgen::textureStore.slots[5].edgeSize = 64;
    texgen::textureStore.currentSlot = 1;
    texgen::textureStore.entryCount = texgen::textureStore.slots[1].entryCount;
    texgen::textureStore.edgeSize = 128;
    // materials
    material(0, 0.9f, 0.35f, 0.6f, 30);                   // plain, textured
    material(1, 0.45f, 0.2f, 1.0f, 60);                  // reflective
    materials::materialStore.stageType[1] = 1;
    materials::materialStore.stageTexture[1] = 4;
    material(2, 0.9f, 0.4f, 0.3f, 10);                    // landscapes
    materials::materialStore.mapNumber[2] = 5;
    materials::materialStore.bumpiness[2] = 1;
    material(3, 1.0f, 0.3f, 1.0f, 0, 1.0f, 0.95f, 0.85f); // sun light colours
    material(4, 0.9f, 0.0f, 0.5f, 0, 1.0f, 0.55f, 0.2f);  // lamp: orange
    material(5, 0.35f, 0.0f, 0.0f, 0);                    // postprocessor glow
    material(6, 0.9f, 0.5f, 1.0f, 40, 0.6f, 0.8f, 1.0f);  // ring spheres
    // scene 0: replace the default sphere with the landscape planet
    SceneObject& planet = scene::currentObjectRecord();
    planet.primitive = 6; planet.scaleX = planet.scaleY = planet.scaleZ = 90; planet.gridN = planet.gridM = 48;
    planet.material = 2; planet.texture = 3;
    add(14, -260, 60, 0, 40, 48, 2, 2);  // landscape on a torus
    scene::currentObjectRecord().scaleZ = 90;
    mod(3, 0, 0, 0, 120, 40);            // twist
    add(8, 260, 60, 0, 56, 12, 1, 1);    // reflective cube, bent
    mod(34, 0, 0, 0, 150, 30);
    add(2, 0, 330, -20, 60, 32, 0, 2);   // wavy column
    scene::currentObjectRecord().scaleZ = 140;
    mod(32, 0, 0, 0, 0, 6);
    mod(55, 6, 0, 3, 40, 12);
    add(0, 0, 0, 150, 18, 16, 6, 4);     // ring leader
    mod(32, 0, 0, 0, 0, 24);             // animation speed for what follows
    mod(38, 0, 0, 0, 0, 0);              // animated spin
    scene::currentCloneRule() = scene::CloneRule{8, 7, 140};
    for (int k = 0; k < 7; ++k) add(0, 0, 0, 0, 0, 8, 0, 1);  // slots the ring fills
    add(15, 400, -300, 500, 64, 8, 3, 253);  // sun
    add(16, -160, -140, 60, 900, 8, 4, 253); // lamp (range from scaleX)
    add(11, 0, 0, 0, 256, 1, 5, 0);          // postprocessor: a faint glow of the frame so far
    scene::currentObjectRecord().scaleY = 192;  // the whole screen at the fixed view's depth
    scene::currentObjectRecord().alphaMode = 1;
    add(12, 0, 0, 0, 64, 1, 0, 0);           // zbuf cleaner
    add(13, -330, -180, -150, 12, 24, 6, 6); // a small torus drawn over everything
    scene::currentObjectRecord().scaleZ = 30;
    auto& sc = scene::sceneStore.scenes[0];
    sc.fogRed = 40; sc.fogGreen = 50; sc.fogBlue = 80; sc.fogStart = 24; sc.fogEnd = 75;
  }
  // The first camera looks down on the planet and its ring.
  render::Camera& camera = render::renderSettings.cameraList[0];
  camera.eyeX = 0, camera.eyeY = 0, camera.eyeZ = 460;
  camera.targetX = 0, camera.targetY = 0, camera.targetZ = 600;
  camera.zoom = 1.4;
  std::ofstream(argv[2], std::ios::binary) << pack::writePack();
}
