#include "shell/layouts.h"

#include <QApplication>
#include <QDir>
#include <QMdiSubWindow>
#include <QStyle>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/os/files.h"

namespace vandrel::shell {

std::string startDirectory = ".";

namespace {

constexpr std::size_t kLayoutBytes = kLayoutValues * 4;
// The slots a read places, in this order; the rest are written as zeros.
constexpr int kPlacedSlots[] = {0, 1, 2, 4, 5, 6, 7, 8, 10};

bool resizedOnRead(int slot) { return slot == ui::kSlotPreview || slot == ui::kSlotView; }

std::int32_t littleEndianAt(const std::string& bytes, std::size_t at) {
  std::uint32_t v = 0;
  for (int b = 3; b >= 0; --b) v = v << 8 | static_cast<unsigned char>(bytes[at + b]);
  return static_cast<std::int32_t>(v);
}

int titleBarHeight() {
  return QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
}

// The frame's area the windows live in: the sub-windows' parent.
QRect areaOf(const QWidget* window) {
  const QWidget* parent = window->parentWidget();
  return parent ? parent->rect() : QRect();
}

ui::LayoutRect layoutRect(const QRect& g) {
  return {g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
}

bool placeable(const QWidget* window, const QRect& target) {
  if (target.width() < titleBarHeight() || target.height() < titleBarHeight()) return false;
  const QRect area = areaOf(window);
  return area.isEmpty() || area.intersects(target);
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
  if (!os::readFile(path, kLayoutBytes, &bytes, nullptr)) return false;
  std::int32_t* values = &layout->rects[0].left;
  for (std::size_t i = 0; (i + 1) * 4 <= bytes.size(); ++i) values[i] = littleEndianAt(bytes, i * 4);
  return true;
}

std::string layoutBytes(const ui::WindowLayout& layout) {
  std::string bytes(kLayoutBytes, '\0');
  const std::int32_t* values = &layout.rects[0].left;
  for (int i = 0; i < kLayoutValues; ++i)
    for (int b = 0; b < 4; ++b)
      bytes[i * 4 + b] = static_cast<char>(static_cast<std::uint32_t>(values[i]) >> (8 * b) & 0xFF);
  return bytes;
}

bool readLayout(int index) {
  ui::WindowLayout& layout = ui::shellFlags.currentLayout;
  if (!readLayoutFile(layoutPath(index), &layout)) return false;
  for (int slot : kPlacedSlots) {
    ui::ToolWindow* w = ui::toolWindowInSlot(slot);
    if (!w || !w->window) continue;
    const ui::LayoutRect& r = layout.rects[slot];
    QRect target(r.left, r.top, r.right - r.left, r.bottom - r.top);
    if (!resizedOnRead(slot)) target.setSize(w->window->size());
    if (!placeable(w->window, target)) continue;
    w->window->setGeometry(target);
    w->window->show();
    w->window->raise();
  }
  return true;
}

void placeDefaultLayout() {
  constexpr int kStrip = ui::kFoldHeight + 5;
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
  place(ui::kSlotRenderSettings, view.left(), view.bottom() + 1);
  place(ui::kSlotClones, view.left() + geometry(ui::kSlotRenderSettings).width(), view.bottom() + 1);
  int y = 0;
  for (int slot : {ui::kSlotScenes, ui::kSlotModifiers, ui::kSlotMaterials}) {
    place(slot, view.right() + 1, y);
    y += kStrip;
  }
  for (int slot : kPlacedSlots) {
    const QRect g = geometry(slot);
    if (g.isValid()) ui::shellFlags.currentLayout.rects[slot] = layoutRect(g);
  }
}

bool writeLayout(int index, std::string* error) {
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
