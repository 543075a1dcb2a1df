#include "geometry/mesh_state.h"

#include <algorithm>

namespace vandrel::geometry {

MeshState meshState;
float animationTime = 0;

void resetMeshState() {
  MeshState& m = meshState;
  m.X = m.Y = m.Z = 0;
  m.tu0 = m.tv0 = 0;
  m.i = m.j = 0;
  m.N = m.M = 0;
  m.cubeFace = 0;
  m.c1 = m.c2 = m.c3 = 1;
  m.s1 = m.s2 = m.s3 = 0;
  m.selection.assign(kGridCapacity, 1);
  m.grid.assign(kGridCapacity, GridPoint{});
  m.vertices.assign(kVertexCapacity, gfx::Vertex{});
  m.vertexCount = 0;
  m.triangleCount = 0;
  animationTime = 0;
}

void selectAllPoints() { std::fill(meshState.selection.begin(), meshState.selection.end(), 1); }

void prepareSinglePoint() {
  selectAllPoints();
  MeshState& m = meshState;
  m.cubeFace = 0;
  m.i = m.j = 0;
  m.N = m.M = 0;
  m.tu0 = m.tv0 = 0;
}

void selectGridPoints(int rows, int columns) {
  std::vector<std::uint8_t>& flags = meshState.selection;
  if (flags.size() != static_cast<std::size_t>(kGridCapacity)) return;
  rows = std::clamp(rows, 0, kGridStride);
  columns = std::clamp(columns, 0, kGridStride);
  for (int i = 0; i < rows; ++i) {
    const auto row = flags.begin() + static_cast<std::ptrdiff_t>(i) * kGridStride;
    std::fill(row, row + columns, std::uint8_t{1});
  }
}

}  // namespace vandrel::geometry
