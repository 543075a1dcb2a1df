#pragma once
// Everything a pack holds, as one document: reset to the state the editor has at
// start-up.

namespace vandrel::pack {

// Texture catalogue and store (with the layer stack), scenes with scene 0's
// default object, materials, render settings and cameras, sinus tables, undo.
void resetDocument();

}  // namespace vandrel::pack
