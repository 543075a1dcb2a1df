#pragma once
// What the geometry half hands to the fillers: a triangle set up for filling,
// and the kernels that fill its rows. The portable kernels shade one pixel at a
// time; the wide ones eight, with the same operations in the same order per
// pixel, so both give the same bits. Internal to the rasteriser.

#include <cstdint>

#include "platform/gfx/pixel_stage.h"

namespace vandrel::gfx::raster {

// Floor for the interpolated 1/w: only a triangle whose w values differ by more
// than the float range gets near it, and then it keeps the weights finite.
inline constexpr float kTinyInvW = 1e-30f;

struct TriangleSetup {
  int x0, y0, x1, y1;  // pixel bounds, inside the target
  // Edge functions opposite A, B and C, at pixel (x0, y0), less their top-left
  // bias so that "covered" is all three >= 0.
  std::int64_t edge[3], stepX[3], stepY[3];
  // One plane for four values that are linear on screen: z/w, 1/w, and the
  // barycentric weights of B and C divided by their w. At pixel (x0, y0) and
  // per pixel step.
  V4 plane, planeX, planeY;
  Attributes attr;
};

// Fills the triangle's rows from yBegin up to, not including, yEnd.
using FillFn = void (*)(const PixelStage&, const TriangleSetup&, int yBegin, int yEnd);

// Kernel numbering shared by both tables: ((filter 0 * 3 + filter 1) * 2 + full
// output) * 2 + product form.
inline constexpr int kFillKernelCount = 36;

// The eight-pixel kernel of that number, or null when this processor cannot run
// them or they are switched off.
FillFn wideFillKernel(int kernel);

}  // namespace vandrel::gfx::raster
