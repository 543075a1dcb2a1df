#pragma once
// What a user does with a control, through the same handlers the widgets call:
// for tools and tests that drive the dialogs without a mouse.

#include "platform/ui/dialog.h"

namespace vandrel::ui {

inline void choose(Dialog& d, int list, int item) {
  d.setSelection(list, item);
  d.listChanged(list);
}

inline void slide(Dialog& d, int trackbar, int position) {
  d.setTrackbarPos(trackbar, position);
  d.trackbarMoved(trackbar);
}

// A number typed into an edit, then its apply button pressed.
inline void type(Dialog& d, int edit, const char* text, int apply) {
  d.setText(edit, text);
  d.command(apply);
}

}  // namespace vandrel::ui
