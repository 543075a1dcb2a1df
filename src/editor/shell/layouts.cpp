#include "editor/shell/layouts.h"

#include <QApplication>
#include <QDir>
#include <QMdiSubWindow>
#include <QScreen>
#include <QStyle>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/os/files.h"
#include "platform/os/window_layout.h"

namespace vandrel::shell {

std::string startDirectory = ".";

namespace {

// The slots a read places, in this order; the rest are written as zeros.
constexpr int kPlacedSlots[] = {0, 1, 2, 4, 5, 6, 7, 8, 10};

bool resizedOnRead(int slot) { return slot == ui::kSlotPreview || slot == ui::kSlotView; }

int titleBarHeight() {
  return QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
}

// Where a layout may place windows: the frame's area (the sub-windows' parent),
// and at least the screen, so that a layout made on a larger frame still fits.
QSize placingRoom() {
  QSize room;
  if (ui::ToolWindow* view = ui::toolWindowInSlot(ui::kSlotView); view && view->window && view->window->parentWidget())
    room = view->window->parentWidget()->size();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) room = room.expandedTo(screen->availableSize());
  return room;
}

// The frame's area the sub-windows live in.
QSize areaSize() {
  ui::ToolWindow* view = ui::toolWindowInSlot(ui::kSlotView);
  return view && view->window && view->window->parentWidget() ? view->window->parentWidget()->size() : QSize();
}

ui::LayoutRect layoutRect(const QRect& g) {
  return {g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
}


}  // namespace

std::string userConfigFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && config[0] == '/') return std::string(config) + "/vandrel";
  return QDir::homePath().toStdString() + "/.config/vandrel";
}

std::string layoutPath(int index) {
  return startDirectory + "/winpos" + std::to_string(index + 1) + ".vwp";
}

bool readLayoutFile(const std::string& path, ui::WindowLayout* layout) {
  std::string bytes;
  if (!os::readFileStart(path, os::kLayoutBytes, &bytes, nullptr)) return false;
  os::readLayoutBytes(bytes, layout);
  return true;
}

bool readLayout(int index) {
  ui::WindowLayout read = ui::shellFlags.currentLayout;
  if (!readLayoutFile(layoutPath(index), &read)) return false;
  ui::returnHome();  // a window the file leaves out stays where the user had it
  // Cut to the room first: a file's rectangle may be anything, and one that cannot
  // be placed at all is left out, as if the file had not held it.
  const QSize room = placingRoom();
  const int least = titleBarHeight();
  ui::WindowLayout& layout = ui::shellFlags.currentLayout;
  layout = os::fitToArea(read, layout, room.width(), room.height(), least);
  for (int slot : kPlacedSlots) {
    ui::ToolWindow* w = ui::toolWindowInSlot(slot);
    if (!w || !w->window || !os::placeInArea(read.rects[slot], room.width(), room.height(), least)) continue;
    const ui::LayoutRect& r = layout.rects[slot];
    if (resizedOnRead(slot))
      w->window->setGeometry(r.left, r.top, r.right - r.left, r.bottom - r.top);
    else
      w->window->move(r.left, r.top);
    w->window->show();
    w->window->raise();
  }
  return true;
}

void placeDefaultLayout() {
  constexpr int kStrip = ui::kFoldHeight + ui::kStripGap;
  auto geometry = [](int slot) {
    ui::ToolWindow* w = ui::toolWindowInSlot(slot);
    return w && w->window ? w->window->geometry() : QRect();
  };
  auto place = [](int slot, int x, int y) {
    if (ui::ToolWindow* w = ui::toolWindowInSlot(slot); w && w->window) w->window->move(x, y);
  };
  const QRect preview = geometry(ui::kSlotPreview);
  // The 3D view stands right of the left column, whose texture dialogs are as wide
  // as their font makes them.
  const int leftColumn = std::max({preview.right() + 1, geometry(ui::kSlotTextureEditor).width(),
                                   geometry(ui::kSlotTextureAnimation).width()});
  place(ui::kSlotView, leftColumn, geometry(ui::kSlotView).top());
  const QRect view = geometry(ui::kSlotView);
  place(ui::kSlotTextureEditor, 0, preview.bottom() + 1);
  place(ui::kSlotTextureAnimation, 0, preview.bottom() + 1 + kStrip);
  int y = 0;
  for (int slot : {ui::kSlotScenes, ui::kSlotModifiers, ui::kSlotMaterials}) {
    place(slot, view.right() + 1, y);
    y += kStrip;
  }
  // The renderer settings and the clones go below the 3D view, side by side,
  // where the area has the room (a large font or a scaled screen leaves less of
  // it); elsewhere each takes the first place left free by the windows and the
  // folded strips.
  const QSize room = areaSize();
  std::vector<QRect> taken{preview, view};
  for (int slot : {ui::kSlotTextureEditor, ui::kSlotTextureAnimation, ui::kSlotScenes, ui::kSlotModifiers,
                   ui::kSlotMaterials})
    taken.emplace_back(geometry(slot).topLeft(), QSize(geometry(slot).width(), ui::kFoldHeight));
  auto placeFree = [&](int slot, QPoint wanted) {
    QRect r(wanted, geometry(slot).size());
    const bool free = r.right() < room.width() && r.bottom() < room.height() &&
                      std::none_of(taken.begin(), taken.end(), [&r](const QRect& t) { return t.intersects(r); });
    if (!free) r.moveTopLeft(ui::freePlace(r.size(), taken, room).value_or(wanted));
    place(slot, r.x(), r.y());
    taken.push_back(r);
  };
  const QPoint belowView(view.left(), view.bottom() + 1);
  placeFree(ui::kSlotRenderSettings, belowView);
  const QRect settings = geometry(ui::kSlotRenderSettings);
  placeFree(ui::kSlotClones, settings.topLeft() == belowView ? QPoint(settings.right() + 1, settings.top()) : belowView);
  for (int slot : kPlacedSlots) {
    const QRect g = geometry(slot);
    if (g.isValid()) ui::shellFlags.currentLayout.rects[slot] = layoutRect(g);
  }
}

bool writeLayout(int index, std::string* error) {
  ui::returnHome();  // stored where the user put them, not where folding moved them
  const ui::WindowLayout& current = ui::shellFlags.currentLayout;
  ui::WindowLayout stored{};
  for (int slot : kPlacedSlots) {
    ui::ToolWindow* w = ui::toolWindowInSlot(slot);
    if (!w || !w->window) continue;
    if (w->foldable) {
      // A folded dialog is stored at its full size (known once a layout was read).
      const ui::LayoutRect& full = current.rects[slot];
      if (full.right > full.left && full.bottom > full.top)
        ui::resizeAndRaise(w->window, full.right - full.left, full.bottom - full.top);
    }
    stored.rects[slot] = layoutRect(w->window->geometry());
  }
  QDir().mkpath(QString::fromStdString(startDirectory));  // a configuration folder not made yet
  return os::writeFile(layoutPath(index), layoutBytes(stored), error);
}

}  // namespace vandrel::shell
