#include "render/picking.h"

#include <cstdint>

#include "geometry/mesh_build.h"
#include "render/device_setup.h"
#include "render/frame.h"
#include "render/render_settings.h"
#include "scene/catalogues.h"
#include "scene/scene_store.h"

namespace vandrel::render {

using namespace vandrel::gfx;

float pickLevel(int index) { return static_cast<float>(index) / 255.0f; }

void pickObject(int x, int y) {
  if (!deviceSetup.device || x < 0 || y < 0 || x >= kBackBufferWidth || y >= kBackBufferHeight)
    return;
  Device& d = *deviceSetup.device;
  geometry::updateViewRotation(renderSettings.currentCamera);
  d.setRenderState(D3DRS_FOGENABLE, 0);
  for (int j = 0; j < kLightCount; ++j) d.lightEnable(j, false);
  d.setRenderState(D3DRS_ZENABLE, 1);
  d.setRenderState(D3DRS_ZWRITEENABLE, 1);
  d.clear(D3DCLEAR_ZBUFFER, 0, 1.0f);
  d.clear(D3DCLEAR_TARGET, 0x00FFFFFF, 1.0f);
  d.setRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
  d.setRenderState(D3DRS_AMBIENT, 0x00FFFFFF);
  d.beginScene();
  d.setSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  d.setFVF(kFvfVertex);
  d.setRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
  d.setTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  d.setRenderState(D3DRS_ALPHABLENDENABLE, 0);
  d.setRenderState(D3DRS_SPECULARENABLE, 0);

  scene::Scene& sc = scene::currentSceneRecord();
  const std::uint8_t saved = sc.currentObject;
  for (int i = 0; i < sc.objectCount; ++i) {
    sc.currentObject = static_cast<std::uint8_t>(i);
    const scene::SceneObject& o = scene::currentObjectRecord();
    // Objects the frame never draws (modes outside the catalogues) cannot be hit.
    if (o.normalMode >= scene::kNormalModes || o.alphaMode >= scene::kAlphaModes) continue;
    geometry::buildCurrentObjectMesh(meshInputs());
    detail::setCullFromNormalMode(d, o.normalMode);
    d.setTexture(0, deviceSetup.textures[kWhiteTexture]);
    const float level = pickLevel(i);
    D3DMATERIAL9 material{};
    material.Ambient = D3DCOLORVALUE{level, level, level, 0};
    d.setMaterial(material);
    if (o.primitive != scene::kPostprocessor) detail::drawCurrentMesh(d);
  }
  d.endScene();
  d.present();

  const D3DLOCKED_RECT locked = d.lockBackBuffer();
  const int blue = static_cast<const std::uint8_t*>(locked.pBits)[y * locked.Pitch + x * 4];
  d.unlockBackBuffer();
  sc.currentObject = blue < kPickableObjects ? static_cast<std::uint8_t>(blue) : saved;
}

}  // namespace vandrel::render
