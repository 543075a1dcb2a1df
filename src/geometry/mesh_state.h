#pragma once
// The mesh builder's process-wide state: the point being evaluated, the grid and
// the shared vertex array, the view coefficients, and the working state of the
// modifier evaluator. Only the last mesh built is valid.

#include <cstdint>
#include <vector>

#include "platform/gfx/d3d9_types.h"

namespace vandrel::geometry {

// N and M up to 255 with quality up to 255 ask for up to 508 x 508 segments; a
// cube of 255 x 255 needs 36 x 255 x 255 vertices. Both tables hold the largest
// request, so nothing is ever clamped.
inline constexpr int kMaxSegments = 255 * 255 / 128;              // 508
inline constexpr int kGridStride = 512;                           // >= kMaxSegments + 1
inline constexpr int kGridCapacity = kGridStride * kGridStride;   // points (and selection flags)
inline constexpr int kVertexCapacity = 36 * 255 * 255;            // >= 6 x 508 x 508

struct GridPoint {
  double x, y, z;  // Direct3D order: x = X, y = Z, z = Y of the object-space point
  double tu, tv;
  double unused[3];
  double nx, ny, nz;
};

struct MeshState {
  // The point being evaluated (object space, world units after the 1/64 scale)
  // and its base texture coordinates, grid position and effective grid size.
  double X, Y, Z;
  double tu0, tv0;
  int i, j;
  int N, M;  // effective grid (N', M')
  int cubeFace;

  // View rotation coefficients (updateViewRotation).
  double c1, s1, c2, s2, c3, s3;

  // Selection flags of the modifier evaluator, one per grid point at
  // i * kGridStride + j; 1 = selected.
  std::vector<std::uint8_t> selection;

  std::vector<GridPoint> grid;          // point (i, j) at i * (N + 1) + j
  std::vector<gfx::Vertex> vertices;    // the shared vertex array
  int vertexCount;
  int triangleCount;
};

extern MeshState meshState;

// Animation time tau, written by the frame, read by the modifiers.
extern float animationTime;

// Allocates the tables once and gives the start-up state.
void resetMeshState();

// Sets every selection flag to 1 (start of a grid build and of the light set-up).
void selectAllPoints();

// Every point selected and a fixed grid position (face 0, point 0 of an empty
// grid, texture origin 0): the modifiers read the grid position too, so a single
// point moved by them (a light) never depends on whichever mesh was built last.
void prepareSinglePoint();
// Sets the flags of the points (i, j), i < rows and j < columns, to 1: a grid
// build reads no others, and the whole table is far larger than most grids.
void selectGridPoints(int rows, int columns);

// Runs the current object's modifier list on meshState's current point
// (X, Y, Z, tu0, tv0), reading i, j, N, M, cubeFace and the selection flags.
void applyModifiers();

// One point with its own registers: points of a grid are independent (a point
// touches only its own selection flag), so rows of a grid can run on several
// threads at once.
struct MeshPoint {
  double X, Y, Z;
  double tu0, tv0;
  int i, j;
};
void applyModifiers(MeshPoint& point);

}  // namespace vandrel::geometry
