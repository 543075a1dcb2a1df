#pragma once
// What building a scene for export disturbs, kept and put back: the mesh
// builder's state (registers, view rotation, the last mesh and grid, the
// selection flags), the view mode, the current object, and the current scene's
// object records and modifier lists that clone expansion overwrites.

#include <cstdint>
#include <vector>

#include "geometry/mesh_state.h"
#include "scene/scene_store.h"

namespace vandrel::exporting {

class KeptSceneState {
 public:
  KeptSceneState();
  ~KeptSceneState();
  KeptSceneState(const KeptSceneState&) = delete;
  KeptSceneState& operator=(const KeptSceneState&) = delete;

 private:
  geometry::MeshState registers_;  // without its tables
  std::vector<geometry::GridPoint> grid_;
  std::vector<gfx::Vertex> vertices_;
  std::vector<std::uint8_t> selection_;
  int viewMode_;
  int scene_;
  std::uint8_t currentObject_;
  std::vector<scene::SceneObject> objects_;
  std::vector<scene::ModifierList> lists_;
};

}  // namespace vandrel::exporting
