#include "geometry/mesh_build.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "geometry/mesh_state.h"
#include "geometry/primitives.h"
#include "platform/os/parallel.h"
#include "scene/catalogues.h"
#include "scene/scene_store.h"

namespace vandrel::geometry {

namespace {

using namespace vandrel::scene;

bool isCubeType(int primitive) {
  return primitive == kCube || primitive == kLandscapeOnCube || primitive == kLandscapeOnCubeMinus;
}

// The zbuf cleaner and codes outside the catalogue have no surface.
bool hasSurface(int primitive) { return primitive != kZbufCleaner && primitive < kPrimitiveKinds; }

int scaledSegments(double f, int n) {
  const double v = f * n;
  if (!(v > 0)) return 0;
  if (v >= kMaxSegments) return kMaxSegments;
  return static_cast<int>(v);
}

// Normal factor of each normal mode: 0 "-1", 1 "0", 2 "1", 3 "-1*", 4 "1*",
// 5 invisible. Codes outside the catalogue keep the normal as mode 0 does.
double normalFactor(int mode) {
  if (mode == 1) return 0;
  if (mode == 2 || mode == 4) return -1;
  return 1;
}

// Rows of a grid N + 1 points wide that hold about `points` points: the smallest
// share of a grid worth giving to another thread.
std::size_t rowsPerPart(int N, int points) {
  return static_cast<std::size_t>(std::max(1, points / (N + 1)));
}

void computeNormals(int N, int M, int mode) {
  const double k = normalFactor(mode);
  GridPoint* g = meshState.grid.data();
  const std::ptrdiff_t stride = N + 1;
  // A row writes only its own normals and reads only positions.
  const std::size_t rows = static_cast<std::size_t>(M) + 1;
  os::parallelChunks(rows, rowsPerPart(N, 16384), [&](std::size_t begin, std::size_t end) {
    for (int i = static_cast<int>(begin); i < static_cast<int>(end); ++i) {
      GridPoint* row = g + i * stride;
      for (int j = 0; j < N; ++j) {
        GridPoint& p = row[j];
        const GridPoint& right = row[j + 1];
        const double e1x = right.x - p.x, e1y = right.y - p.y, e1z = right.z - p.z;
        // The last row has no row below it: it takes the step from the row above.
        const GridPoint& from = i < M ? p : row[j - stride];
        const GridPoint& to = i < M ? row[j + stride] : p;
        const double e2x = to.x - from.x, e2y = to.y - from.y, e2z = to.z - from.z;
        double nx = e1y * e2z - e1z * e2y;
        double ny = e1z * e2x - e1x * e2z;
        double nz = e1x * e2y - e1y * e2x;
        const double L = std::sqrt(nx * nx + ny * ny + nz * nz);
        if (L != 0) {
          nx = nx * k / L;
          ny = ny * k / L;
          nz = nz * k / L;
        }
        p.nx = nx;
        p.ny = ny;
        p.nz = nz;
      }
      // The seam copies column 0 so that closed surfaces shade without a crease.
      row[N].nx = row[0].nx;
      row[N].ny = row[0].ny;
      row[N].nz = row[0].nz;
    }
  });
}

gfx::Vertex toVertex(const GridPoint& p) {
  return gfx::Vertex{static_cast<float>(p.x),  static_cast<float>(p.y),  static_cast<float>(p.z),
                     static_cast<float>(p.nx), static_cast<float>(p.ny), static_cast<float>(p.nz),
                     0xFFFFFFFFu,              static_cast<float>(p.tu), static_cast<float>(p.tv)};
}

// The grid must fit the tables; they are sized for any request once
// resetMeshState has run, so this only fails before that.
bool gridFits(int N, int M) {
  return static_cast<std::size_t>(N + 1) * static_cast<std::size_t>(M + 1) <= meshState.grid.size();
}

}  // namespace

EffectiveGrid effectiveGrid(int quality) {
  const SceneObject& o = currentObjectRecord();
  const int p = o.primitive;
  if (isCubeType(p) || p == kZbufCleaner || p == kTorus) return {o.gridN, o.gridM};
  const double f = quality / 128.0;
  return {scaledSegments(f, o.gridN), scaledSegments(f, o.gridM)};
}

void updateViewRotation(const Camera& cam) {
  const double dx = cam.eyeX - cam.targetX, dy = cam.eyeY - cam.targetY;
  const double dz = cam.eyeZ - cam.targetZ;
  const double A1 = std::atan2(dx, dy);
  const double A2 = std::atan2(std::sqrt(dx * dx + dy * dy), dz);
  const double A3 = std::atan2(-std::sin(A1), std::cos(A1) * std::cos(A2)) + cam.angle;
  MeshState& m = meshState;
  m.c1 = std::cos(A3);
  m.s1 = std::sin(A3);
  m.c2 = std::cos(A2);
  m.s2 = std::sin(A2);
  m.c3 = std::cos(A1);
  m.s3 = std::sin(A1);
}

void buildGrid(const BuildInputs& inputs) {
  MeshState& m = meshState;
  const SceneObject& o = currentObjectRecord();
  const EffectiveGrid size = effectiveGrid(inputs.quality);
  const int N = size.N, M = size.M;  // plain names: the row lambda captures them
  m.N = N;
  m.M = M;
  if (N == 0 || M == 0 || !hasSurface(o.primitive) || !gridFits(N, M)) return;
  selectGridPoints(M + 1, N + 1);

  const Camera& cam = inputs.camera;
  const HeightMap map = heightMapOf(o, inputs);
  const bool post = o.primitive == kPostprocessor;
  const double zoom = cam.zoom;
  const double moveX = o.posX / 64.0 - cam.eyeX / 64;
  const double moveY = o.posY / 64.0 - cam.eyeY / 64;
  const double moveZ = o.posZ / 64.0 - cam.eyeZ / 64;
  const int mode = viewMode;
  GridPoint* const grid = m.grid.data();
  MeshPoint last{};
  const auto evaluateRow = [&](int i) {
    const double V = 360.0 * i / M;
    GridPoint* out = grid + static_cast<std::ptrdiff_t>(i) * (N + 1);
    for (int j = 0; j <= N; ++j) {
      const double U = 360.0 * j / N;
      const ObjectPoint p = evaluatePrimitive(o, map, j, i, N, M, U, V, m.cubeFace);
      MeshPoint q{0, 0, 0, U / 360, V / 360, i, j};
      double X, Y, Z;
      if (post) {
        // The screen quad stays put: no scale, camera, view mode or zoom.
        q.X = p.X;
        q.Y = p.Y;
        q.Z = p.Z;
        applyModifiers(q);
        X = q.X + o.posX / 64.0;
        Y = q.Y + o.posY / 64.0;
        Z = q.Z;
      } else {
        q.X = p.X * (1.0 / 64);
        q.Y = p.Y * (1.0 / 64);
        q.Z = p.Z * (1.0 / 64);
        applyModifiers(q);
        X = q.X + moveX;
        Y = q.Y + moveY;
        Z = q.Z + moveZ;
        const double X1 = m.c3 * X - m.s3 * Y, Y1 = m.c3 * Y + m.s3 * X;
        const double Y2 = m.c2 * Y1 - m.s2 * Z, Z2 = m.c2 * Z + m.s2 * Y1;
        const double X3 = m.c1 * X1 - m.s1 * Y2, Y3 = m.c1 * Y2 + m.s1 * X1;
        X = X3;
        Y = Y3;
        Z = Z2;
        if (mode == 1) {
          const double y = Y;
          Y = -Z;
          Z = y;
        } else if (mode == 2) {
          const double y = Y;
          Y = Z;
          Z = -y;
        }
        X *= zoom;
        Y *= zoom;
        Z *= zoom;
      }
      GridPoint& g = *out++;
      g.x = X;
      g.y = Z;
      g.z = Y;
      g.tu = o.cU * q.tu0;
      g.tv = o.cV * q.tv0;
      if (i == M && j == N) last = q;
    }
  };
  // A point runs the whole modifier list: a few hundred points make a part.
  const std::size_t rows = static_cast<std::size_t>(M) + 1;
  os::parallelChunks(rows, rowsPerPart(N, 256), [&](std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i) evaluateRow(static_cast<int>(i));
  });
  // The registers end as the last point left them.
  m.X = last.X, m.Y = last.Y, m.Z = last.Z;
  m.tu0 = last.tu0, m.tv0 = last.tv0;
  m.i = last.i, m.j = last.j;
  computeNormals(N, M, o.normalMode);
}

