#pragma once
// Which object slots the clone rules of a scene fill, and with what, as the clone
// expansion writes them at the start of every draw: an edit of a filled slot is
// overwritten by the next frame.

namespace vandrel::scene {

// The copies the rule of a cloning object makes: its count, stopped before the
// modifier marker's slot.
int copiesOfRule(int sceneIndex, int leader);

struct CloneFill {
  int recordLeader = -1;    // the object whose copy overwrites the slot's record; -1 when none does
  int modifierLeader = -1;  // the object whose modifiers overwrite the slot's first entries
  int modifiers = 0;        // entries 0..modifiers-1 of the slot's list are overwritten
};

// What the rules of the scene's objects, walked in order, write into one slot. A
// group keeps its copies' records and overwrites their lists only; the circle
// kinds also set the entry after the leader's for their turn.
CloneFill cloneFillOf(int sceneIndex, int object);

}  // namespace vandrel::scene
