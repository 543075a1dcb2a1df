#pragma once
// The current scene as a glTF 2.0 file: every object built as a frame builds it,
// placed in the world rather than seen through the camera, with its material,
// texture, the suns and lamps as lights and the cameras as cameras.
//
// Axes: our object space is right-handed as the renderer shows it, and every
// camera keeps -Y up on the screen (landscapes rise along -Y, the guide floor is
// Y = 0). glTF's +Y is up, so a world point (X, Y, Z) becomes (X, -Y, -Z): a
// half turn about X, no mirror. A mesh vertex, stored in Direct3D order
// (x, y, z) = (X, Z, Y), thus becomes (x, -z, -y). One world unit (64 object
// units) is one metre.

#include <functional>
#include <string>

namespace vandrel::exporting {

struct GltfProgress {
  // After each object built and each texture rebuilt: how many steps so far, and of how many.
  std::function<void(int done, int total)> step;
  // Asked after each step: true abandons the export (false returned, no message,
  // nothing written).
  std::function<bool()> stop;
};

// What the file could not hold: one line ("" when nothing was left out).
struct GltfReport {
  std::string leftOut;
};

// Writes the current scene of the current document to path: ".glb" holds
// everything in one file; ".gltf" gets its buffer (NAME.bin) and its textures
// (NAME_slot_NNN.png) as files beside it. Quality, animation time and the
// current camera are those of the document as it stands. The document, the mesh
// state, the current object and scene, the current texture slot, the frame
// state and the cameras are left as they were found (the texture slots used are
// rebuilt, so the current slot's layers are rebuilt as a selection leaves them).
// On failure nothing is written and it returns false with a one-line message.
bool writeGltfScene(const std::string& path, const GltfProgress& progress, GltfReport* report,
                    std::string* error);

}  // namespace vandrel::exporting
