#pragma once
// Commands one window sends another. Each is the id of the menu entry or button
// that gives the command in the window receiving it, so a sent command does just
// what choosing that entry or pressing that button does. They live on this floor
// because the 3D view's navigation sends them and every window may include it.

namespace vandrel::render {

inline constexpr int kReadLayout = 32775;  // frame window, menu "Считать раскладку"
inline constexpr int kSavePack = 32780;    // frame window, menu "Сохранить пакет"
inline constexpr int kNormalMode = 1084;   // scenes dialog, the normal-mode button

}  // namespace vandrel::render
