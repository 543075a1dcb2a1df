#pragma once
// Turns the current object of the current scene into a non-indexed triangle
// list in meshState's shared vertex array. The camera is applied here, on the
// processor; nothing is cached, so every draw rebuilds the mesh.

#include "geometry/build_inputs.h"

namespace vandrel::geometry {

// The 3D view's view mode: 0 unchanged, 1 (Y, Z) -> (-Z, Y), 2 (Y, Z) -> (Z, -Y).
inline int viewMode = 0;

// The current object's grid after the quality factor (cube types, the zbuf
// cleaner and the torus ignore it). Values above the tables' largest request
// (a quality outside 0..255) are clamped to it; below 0 they are 0.
struct EffectiveGrid {
  int N, M;
};
EffectiveGrid effectiveGrid(int quality);

// The six view coefficients from the camera's eye, target and angle.
void updateViewRotation(const Camera& camera);

// Fills meshState.grid (points, then normals) for the current object and cube
// face over the effective grid; nothing when the grid is empty.
void buildGrid(const BuildInputs& inputs);

// Builds the grid and writes its triangles from vertex firstVertex on; sets
// the vertex and triangle counts of this face. An empty grid, the zbuf cleaner
// and unknown primitive types write nothing and set both counts to 0.
void buildFace(int firstVertex, const BuildInputs& inputs);

// The whole mesh of the current object from vertex 0: six faces for the cube
// types, one for every other type.
void buildCurrentObjectMesh(const BuildInputs& inputs);

}  // namespace vandrel::geometry
