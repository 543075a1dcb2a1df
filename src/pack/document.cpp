#include "pack/document.h"

#include "materials/materials.h"
#include "render/render_settings.h"
#include "scene/scene_hooks.h"
#include "scene/scene_store.h"
#include "scene/undo.h"
#include "texedit/sinus_animation.h"
#include "texgen/catalogue.h"
#include "texgen/editor_hooks.h"
#include "texgen/texture_store.h"

namespace vandrel::pack {

void resetDocument() {
  texgen::fillCatalogue();
  texgen::resetTextureStore();
  texgen::createLayerStack();
  scene::resetSceneStore();
  scene::applyStartupDefaults();
  materials::resetMaterials();
  render::resetRenderSettings();  // fog defaults of the current scene, after the scene store
  texedit::resetSinusAnimation();
  scene::resetUndo();
}

}  // namespace vandrel::pack
