#pragma once
// Transform, per-vertex lighting in camera space, linear vertex fog and texture
// coordinates, for vertices of format 0x152 or position-only.

#include "platform/gfx/pipeline.h"

namespace vandrel::gfx {

// Reads count vertices of the given format (stride bytes apart) and writes their
// shaded form.
void processVertices(const DeviceState& state, const void* vertices, DWORD fvf, int stride,
                     int count, ShadedVertex* out);

}  // namespace vandrel::gfx
