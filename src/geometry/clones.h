#pragma once
// Clone rules: the objects that follow a cloning object in its scene are
// overwritten with arranged copies of it at the start of every scene draw.

namespace vandrel::geometry {

// Expands every clone rule of the current scene, in object order. Copies never
// reach past the scene's last object slot or into the modifier marker's slot.
void expandClones();

}  // namespace vandrel::geometry
