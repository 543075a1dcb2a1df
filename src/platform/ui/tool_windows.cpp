#include "platform/ui/tool_windows.h"

#include <QApplication>
#include <QEvent>
#include <QStyle>
#include <QWidget>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <map>
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

bool foldedNow(const ToolWindow& w) { return w.foldable && !w.foldFlag && !shellFlags.unfoldedWindows; }

bool shareWidth(const QRect& a, const QRect& b) { return a.left() <= b.right() && b.left() <= a.right(); }

// Folding moves a window out of the way of the dialog it unfolds and back to
// where the user or a layout put it (home) when that dialog folds again; placed
// is where folding left it, to tell a move by the user since.
struct Displacement {
  QPoint home, placed;
};
std::map<const QWidget*, Displacement> displaced;

void moveAside(ToolWindow& w, int y) {
  if (y == w.window->y()) return;
  Displacement& d = displaced[w.window];
  d.home = w.window->pos();
  w.window->move(w.window->x(), y);
  d.placed = w.window->pos();
}

// The open dialog and the strips in its column, top to bottom: the strips it
// would cover move down below it, one after another; when that runs past the
// bottom of the area, the dialog and those strips move up as far as needed, and
// the strips above it with them. A column that cannot hold them all is left as
// it is, with the covered strips raised over the dialog.
void keepStripsInSight(ToolWindow& open) {
  const QWidget* area = open.window->parentWidget();
  if (!area) return;
  const QRect full = open.window->geometry();
  std::vector<ToolWindow*> column;
  for (ToolWindow& w : windows)
    if (&w == &open || (foldedNow(w) && w.window && w.window->isVisible() &&
                        shareWidth(w.window->geometry(), full)))
      column.push_back(&w);
  std::stable_sort(column.begin(), column.end(),
                   [](const ToolWindow* a, const ToolWindow* b) { return a->window->y() < b->window->y(); });
  const auto k = static_cast<std::size_t>(std::find(column.begin(), column.end(), &open) - column.begin());
  std::vector<int> y, h;
  for (const ToolWindow* w : column) {
    y.push_back(w->window->y());
    h.push_back(w->window->height());
  }
  std::size_t last = k;
  for (std::size_t i = k + 1; i < column.size(); ++i) {
    const int below = y[i - 1] + h[i - 1] + kStripGap;
    if (y[i] >= below) break;
    y[i] = below;
    last = i;
  }
  const int over = y[last] + h[last] - area->height();
  bool fits = true;
  if (over > 0) {
    for (std::size_t i = k; i <= last; ++i) y[i] -= over;
    for (std::size_t i = k; i-- > 0;) {
      const int above = y[i + 1] - kStripGap - h[i];
      if (y[i] <= above) break;
      y[i] = above;
    }
    fits = *std::min_element(y.begin(), y.end()) >= 0;
  }
  if (!fits) {
    for (ToolWindow* w : column)
      if (w != &open && w->window->geometry().intersects(full)) w->window->raise();
    return;
  }
  for (std::size_t i = 0; i < column.size(); ++i) moveAside(*column[i], y[i]);
}

// Where a window of `size` covers the least of `taken` inside the room, sparing
// their captions first; leftmost, then topmost, among equals.
QRect leastCovering(QSize size, const std::vector<QRect>& taken, QSize room, int caption) {
  std::vector<int> xs{0, room.width() - size.width()}, ys{0, room.height() - size.height()};
  for (const QRect& t : taken) {
    xs.push_back(t.right() + 1);
    ys.push_back(t.bottom() + 1);
  }
  for (int& x : xs) x = std::clamp(x, 0, std::max(0, room.width() - size.width()));
  for (int& y : ys) y = std::clamp(y, 0, std::max(0, room.height() - size.height()));
  std::sort(xs.begin(), xs.end());
  std::sort(ys.begin(), ys.end());
  auto area = [](const QRect& r) { return r.isEmpty() ? std::int64_t{0} : std::int64_t{r.width()} * r.height(); };
  QRect best;
  std::int64_t bestCost = std::numeric_limits<std::int64_t>::max();
  for (int x : xs)
    for (int y : ys) {
      const QRect r(QPoint(x, y), size);
      std::int64_t cost = 0;
      for (const QRect& t : taken) {
        const QRect captionStrip(t.topLeft(), QSize(t.width(), std::min(caption, t.height())));
        cost += area(r & captionStrip) * 1'000'000 + area(r & t);
      }
      if (cost < bestCost) {
        bestCost = cost;
        best = r;
      }
    }
  return best;
}

