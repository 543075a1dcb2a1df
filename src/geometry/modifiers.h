#pragma once
// Helpers around the modifier evaluator (applyModifiers, declared with the mesh state).

namespace vandrel::geometry {

// Runs the current object's modifier list on the given point: sets meshState's
// point, walks the list and reads the point back. The frame moves suns and lamps
// this way, starting from (0, 0, 0); the texture coordinates, grid position and
// selection flags are whatever meshState holds.
void applyModifiersToPoint(double& X, double& Y, double& Z);

}  // namespace vandrel::geometry
