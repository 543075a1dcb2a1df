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

}  // namespace vandrel::gfx
