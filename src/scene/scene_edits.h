#pragma once
// The edits the scenes and modifiers dialogs offer, each with what follows it:
// the dialogs refreshed, the selection markers moved, the undo snapshot taken.
// The structural edits of the store (newScene(), insertObject() and the others)
// change the tables alone; these are the editor's, built on them.

#include <optional>
#include <string>

#include "scene/scene_store.h"

namespace vandrel::scene {

// Scale axes of the scale trackbars; common moves all three sizes together.
inline constexpr int kScaleAxisX = 0;
inline constexpr int kScaleAxisY = 1;
inline constexpr int kScaleAxisZ = 2;
inline constexpr int kScaleAxisCommon = 3;

// What the scenes editor's creation does: object 0 of the current scene gets
// normal mode 0.
void resetFirstNormalMode();

// Scenes: "<" / ">" (delta -1 / +1, within the scenes in use), "crt" and "del".
// Each, refused or not, shows the current scene in every scene window and the
// render settings, and moves the markers.
void stepScene(int delta);
void createScene();
void deleteScene();

// Objects: "<" / ">" step only when there is an object to step to, and switch the
// editors to the object's material and texture; "|<" / ">|" jump and do not. The
// object's last modifier becomes current.
void stepObject(int delta);
void firstObject();
void lastObject();

// "Создать", "Клонировать", "Удалить", "Стереть" (the scene, once confirmed). A
// refused edit changes nothing and takes no snapshot; a done one is a step of undo.
void createObject();
void cloneObject();
void deleteObject();
void eraseScene();

// "Загрузить": the layer file into the current scene (loadSceneLayer). Without a
// file (the choice was cancelled) object 0 becomes current all the same. False,
// changing nothing, when the file is refused; error then says why.
bool loadLayer(const std::optional<std::string>& path, std::string* error);

// An object a clone rule fills (a clone slot of the current scene) is written
// over at every draw: every edit of its record below, and of the modifier entries
// the rule writes, is refused with a notice in the status bar ("объект N
// заполняется клонами объекта M") and leaves the record as it was. These two say
// the same for the 3D view's drags: true (and told) when the current object's
// record, or its current modifier, is filled.
bool objectFilledByClones();
bool modifierFilledByClones();

// Numbers as typed into the boxes, nothing where a box holds no number. Each is
// stored only when its field can hold it; a real change is a step of undo.
void applyPosition(std::optional<int> x, std::optional<int> y, std::optional<int> z);
void applyGrid(std::optional<int> n, std::optional<int> m);
void applyRepeat(std::optional<int> u, std::optional<int> v);

// Edits that take effect at once, without a snapshot.
void stepMaterial(int delta);  // within 0..255
void stepTexture(int delta);   // within 0..255
void cycleNormalMode();        // 0 after the last
void setPrimitive(int code);   // codes outside the list are ignored
void setAlphaMode(int code);

// The two scale trackbars: value = coarse x 256 + fine.
struct ScaleTrackbars {
  int coarse, fine;
};
ScaleTrackbars scaleTrackbarsOf(int value);
// Sets the size of an axis, or all three for common.
void storeScaleTrackbars(int axis, const ScaleTrackbars& positions);
// The size the trackbars show for an axis; common shows x, and the mean of the
// three only when it is chosen.
int axisScale(int axis);
int meanScale();

// ---- Modifiers of the current object ----

// The first modifier of an object that has none: kind 0, centred, radius 100.
Modifier newModifier();
// The current modifier; null while the object has none.
Modifier* currentModifierRecord();

// What the modifiers editor's creation does: the current object's list emptied,
// its first slot a new modifier, modifier 0 current.
void emptyModifierList();

// "создать": a copy of the current modifier right after it (the new modifier when
// there is none), up to 255. "удалить": the current one goes, the one before it
// becomes current. The steppers stay inside the list; ">|" goes to its end. Each
// moves the markers.
void createModifier();
void deleteModifier();
// The same two on the list alone, for the 3D view's double clicks, which leave
// the markers where they are; false when the list was full or empty.
bool insertModifier();
bool removeModifier();
void stepModifier(int delta);
void lastModifier();

// These need a current modifier and do nothing without one.
void setModifierKind(int kind);
// Typed numbers, taken within -126..126, -32766..32766 and -12699..12699; the
// offsets move the markers.
void applyStrength(std::optional<int> strength);
void applyRadius(std::optional<int> radius);
void applyOffsets(std::optional<int> x, std::optional<int> y, std::optional<int> z);
// What those boxes and the clone step's take, both ends included, for the
// editor to say when it refuses a number.
struct TypedRange {
  int lo, hi;
};
TypedRange strengthRange();
TypedRange radiusRange();
TypedRange offsetRange();
TypedRange cloneStepRange();
TypedRange cloneCountRange();

// Numbers typed into the boxes that show the selection and the object's
// material and texture; what is out of range changes nothing. A typed scene or
// object is selected as the steppers select it; a material or texture number
// takes effect at once, without a snapshot. The count is the rule's of a slot.
void selectScene(int scene);    // 0..sceneCount-1
void selectObject(int object);  // 0..objectCount-1 of the current scene
void setMaterialNumber(int material);
void setTextureNumber(int texture);
void setCloneCount(int object, int count);
// "+" / "-": one step, never past 32767 nor below -32767.
void stepStrength(int delta);
void stepRadius(int delta);

// The strength trackbar and the two radius trackbars: radius = coarse x 127 +
// fine, both parts carrying the sign of the value.
struct ModifierTrackbars {
  int strength, radiusCoarse, radiusFine;
};
ModifierTrackbars modifierTrackbarsOf(const Modifier& m);
// Any of them moved: both parameters from all three.
void storeModifierTrackbars(const ModifierTrackbars& positions);

// ---- Clone rules of the current scene, by object number ----

inline constexpr int kLastCloneObject = 254;

// What the clones editor's creation does: every rule of the current scene empty.
void emptyCloneRules();
// "<" / ">" of the count: one step within 0..254.
void stepCloneCount(int object, int delta);
// "<-ok": a typed step within -19999..19999 is taken; anything else leaves the
// old one.
void applyCloneStep(int object, std::optional<int> step);
void setCloneKind(int object, int kind);

}  // namespace vandrel::scene