// The tool windows with a layout slot in the area, all unfolded, side by side.
void arrangeInArea() {
  std::vector<ToolWindow*> placed;
  for (ToolWindow& w : windows)
    if (w.layoutSlot >= 0 && w.window && w.window->isVisible() && w.window->parentWidget()) placed.push_back(&w);
  if (placed.empty()) return;
  std::stable_sort(placed.begin(), placed.end(), [](const ToolWindow* a, const ToolWindow* b) {
    const QPoint p = a->window->pos(), q = b->window->pos();
    return p.x() != q.x() ? p.x() < q.x() : p.y() < q.y();
  });
  std::vector<QRect> now;
  for (const ToolWindow* w : placed) now.push_back(w->window->geometry());
  const int caption = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
  const std::vector<QRect> arranged = arrangeSideBySide(now, placed.front()->window->parentWidget()->size(), caption);
  for (std::size_t i = 0; i < placed.size(); ++i) {
    placed[i]->window->move(arranged[i].topLeft());
    placed[i]->window->raise();  // where they must overlap, the later ones keep their captions
  }
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
  displaced.clear();
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
  returnHome();
  if (!shellFlags.unfoldedWindows)
    for (const ToolWindow& w : windows)
      if (w.foldable && !w.foldFlag) resizeAndRaise(w.window, slotWidth(w.layoutSlot), kFoldHeight);
  ToolWindow* active = toolWindowWithCode(shellFlags.activeToolCode);
  if (!active) return;
  if (active->foldable) {
    unfold(*active);
    keepStripsInSight(*active);
  } else if (active->focusCode == kFocusFrame && active->window)
    active->window->show();
}

void returnHome() {
  for (ToolWindow& w : windows) {
    const auto it = displaced.find(w.window);
    if (it == displaced.end() || !w.window) continue;
    if (w.window->pos() == it->second.placed) w.window->move(it->second.home);
    displaced.erase(it);
  }
}

void unfoldAll() {
  shellFlags.unfoldedWindows = true;
  returnHome();
  for (const ToolWindow& w : windows)
    if (w.foldable) unfold(w);
  arrangeInArea();
  if (ToolWindow* frame = toolWindowWithCode(kFocusFrame); frame && frame->window) frame->window->show();
}

std::optional<QPoint> freePlace(QSize size, const std::vector<QRect>& taken, QSize room) {
  std::vector<int> xs{0}, ys{0};
  for (const QRect& t : taken) {
    xs.push_back(t.right() + 1);
    ys.push_back(t.bottom() + 1);
  }
  std::sort(xs.begin(), xs.end());
  std::sort(ys.begin(), ys.end());
  for (int x : xs)
    for (int y : ys) {
      const QRect r(QPoint(x, y), size);
      if (r.right() >= room.width() || r.bottom() >= room.height()) continue;
      if (std::none_of(taken.begin(), taken.end(), [&r](const QRect& t) { return t.intersects(r); }))
        return r.topLeft();
    }
  return std::nullopt;
}

std::vector<QRect> arrangeSideBySide(const std::vector<QRect>& windows, QSize room, int caption) {
  std::vector<QRect> arranged;
  int columnX = 0, columnWidth = 0, y = 0;
  bool fits = true;
  for (std::size_t i = 0; i < windows.size(); ++i) {
    const QRect& w = windows[i];
    if (i > 0 && (w.left() > windows[i - 1].right() || y + w.height() > room.height())) {
      columnX += columnWidth;
      columnWidth = y = 0;
    }
    arranged.emplace_back(QPoint(columnX, y), w.size());
    fits = fits && arranged.back().right() < room.width() && arranged.back().bottom() < room.height();
    y += w.height();
    columnWidth = std::max(columnWidth, w.width());
  }
  if (fits) return arranged;
  arranged.clear();
  for (const QRect& w : windows) {
    const std::optional<QPoint> free = freePlace(w.size(), arranged, room);
    arranged.push_back(free ? QRect(*free, w.size()) : leastCovering(w.size(), arranged, room, caption));
  }
  return arranged;
}

void toggleFoldFlag(int focusCode) {
  if (ToolWindow* w = toolWindowWithCode(focusCode)) w->foldFlag = !w->foldFlag;
}

}  // namespace vandrel::ui
