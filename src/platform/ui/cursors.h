#pragma once
// The three cursors of the 3D view and the texture preview, and show-now for the
// long actions that run their own drawing loop inside a command.

#include <QCursor>

#include <initializer_list>

class QWidget;

namespace vandrel::ui {

enum class CursorKind {
  arrow,  // the usual pointer
  move,   // while Shift or the space bar is held: things follow the mouse
  cross,  // placing a point
};

QCursor cursorFor(CursorKind kind);

// Repaints the widgets at once, without processing input: each frame of a long
// action shows while the command is still running.
void showNow(std::initializer_list<QWidget*> widgets);

// The windows every long action shows its frames in (the 3D view and the texture
// preview), registered by the shell; showNowRegistered() repaints them at once.
void registerShowNowWindow(QWidget* window);
void forgetShowNowWindows();
void showNowRegistered();

}  // namespace vandrel::ui
