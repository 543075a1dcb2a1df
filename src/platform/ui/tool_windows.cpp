#include "platform/ui/tool_windows.h"

#include <QEvent>
#include <QWidget>

#include <vector>

namespace vandrel::ui {

ShellFlags shellFlags;

namespace {

std::vector<ToolWindow> windows;

int slotWidth(int slot) {
  const LayoutRect& r = shellFlags.currentLayout.rects[slot];
  return r.right - r.left;
}

int slotHeight(int slot) {
  const LayoutRect& r = shellFlags.currentLayout.rects[slot];
  return r.bottom - r.top;
}

void unfold(const ToolWindow& w) {
  resizeAndRaise(w.window, slotWidth(w.layoutSlot), slotHeight(w.layoutSlot));
}

// Mouse moves over a sub-window's title bar reach the sub-window, never the
// dialog inside it; this passes them on as moves over the tool window.
class CaptionMoves : public QObject {
 public:
  CaptionMoves(QWidget* window, int focusCode) : QObject(window), focusCode_(focusCode) {
    window->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::MouseMove) takeFocusOnMouseMove(focusCode_);
    return false;
  }

 private:
  int focusCode_;
};

// The widget or one of its children has the keyboard focus of its window (also
// while the application is not the active one).
bool holdsKeyboardFocus(const QWidget* widget) {
  const QWidget* focus = widget->window()->focusWidget();
  return focus && (focus == widget || widget->isAncestorOf(focus));
}

}  // namespace

void registerToolWindow(const ToolWindow& window) {
  windows.push_back(window);
  if (window.window && window.focus && window.window != window.focus && window.focusCode >= 0)
    new CaptionMoves(window.window, window.focusCode);  // owned by the window
}

void resetToolWindows() {
  windows.clear();
  shellFlags = ShellFlags{};
}

ToolWindow* toolWindowWithCode(int focusCode) {
  for (ToolWindow& w : windows)
    if (w.focusCode == focusCode) return &w;
  return nullptr;
}

ToolWindow* toolWindowInSlot(int slot) {
  for (ToolWindow& w : windows)
    if (w.layoutSlot == slot) return &w;
  return nullptr;
}

void resizeAndRaise(QWidget* window, int width, int height) {
  if (!window) return;
  window->resize(width, height);
  window->show();
  window->raise();
}

void takeFocusOnMouseMove(int focusCode) {
  if (shellFlags.autoFocusOff && focusCode != kFocusPreview) return;
  const ToolWindow* w = toolWindowWithCode(focusCode);
  QWidget* target = w ? (w->focus ? w->focus : w->window) : nullptr;
  if (shellFlags.activeToolCode == focusCode) {
    // A click into a window outside automatic focus (the clones dialog, the help)
    // takes the keys without changing the code; the window under the mouse takes
    // them back, or its keys would go to a window the user has left.
    if (target && !holdsKeyboardFocus(target)) target->setFocus(Qt::MouseFocusReason);
    return;
  }
  if (target) target->setFocus(Qt::MouseFocusReason);
  shellFlags.activeToolCode = focusCode;
  foldHelper();
}

void focusActiveToolWindow() {
  if (ToolWindow* w = toolWindowWithCode(shellFlags.activeToolCode))
    (w->focus ? w->focus : w->window)->setFocus(Qt::OtherFocusReason);
}

void foldHelper() {
  if (!shellFlags.unfoldedWindows)
    for (const ToolWindow& w : windows)
      if (w.foldable && !w.foldFlag) resizeAndRaise(w.window, slotWidth(w.layoutSlot), kFoldHeight);
  ToolWindow* active = toolWindowWithCode(shellFlags.activeToolCode);
  if (!active) return;
  if (active->foldable)
    unfold(*active);
  else if (active->focusCode == kFocusFrame && active->window)
    active->window->show();
}

void unfoldAll() {
  shellFlags.unfoldedWindows = true;
  for (const ToolWindow& w : windows)
    if (w.foldable) unfold(w);
  if (ToolWindow* frame = toolWindowWithCode(kFocusFrame); frame && frame->window) frame->window->show();
}

void toggleFoldFlag(int focusCode) {
  if (ToolWindow* w = toolWindowWithCode(focusCode)) w->foldFlag = !w->foldFlag;
}

}  // namespace vandrel::ui
