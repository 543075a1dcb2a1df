#include "platform/gfx/vertex_stage.h"

namespace vandrel::gfx {

void processVertices(const DeviceState&, const void*, DWORD, int, int, ShadedVertex*) {}

}  // namespace vandrel::gfx
