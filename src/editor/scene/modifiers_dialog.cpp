#include "editor/scene/modifiers_dialog.h"

#include <QComboBox>
#include <QEvent>
#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui/commands.h"
#include "platform/ui/tool_windows.h"
#include "render/view_navigation.h"
#include "scene/modifier_texts.h"
#include "scene/scene_hooks.h"
#include "scene/scene_store.h"

namespace vandrel::scene {

namespace {

constexpr int kBarLimit = 127;          // every trackbar runs -127..127
constexpr int kRadiusStep = 127;        // radius = coarse x 127 + fine
constexpr int kStrengthLimit = 126;     // what edit 1105 accepts, either sign
constexpr int kRadiusLimit = 32766;     // what edit 1008 accepts, either sign
constexpr int kOffsetLimit = 12699;     // what the offset edits accept, either sign
constexpr int kStepTop = 32767;         // "+" stops here
constexpr int kStepBottom = -32766;     // "-" stops below this

ModifiersDialog* shown = nullptr;  // the one the scene hook refreshes

Modifier* currentModifierRecord() {
  ModifierList& list = currentModifierList();
  const int m = sceneStore.currentModifier;
  return m >= 0 && m < list.count ? &list.modifiers[m] : nullptr;
}

// The new modifier duplicates the current one right after it; an object without
// modifiers gets the same first modifier as a double click in the 3D view.
void createModifier() {
  ModifierList& list = currentModifierList();
  std::int32_t& current = sceneStore.currentModifier;
  if (list.count >= kMaxModifiers) return;
  if (list.count == 0) {
    list.modifiers[0] = render::firstModifier();
    list.count = 1;
    current = 0;
    return;
  }
  const int c = std::clamp<int>(current, 0, list.count - 1);
  std::copy_backward(list.modifiers + c + 1, list.modifiers + list.count, list.modifiers + list.count + 1);
  list.modifiers[c + 1] = list.modifiers[c];
  ++list.count;
  current = c + 1;
}

void deleteModifier() {
  ModifierList& list = currentModifierList();
  std::int32_t& current = sceneStore.currentModifier;
  if (list.count == 0) return;
  const int c = std::clamp<int>(current, 0, list.count - 1);
  std::copy(list.modifiers + c + 1, list.modifiers + list.count, list.modifiers + c);
  --list.count;
  current = std::max(c - 1, 0);
}

// A typed value is taken only when it is a number inside the accepted range.
void storeIfInRange(const ui::Dialog& d, int id, int limit, std::int16_t& field) {
  bool ok = false;
  const int v = d.editInt(id, &ok);
  if (ok && v >= -limit && v <= limit) field = static_cast<std::int16_t>(v);
}

void stepUp(std::int16_t& v) {
  if (v != kStepTop) ++v;
}

void stepDown(std::int16_t& v) {
  if (v >= kStepBottom) --v;
}

}  // namespace

ModifiersDialog::ModifiersDialog(QWidget* parent) : Dialog(parent) {
  setWindowTitle(QStringLiteral("Модификаторы"));

  // Rows from the top; the edits and trackbars take what their rows leave over.
  QVBoxLayout* rows = rowsFromTop();
  auto row = [rows] { return newRow(rows); };
  auto button = [this](int id, const char* caption) { return fixed(addButton(id, caption), 0, ui::kLineHeight); };
  auto number = [this](int id, const char* widest) { return fixed(addEdit(id), 0, ui::kLineHeight, {widest}); };
  auto wide = [this](QWidget* w) { return stretched(w, 0, ui::kLineHeight, {"-32768"}); };

  QHBoxLayout* r = row();
  r->addWidget(stretched(addButton(kModCreate, "создать"), 0, ui::kLineHeight), 1);
  r->addWidget(stretched(addButton(kModDelete, "удалить"), 0, ui::kLineHeight), 1);
  r->addWidget(smallButton(kModFold, "/"));

  r = row();
  r->addWidget(smallButton(kModPrevious, "<"));
  r->addWidget(staticText("№"));
  r->addWidget(number(kModIndex, "254"));
  r->addWidget(smallButton(kModNext, ">"));
  r->addWidget(smallButton(kModLast, ">|"));
  r->addStretch(1);
  r->addWidget(number(kModCount, "255"));
  // Both boxes only show the selection.
  static_cast<QLineEdit*>(control(kModIndex))->setReadOnly(true);
  static_cast<QLineEdit*>(control(kModCount))->setReadOnly(true);

  r = row();
  r->addWidget(staticText("тип"));
  r->addWidget(stretched(addCombo(kModKind), 0, ui::kLineHeight), 1);

  // Both parameter labels are as wide as the longest either can show, so the boxes line up.
  std::vector<std::string> labels;
  for (int kind = 0; kind < kModifierKinds; ++kind) {
    labels.push_back(modifierStrengthLabel(kind));
    labels.push_back(modifierRadiusLabel(kind));
  }
  auto parameter = [&](int labelId, const char* caption, int edit, int minus, int plus, int apply) {
    QHBoxLayout* p = row();
    p->addWidget(fixed(addLabel(labelId, caption), 0, 0, labels));
    p->addWidget(wide(addEdit(edit)), 1);
    p->addWidget(smallButton(minus, "-"));
    p->addWidget(smallButton(plus, "+"));
    p->addWidget(button(apply, "<-ok"));
  };
  parameter(kModStrengthLabel, "сила", kModStrengthEdit, kModStrengthMinus, kModStrengthPlus, kModStrengthApply);
  rows->addWidget(stretched(addTrackbar(kModStrengthBar, -kBarLimit, kBarLimit), 0, 0));
  parameter(kModRadiusLabel, "рад.", kModRadiusEdit, kModRadiusMinus, kModRadiusPlus, kModRadiusApply);
  rows->addWidget(stretched(addTrackbar(kModRadiusCoarse, -kBarLimit, kBarLimit), 0, 0));
  rows->addWidget(stretched(addTrackbar(kModRadiusFine, -kBarLimit, kBarLimit), 0, 0));

  rows->addWidget(staticText("x               y              z"));
  r = row();
  for (int id : {kModOffsetX, kModOffsetY, kModOffsetZ}) r->addWidget(wide(addEdit(id)), 1);
  r->addWidget(button(kModOffsetsApply, "<-ok"));
  rows->addStretch(1);

  // Child controls take the mouse moves; the dialog watches them to claim the focus.
  setMouseTracking(true);
  for (QWidget* child : findChildren<QWidget*>()) {
    child->setMouseTracking(true);
    child->installEventFilter(this);
  }

  // What start-up does: the current object begins without modifiers.
  ModifierList& list = currentModifierList();
  list.count = 0;
  list.modifiers[0] = render::firstModifier();
  sceneStore.currentModifier = 0;

  for (int kind = 0; kind < kModifierKinds; ++kind) addItem(kModKind, modifierListText(kind));
  setSelection(kModKind, 0);
  setUnitSize(kModifiersDialogWidth, kModifiersDialogHeight);

  shown = this;
  sceneHooks.refreshModifiersDialog = [] {
    if (shown) shown->refresh();
  };
  ui::registerCommandTarget(ui::WindowId::modifiers, this);
  refresh();
}

ModifiersDialog::~ModifiersDialog() {
  if (shown == this) {
    shown = nullptr;
    sceneHooks.refreshModifiersDialog = nullptr;
  }
  if (ui::commandTarget(ui::WindowId::modifiers) == this)
    ui::registerCommandTarget(ui::WindowId::modifiers, nullptr);
}

void ModifiersDialog::command(int id) {
  ModifierList& list = currentModifierList();
  std::int32_t& current = sceneStore.currentModifier;
  Modifier* m = currentModifierRecord();
  switch (id) {
    case kModFold:
      ui::toggleFoldFlag(ui::kFocusModifiers);
      return;
    case kModCreate:
      createModifier();
      notifySelectionChanged();
      break;
    case kModDelete:
      deleteModifier();
      notifySelectionChanged();
      break;
    case kModPrevious:
      if (current > 0) --current;
      notifySelectionChanged();
      break;
    case kModNext:
      if (current < list.count - 1) ++current;
      notifySelectionChanged();
      break;
    case kModLast:
      current = list.count - 1;
      notifySelectionChanged();
      break;
    case kModStrengthApply:
      if (m) storeIfInRange(*this, kModStrengthEdit, kStrengthLimit, m->strength);
      break;
    case kModRadiusApply:
      if (m) storeIfInRange(*this, kModRadiusEdit, kRadiusLimit, m->radius);
      break;
    case kModStrengthPlus:
      if (m) stepUp(m->strength);
      break;
    case kModStrengthMinus:
      if (m) stepDown(m->strength);
      break;
    case kModRadiusPlus:
      if (m) stepUp(m->radius);
      break;
    case kModRadiusMinus:
      if (m) stepDown(m->radius);
      break;
    case kModOffsetsApply:
      if (!m) break;
      storeIfInRange(*this, kModOffsetX, kOffsetLimit, m->offsetX);
      storeIfInRange(*this, kModOffsetY, kOffsetLimit, m->offsetY);
      storeIfInRange(*this, kModOffsetZ, kOffsetLimit, m->offsetZ);
      notifySelectionChanged();
      break;
    default:
      return;
  }
  refresh();
}

void ModifiersDialog::trackbarMoved(int) {
  Modifier* m = currentModifierRecord();
  if (m) {
    m->radius = static_cast<std::int16_t>(trackbarPos(kModRadiusCoarse) * kRadiusStep +
                                          trackbarPos(kModRadiusFine));
    m->strength = static_cast<std::int16_t>(trackbarPos(kModStrengthBar));
  }
  refresh();
}

void ModifiersDialog::listChanged(int id) {
  if (id != kModKind) return;
  const int kind = selection(kModKind);
  if (Modifier* m = currentModifierRecord(); m && kind >= 0 && kind < kModifierKinds)
    m->kind = static_cast<std::uint8_t>(kind);
  refresh();
}

void ModifiersDialog::refresh() {
  const ModifierList& list = currentModifierList();
  const Modifier* m = currentModifierRecord();
  // Without a modifier the index box is blank even when currentModifier stays 0.
  setText(kModIndex, m ? std::to_string(sceneStore.currentModifier) : "");
  setText(kModCount, list.count > 0 ? std::to_string(list.count) : "");
  if (!m) {
    for (int id : {kModStrengthEdit, kModRadiusEdit, kModOffsetX, kModOffsetY, kModOffsetZ}) setText(id, "");
    for (int id : {kModStrengthBar, kModRadiusCoarse, kModRadiusFine}) setTrackbarPos(id, 0);
    setSelection(kModKind, -1);
    return;
  }
  // Truncation toward zero gives both radius trackbars the sign of the value.
  setTrackbarPos(kModStrengthBar, m->strength);
  setTrackbarPos(kModRadiusCoarse, m->radius / kRadiusStep);
  setTrackbarPos(kModRadiusFine, m->radius % kRadiusStep);
  setSelection(kModKind, m->kind < kModifierKinds ? m->kind : -1);
  setText(kModStrengthEdit, std::to_string(m->strength));
  setText(kModRadiusEdit, std::to_string(m->radius));
  setText(kModOffsetX, std::to_string(m->offsetX));
  setText(kModOffsetY, std::to_string(m->offsetY));
  setText(kModOffsetZ, std::to_string(m->offsetZ));
  setText(kModStrengthLabel, modifierStrengthLabel(m->kind));
  setText(kModRadiusLabel, modifierRadiusLabel(m->kind));
}

void ModifiersDialog::mouseMoved() { ui::takeFocusOnMouseMove(ui::kFocusModifiers); }

bool ModifiersDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseMove) mouseMoved();
  return Dialog::eventFilter(watched, event);
}

void ModifiersDialog::mouseMoveEvent(QMouseEvent* event) {
  mouseMoved();
  Dialog::mouseMoveEvent(event);
}

}  // namespace vandrel::scene
