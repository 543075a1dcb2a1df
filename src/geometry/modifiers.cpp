#include "geometry/mesh_state.h"

namespace vandrel::geometry {

void applyModifiers() {}

}  // namespace vandrel::geometry
