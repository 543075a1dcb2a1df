#include "export/gltf_scene_state.h"

#include <algorithm>
#include <utility>

#include "geometry/mesh_build.h"

namespace vandrel::exporting {

namespace {

// The registers alone: the tables are moved aside for the copy and back.
geometry::MeshState copyRegisters(geometry::MeshState& m) {
  std::vector<geometry::GridPoint> grid;
  std::vector<gfx::Vertex> vertices;
  std::vector<std::uint8_t> selection;
  std::swap(grid, m.grid);
  std::swap(vertices, m.vertices);
  std::swap(selection, m.selection);
  geometry::MeshState copy = m;
  std::swap(grid, m.grid);
  std::swap(vertices, m.vertices);
  std::swap(selection, m.selection);
  return copy;
}

// Only the part of the tables the last build wrote is worth keeping: the whole
// vertex array is some eighty megabytes.
std::size_t usedGridPoints(const geometry::MeshState& m) {
  if (m.N <= 0 || m.M <= 0) return 0;
  return std::min(m.grid.size(), static_cast<std::size_t>(m.N + 1) * static_cast<std::size_t>(m.M + 1));
}

std::size_t usedVertices(const geometry::MeshState& m) {
  return m.vertexCount > 0 ? std::min(m.vertices.size(), static_cast<std::size_t>(m.vertexCount)) : 0;
}

}  // namespace

KeptSceneState::KeptSceneState() {
  geometry::MeshState& m = geometry::meshState;
  registers_ = copyRegisters(m);
  grid_.assign(m.grid.begin(), m.grid.begin() + static_cast<std::ptrdiff_t>(usedGridPoints(m)));
  vertices_.assign(m.vertices.begin(), m.vertices.begin() + static_cast<std::ptrdiff_t>(usedVertices(m)));
  selection_ = m.selection;
  viewMode_ = geometry::viewMode;
  geometry::viewMode = 0;  // the world as it is, not turned for the 3D view

  scene::SceneStore& s = scene::sceneStore;
  scene_ = s.currentScene;
  currentObject_ = s.scenes[scene_].currentObject;
  objects_.assign(&scene::objectRecord(scene_, 0), &scene::objectRecord(scene_, 0) + scene::kObjectSlots);
  lists_.assign(&scene::modifierList(scene_, 0), &scene::modifierList(scene_, 0) + scene::kObjectSlots);
}

KeptSceneState::~KeptSceneState() {
  scene::SceneStore& s = scene::sceneStore;
  std::copy(objects_.begin(), objects_.end(), &scene::objectRecord(scene_, 0));
  std::copy(lists_.begin(), lists_.end(), &scene::modifierList(scene_, 0));
  s.currentScene = static_cast<std::uint8_t>(scene_);
  s.scenes[scene_].currentObject = currentObject_;
  geometry::viewMode = viewMode_;

  geometry::MeshState& m = geometry::meshState;
  std::swap(registers_.grid, m.grid);
  std::swap(registers_.vertices, m.vertices);
  std::swap(registers_.selection, m.selection);
  m = std::move(registers_);
  std::copy(grid_.begin(), grid_.end(), m.grid.begin());
  std::copy(vertices_.begin(), vertices_.end(), m.vertices.begin());
  if (m.selection.size() == selection_.size()) m.selection = selection_;
}

}  // namespace vandrel::exporting
