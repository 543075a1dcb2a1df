#include "platform/gfx/rasterizer.h"

namespace vandrel::gfx {

void drawTriangles(const DeviceState&, const ShadedVertex*, int, RenderTarget&) {}
void drawLines(const DeviceState&, const ShadedVertex*, int, RenderTarget&) {}

}  // namespace vandrel::gfx
