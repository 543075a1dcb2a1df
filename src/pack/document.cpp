#include "pack/document.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "geometry/mesh_state.h"
#include "materials/materials.h"
#include "pack/complex_pack.h"
#include "render/frame.h"
#include "render/render_settings.h"
#include "render/view_navigation.h"
#include "scene/scene_hooks.h"
#include "scene/scene_store.h"
#include "scene/undo.h"
#include "texedit/preview_image.h"
#include "texedit/sinus_animation.h"
#include "texedit/texture_animation.h"
#include "texedit/texture_editing.h"
#include "texgen/catalogue.h"
#include "texgen/editor_hooks.h"
#include "texgen/texture_store.h"

namespace vandrel::pack {

namespace {

struct Listener {
  const void* window;
  std::function<void()> refresh;
};

std::vector<Listener> listeners;

void emptyHooks() {
  texgen::resetTextureHooks();
  scene::resetSceneHooks();
  materials::materialHooks = materials::MaterialHooks();
  render::renderSettingsHooks = render::RenderSettingsHooks();
  render::resetViewHooks();
  resetPackHooks();
  listeners.clear();
}

}  // namespace

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

Document::Document() {
  emptyHooks();
  resetDocument();
  geometry::resetMeshState();  // identity view, eye at the origin
  render::resetFrameState();
  render::resetViewState();
  texedit::resetTextureEditorState();
  texedit::resetPreviewState();
  texedit::resetTextureAnimation();
}

Document::~Document() { emptyHooks(); }

void addDocumentListener(const void* window, std::function<void()> refresh) {
  removeDocumentListener(window);
  listeners.push_back({window, std::move(refresh)});
}

void removeDocumentListener(const void* window) {
  std::erase_if(listeners, [window](const Listener& l) { return l.window == window; });
}

void notifyDocumentChanged() {
  // A refresh may add or remove listeners: call the ones registered now.
  const std::vector<Listener> now = listeners;
  for (const Listener& l : now) l.refresh();
}

}  // namespace vandrel::pack
