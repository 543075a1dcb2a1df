#pragma once
// Object picking: the current scene drawn once more in flat, unlit colours that
// encode each object's index, and the pixel under the click read back.

namespace vandrel::render {

// Indices 254 and 255 read back as "nothing picked" (255 is the white background).
inline constexpr int kPickableObjects = 254;

// The ambient level of object index i. The device turns a colour into a byte as
// round(c x 255), so i / 255 reads back as exactly i (i / 256 would read i - 1
// from 129 on).
float pickLevel(int index);

// Makes the object drawn at back-buffer pixel (x, y) the current object of the
// current scene; the background keeps the current object. A point outside the
// 640 x 480 back buffer, or no device, does nothing.
void pickObject(int x, int y);

}  // namespace vandrel::render
