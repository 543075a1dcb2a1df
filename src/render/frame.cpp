#include "render/frame.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>

#include "geometry/clones.h"
#include "geometry/mesh_build.h"
#include "geometry/mesh_state.h"
#include "geometry/modifiers.h"
#include "materials/materials.h"
#include "render/device_setup.h"
#include "render/render_settings.h"
#include "scene/catalogues.h"
#include "scene/scene_store.h"

namespace vandrel::render {

using namespace vandrel::gfx;
using scene::SceneObject;

FrameState frameState;

void resetFrameState() { frameState = FrameState{}; }

std::uint32_t tickCount() {
  using namespace std::chrono;
  return static_cast<std::uint32_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

float animationTimeFor(std::uint32_t milliseconds) {
  const std::uint32_t t = milliseconds % kClockPeriod;
  return static_cast<float>(t * kTauPerMillisecond);
}

namespace detail {

void rotateByView(double& X, double& Y, double& Z) {
  const geometry::MeshState& m = geometry::meshState;
  const double X1 = m.c3 * X - m.s3 * Y, Y1 = m.c3 * Y + m.s3 * X;
  const double Y2 = m.c2 * Y1 - m.s2 * Z, Z2 = m.c2 * Z + m.s2 * Y1;
  X = m.c1 * X1 - m.s1 * Y2;
  Y = m.c1 * Y2 + m.s1 * X1;
  Z = Z2;
}

bool setCullFromNormalMode(Device& device, int normalMode) {
  switch (normalMode) {
    case 0: device.setRenderState(D3DRS_CULLMODE, D3DCULL_CCW); return true;
    case 2: device.setRenderState(D3DRS_CULLMODE, D3DCULL_CW); return true;
    case 1:
    case 3:
    case 4: device.setRenderState(D3DRS_CULLMODE, D3DCULL_NONE); return true;
    case 5: return true;  // invisible: the cull mode stays as it is
    default: return false;
  }
}

void drawCurrentMesh(Device& device) {
  const geometry::MeshState& m = geometry::meshState;
  if (m.triangleCount > 0)
    device.drawPrimitiveUP(D3DPT_TRIANGLELIST, m.triangleCount, m.vertices.data(),
                           sizeof(Vertex));
}

}  // namespace detail

namespace {

using detail::rotateByView;

constexpr DWORD kTrue = 1, kFalse = 0;

DWORD byteOf(std::int32_t v) { return static_cast<DWORD>(v) & 0xFFu; }

void setFog(Device& d) {
  const scene::Scene& s = scene::currentSceneRecord();
  d.setRenderState(D3DRS_FOGENABLE, kTrue);
  d.setRenderState(D3DRS_FOGCOLOR,
                   (byteOf(s.fogRed) << 16) | (byteOf(s.fogGreen) << 8) | byteOf(s.fogBlue));
  d.setRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
  d.setRenderState(D3DRS_FOGSTART, floatBits(static_cast<float>(s.fogStart) / 3.0f));
  d.setRenderState(D3DRS_FOGEND, floatBits(static_cast<float>(s.fogEnd) / 3.0f));
}

D3DCOLORVALUE rgbOnly(const D3DCOLORVALUE& c) { return D3DCOLORVALUE{c.r, c.g, c.b, 0}; }

void setLights(Device& d) {
  geometry::updateViewRotation(renderSettings.currentCamera);
  d.setRenderState(D3DRS_LIGHTING, kTrue);
  d.setRenderState(D3DRS_SPECULARENABLE, kTrue);
  d.setRenderState(D3DRS_AMBIENT, 0x00FFFFFF);
  d.setRenderState(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL);
  d.setRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
  d.setRenderState(D3DRS_NORMALIZENORMALS, kTrue);
  for (int j = 0; j < kLightCount; ++j) d.lightEnable(j, false);

  geometry::prepareSinglePoint();

  scene::Scene& sc = scene::currentSceneRecord();
  const std::uint8_t saved = sc.currentObject;
  const Camera& cam = renderSettings.currentCamera;
  int j = 0;
  for (int i = 0; i < sc.objectCount && j < kMaxSceneLights; ++i) {
    sc.currentObject = static_cast<std::uint8_t>(i);
    const SceneObject& o = scene::currentObjectRecord();
    if (o.primitive != scene::kSun && o.primitive != scene::kLamp) continue;
    const materials::Material& mat = materials::materialStore.materials[o.material];
    D3DLIGHT9 light{};
    light.Diffuse = rgbOnly(mat.Diffuse);
    light.Specular = rgbOnly(mat.Specular);
    light.Ambient = rgbOnly(mat.Ambient);
    light.Falloff = 1;
    light.Attenuation0 = 1;
    double X = 0, Y = 0, Z = 0;
    geometry::applyModifiersToPoint(X, Y, Z);
    if (o.primitive == scene::kSun) {
      X -= o.posX / 64.0;
      Y -= o.posY / 64.0;
      Z -= o.posZ / 64.0;
    } else {
      X += (o.posX - cam.eyeX) / 64;
      Y += (o.posY - cam.eyeY) / 64;
      Z += (o.posZ - cam.eyeZ) / 64;
    }
    rotateByView(X, Y, Z);
    const D3DVECTOR v{static_cast<float>(X * cam.zoom), static_cast<float>(Z * cam.zoom),
                      static_cast<float>(Y * cam.zoom)};
    if (o.primitive == scene::kSun) {
      light.Type = D3DLIGHT_DIRECTIONAL;
      light.Direction = v;
    } else {
      light.Type = D3DLIGHT_POINT;
      light.Position = v;
      light.Range = static_cast<float>(o.scaleX) / 64.0f;
    }
    d.lightEnable(j, true);
    d.setLight(j, light);
    ++j;
  }
  sc.currentObject = saved;
}

std::shared_ptr<Texture> tableEntry(int n) {
  return n >= 0 && n < kTextureTableSize ? deviceSetup.textures[n] : nullptr;
}

void setObjectTextures(Device& d, const SceneObject& o) {
  const TextureAnimationState& a = frameState.animation;
  if (a.state != 0) {
    const int animated = a.state == 1 ? a.sinusSlot : a.referenceSlot;
    d.setTexture(0, tableEntry(o.texture == animated ? kAnimationTexture : o.texture));
    return;
  }
  d.setTexture(0, tableEntry(o.texture));
  const materials::MaterialStore& ms = materials::materialStore;
  DWORD op = 0;
  switch (ms.stageType[o.material]) {
    case materials::kStageAdd: op = D3DTOP_ADD; break;
    case materials::kStageSub: op = D3DTOP_SUBTRACT; break;
    case materials::kStageMod: op = D3DTOP_MODULATE; break;
    default: break;  // 0 and bytes outside the list: no second layer
  }
  if (op == 0) {
    d.setTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    return;
  }
  d.setTexture(1, tableEntry(ms.stageTexture[o.material]));
  d.setTextureStageState(1, D3DTSS_COLOROP, op);
  d.setTextureStageState(1, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
  d.setTextureStageState(1, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR);
}

void copyBackBufferToEntry0(Device& d) {
  if (Texture* t = deviceSetup.textures[kRenderTargetTexture].get()) d.stretchRect(*t);
}

// The per-object steps of both passes, for the current object.
void drawCurrentObject(Device& d) {
  const SceneObject& o = scene::currentObjectRecord();
  const bool clean = frameState.view.cleanView != 0;
  if (clean && (o.primitive == scene::kSun || o.primitive == scene::kLamp)) return;
  // Normal modes outside the catalogue have no cull mode: such an object is not drawn.
  if (o.normalMode >= scene::kNormalModes) return;
  if (clean && o.normalMode == 5) return;
  geometry::buildCurrentObjectMesh(meshInputs());
  detail::setCullFromNormalMode(d, o.normalMode);
  setObjectTextures(d, o);
  d.setMaterial(materials::materialStore.materials[o.material]);
  if (o.primitive == scene::kZbufCleaner) {
    d.clear(D3DCLEAR_ZBUFFER, 0, 1.0f);
    return;
  }
  if (o.primitive == scene::kPostprocessor) {
    if (o.texture == kRenderTargetTexture) copyBackBufferToEntry0(d);
    d.setRenderState(D3DRS_ZWRITEENABLE, kFalse);
    d.setRenderState(D3DRS_ZENABLE, kFalse);
    detail::drawCurrentMesh(d);
    d.setRenderState(D3DRS_ZWRITEENABLE, kTrue);
    d.setRenderState(D3DRS_ZENABLE, kTrue);
    return;
  }
  detail::drawCurrentMesh(d);
}

void setBlend(Device& d, DWORD op, DWORD src, DWORD dest) {
  d.setRenderState(D3DRS_BLENDOP, op);
  d.setRenderState(D3DRS_SRCBLEND, src);
  d.setRenderState(D3DRS_DESTBLEND, dest);
}

void setAlphaMode(Device& d, int mode) {
  switch (mode) {
    case 1: setBlend(d, D3DBLENDOP_ADD, D3DBLEND_ONE, D3DBLEND_ONE); break;
    case 2: setBlend(d, D3DBLENDOP_REVSUBTRACT, D3DBLEND_ONE, D3DBLEND_ONE); break;
    case 3: setBlend(d, D3DBLENDOP_SUBTRACT, D3DBLEND_ONE, D3DBLEND_ONE); break;
    case 4: setBlend(d, D3DBLENDOP_MIN, D3DBLEND_ONE, D3DBLEND_ONE); break;
    case 5: setBlend(d, D3DBLENDOP_MAX, D3DBLEND_ONE, D3DBLEND_ONE); break;
    case 6:
      setBlend(d, D3DBLENDOP_ADD, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
      d.setRenderState(D3DRS_ZENABLE, kTrue);
      d.setRenderState(D3DRS_ZWRITEENABLE, kTrue);
      d.setRenderState(D3DRS_ALPHATESTENABLE, kTrue);
      d.setRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
      d.setRenderState(D3DRS_ALPHAREF, 1);
      break;
    default: break;
  }
}

// A wireframe sphere where the current modifier acts, in the reserved object slot.
void drawModifierMarker(Device& d) {
  d.setRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  scene::Scene& sc = scene::currentSceneRecord();
  const int edited = sc.currentObject;
  // The marker would overwrite the very object being edited.
  if (edited == scene::kMarkerObject) return;
  const scene::ModifierList& list = scene::currentModifierList();
  const int k = scene::sceneStore.currentModifier;
  if (list.count == 0 || k < 0 || k >= list.count) return;
  const SceneObject e = scene::currentObjectRecord();
  const scene::Modifier mod = list.modifiers[k];
  SceneObject& marker = scene::objectRecord(scene::sceneStore.currentScene, scene::kMarkerObject);
  marker.primitive = scene::kSphere;
  marker.gridN = marker.gridM = 16;
  marker.cU = marker.cV = 1;
  marker.material = 0;
  marker.texture = 0;
  marker.posX = static_cast<std::int16_t>(e.posX + mod.offsetX);
  marker.posY = static_cast<std::int16_t>(e.posY + mod.offsetY);
  marker.posZ = static_cast<std::int16_t>(e.posZ + mod.offsetZ);
  // Radii beyond 16383 would wrap the 16-bit scale; the largest scale stands in.
  const int scale = std::min(std::abs(static_cast<int>(mod.radius)) * 2, 32767);
  marker.scaleX = marker.scaleY = marker.scaleZ = static_cast<std::int16_t>(scale);
  sc.currentObject = scene::kMarkerObject;
  geometry::buildCurrentObjectMesh(meshInputs());
  d.setRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
  detail::drawCurrentMesh(d);
  d.setRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
  sc.currentObject = static_cast<std::uint8_t>(edited);
}

// Lines 1 apart from -15 to +15 in one coordinate plane through the origin;
// plane 0 is Y = 0 (the floor), 1 is X = 0, 2 is Z = 0.
float* appendGridPlane(float* out, int plane) {
  const Camera& cam = renderSettings.currentCamera;
  auto put = [&](double a, double b, double c) {
    double p[3] = {0, 0, 0};
    // (a, b) run in the plane, c is the plane's own axis (always 0).
    if (plane == 0) { p[0] = a; p[2] = b; p[1] = c; }
    if (plane == 1) { p[2] = a; p[1] = b; p[0] = c; }
    if (plane == 2) { p[0] = a; p[1] = b; p[2] = c; }
    double X = p[0] - cam.eyeX / 64, Y = p[1] - cam.eyeY / 64, Z = p[2] - cam.eyeZ / 64;
    rotateByView(X, Y, Z);
    *out++ = static_cast<float>(X);
    *out++ = static_cast<float>(Z);
    *out++ = static_cast<float>(Y);
  };
  for (int k = -15; k < 15; ++k) {
    put(k, -15, 0);
    put(k, 15, 0);
  }
  for (int k = -15; k < 15; ++k) {
    put(-15, k, 0);
    put(15, k, 0);
  }
  return out;
}

void drawGuideGrid(Device& d) {
  const int mode = frameState.view.guideGridMode;
  if (mode < 1) return;
  const int planes = mode >= 2 ? 3 : 1;
  float points[3 * kGuideGridLines * 2 * 3];
  float* end = points;
  for (int p = 0; p < planes; ++p) end = appendGridPlane(end, p);
  d.setTexture(0, deviceSetup.textures[kWhiteTexture]);
  d.setFVF(D3DFVF_XYZ);  // the points carry a position only
  d.drawPrimitiveUP(D3DPT_LINELIST, kGuideGridLines * planes, points, 3 * sizeof(float));
  d.setFVF(kFvfVertex);
}

void drawScene(Device& d) {
  geometry::updateViewRotation(renderSettings.currentCamera);
  d.setFVF(kFvfVertex);
  geometry::expandClones();
  scene::Scene& sc = scene::currentSceneRecord();
  const std::uint8_t saved = sc.currentObject;

  for (int i = 0; i < sc.objectCount; ++i) {
    sc.currentObject = static_cast<std::uint8_t>(i);
    if (scene::currentObjectRecord().alphaMode == 0) drawCurrentObject(d);
  }

  d.setRenderState(D3DRS_ZWRITEENABLE, kFalse);
  d.setRenderState(D3DRS_ALPHABLENDENABLE, kTrue);
  setBlend(d, D3DBLENDOP_ADD, D3DBLEND_ONE, D3DBLEND_ONE);
  for (int i = 0; i < sc.objectCount; ++i) {
    sc.currentObject = static_cast<std::uint8_t>(i);
    const int mode = scene::currentObjectRecord().alphaMode;
    // Modes outside the catalogue have no blend states: such an object is not drawn.
    if (mode == 0 || mode >= scene::kAlphaModes) continue;
    setAlphaMode(d, mode);
    drawCurrentObject(d);
    if (mode == 6) {
      d.setRenderState(D3DRS_ALPHATESTENABLE, kFalse);
      setBlend(d, D3DBLENDOP_ADD, D3DBLEND_ONE, D3DBLEND_ONE);
      d.setRenderState(D3DRS_ZWRITEENABLE, kFalse);
    }
  }
  d.setRenderState(D3DRS_ZWRITEENABLE, kTrue);
  d.setRenderState(D3DRS_ALPHABLENDENABLE, kFalse);
  d.setRenderState(D3DRS_ALPHATESTENABLE, kFalse);
  sc.currentObject = saved;

  if (frameState.view.cleanView == 0) {
    drawModifierMarker(d);
    drawGuideGrid(d);
  }
}

}  // namespace

int renderFrameAt(float tau) {
  if (!deviceSetup.device) return 0;
  Device& d = *deviceSetup.device;
  geometry::animationTime = frameState.view.animationFrozen != 0 ? 0.0f : tau;
  setFog(d);
  d.setTransform(D3DTS_PROJECTION, projectionMatrix());
  uploadCurrentTexture();
  setLights(d);
  d.setRenderState(D3DRS_FILLMODE,
                   frameState.view.wireframe != 0 ? D3DFILL_WIREFRAME : D3DFILL_SOLID);
  d.setRenderState(D3DRS_ZENABLE, kTrue);
  d.setRenderState(D3DRS_ZWRITEENABLE, kTrue);
  d.clear(D3DCLEAR_ZBUFFER, 0, 1.0f);
  d.clear(D3DCLEAR_TARGET, kBackgroundColour, 1.0f);
  d.setRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
  d.beginScene();
  d.setSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  d.setSamplerState(1, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  drawScene(d);
  d.endScene();
  d.present();
  copyBackBufferToEntry0(d);
  return 0;
}

geometry::BuildInputs meshInputs() {
  return {renderSettings.quality, renderSettings.currentCamera,
          [](int n) { return n >= 0 && n < kTextureTableSize ? deviceSetup.textures[n].get() : nullptr; }};
}

int renderFrame() {
  const std::uint32_t ms = frameState.clock ? frameState.clock() : frameState.clockValue;
  return renderFrameAt(animationTimeFor(ms));
}

}  // namespace vandrel::render