void buildFace(int firstVertex, const BuildInputs& inputs) {
  MeshState& m = meshState;
  buildGrid(inputs);
  const int N = m.N, M = m.M;
  const std::size_t count = static_cast<std::size_t>(N) * M * 6;
  if (N == 0 || M == 0 || !hasSurface(currentObjectRecord().primitive) || !gridFits(N, M) ||
      firstVertex < 0 || firstVertex + count > m.vertices.size()) {
    m.vertexCount = 0;
    m.triangleCount = 0;
    return;
  }
  const GridPoint* g = m.grid.data();
  gfx::Vertex* const face = m.vertices.data() + firstVertex;
  const int stride = N + 1;
  const auto rows = static_cast<std::size_t>(M);
  os::parallelChunks(rows, rowsPerPart(N, 16384), [&](std::size_t begin, std::size_t end) {
    for (int i = static_cast<int>(begin); i < static_cast<int>(end); ++i) {
      gfx::Vertex* v = face + static_cast<std::ptrdiff_t>(i) * N * 6;
      for (int j = 0; j < N; ++j) {
        const gfx::Vertex A = toVertex(g[i * stride + j]);
        const gfx::Vertex B = toVertex(g[i * stride + j + 1]);
        const gfx::Vertex C = toVertex(g[(i + 1) * stride + j]);
        const gfx::Vertex D = toVertex(g[(i + 1) * stride + j + 1]);
        *v++ = A;
        *v++ = B;
        *v++ = C;
        *v++ = B;
        *v++ = D;
        *v++ = C;
      }
    }
  });
  m.vertexCount = M * N * 6;
  m.triangleCount = M * N * 2;
}

void buildCurrentObjectMesh(const BuildInputs& inputs) {
  MeshState& m = meshState;
  const SceneObject& o = currentObjectRecord();
  if (!isCubeType(o.primitive)) {
    m.cubeFace = 0;
    buildFace(0, inputs);
    return;
  }
  const int N = o.gridN, M = o.gridM;
  for (int k = 0; k < 6; ++k) {
    m.cubeFace = k;
    buildFace(6 * k * N * M, inputs);
  }
  m.cubeFace = 0;
  const bool fits = gridFits(N, M) && static_cast<std::size_t>(36) * N * M <= m.vertices.size();
  m.vertexCount = fits ? 36 * N * M : 0;
  m.triangleCount = fits ? 12 * N * M : 0;
}

}  // namespace vandrel::geometry
