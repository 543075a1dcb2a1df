#pragma once
// Clipping, culling, rasterisation and the pixel stage.

#include "platform/gfx/pipeline.h"

namespace vandrel::gfx {

// Triangle list: vertices 3i, 3i+1, 3i+2 form triangle i.
void drawTriangles(const DeviceState& state, const ShadedVertex* vertices, int triangleCount,
                   RenderTarget& target);

// Line list: vertices 2i, 2i+1 form line i.
void drawLines(const DeviceState& state, const ShadedVertex* vertices, int lineCount,
               RenderTarget& target);

// Triangles are filled eight pixels at a time where the processor has AVX2 and
// the draw's states allow it (the default), else one pixel at a time; both give
// the same bits. Off, every draw takes the one-at-a-time filler, for comparing
// the two. Set it while nothing draws.
void setWideFilling(bool on);
// Whether the eight-pixel filler is on and this processor can run it.
bool wideFilling();

}  // namespace vandrel::gfx
