#include "editor/scene/modifiers_dialog.h"

#include <QComboBox>
#include <QEvent>
#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "pack/document.h"
#include "platform/ui/commands.h"
#include "platform/ui/tool_windows.h"
#include "scene/modifier_kinds.h"
#include "scene/scene_edits.h"
#include "scene/scene_hooks.h"
#include "scene/scene_store.h"

namespace vandrel::scene {

namespace {

constexpr int kBarLimit = 127;  // every trackbar runs -127..127

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
  r->addWidget(foldButton(kModFold));

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
  // Enter in a parameter's box, or leaving it, applies it as its "<-ok" does.
  auto parameter = [&](int labelId, const char* caption, int edit, ui::NumberRange range, int minus, int plus,
                       int apply) {
    QHBoxLayout* p = row();
    p->addWidget(fixed(addLabel(labelId, caption), 0, 0, labels));
    const auto applyIt = [this, apply](int) { command(apply); };
    p->addWidget(wide(addNumberBox(edit, ui::BoxCaption::ofLabel(labelId), range, applyIt)), 1);
    p->addWidget(smallButton(minus, "-"));
    p->addWidget(smallButton(plus, "+"));
    p->addWidget(button(apply, "<-ok"));
    setTip(minus, "Параметр на единицу меньше");
    setTip(plus, "Параметр на единицу больше");
    setTip(apply, "Применить число из поля слева");
  };
  const TypedRange strength = strengthRange(), radius = radiusRange(), offset = offsetRange();
  parameter(kModStrengthLabel, "сила", kModStrengthEdit, {strength.lo, strength.hi}, kModStrengthMinus,
            kModStrengthPlus, kModStrengthApply);
  rows->addWidget(stretched(addTrackbar(kModStrengthBar, -kBarLimit, kBarLimit), 0, 0));
  parameter(kModRadiusLabel, "рад.", kModRadiusEdit, {radius.lo, radius.hi}, kModRadiusMinus, kModRadiusPlus,
            kModRadiusApply);
  rows->addWidget(stretched(addTrackbar(kModRadiusCoarse, -kBarLimit, kBarLimit), 0, 0));
  rows->addWidget(stretched(addTrackbar(kModRadiusFine, -kBarLimit, kBarLimit), 0, 0));

  rows->addWidget(staticText("x               y              z"));
  r = row();
  for (auto [id, axis] : {std::pair{kModOffsetX, "x"}, {kModOffsetY, "y"}, {kModOffsetZ, "z"}})
    r->addWidget(wide(addAppliedBox(id, axis, {offset.lo, offset.hi}, kModOffsetsApply)), 1);
  r->addWidget(button(kModOffsetsApply, "<-ok"));
  setTip(kModOffsetsApply, "Применить смещение центра x, y, z");
  rows->addStretch(1);

  // Child controls take the mouse moves; the dialog watches them to claim the focus.
  setMouseTracking(true);
  for (QWidget* child : findChildren<QWidget*>()) {
    child->setMouseTracking(true);
    child->installEventFilter(this);
  }

  // What start-up does: the current object begins without modifiers.
  emptyModifierList();

  for (int kind = 0; kind < kModifierKinds; ++kind) addItem(kModKind, modifierListText(kind));
  setSelection(kModKind, 0);
  setUnitSize(kModifiersDialogWidth, kModifiersDialogHeight);

  sceneHooks.refreshModifiersDialog.set(this, [this] { refresh(); });
  pack::addDocumentListener(this, [this] { refresh(); });
  ui::registerCommandTarget(ui::WindowId::modifiers, this);
  refresh();
}

ModifiersDialog::~ModifiersDialog() {
  sceneHooks.refreshModifiersDialog.clear(this);
  pack::removeDocumentListener(this);
  if (ui::commandTarget(ui::WindowId::modifiers) == this)
    ui::registerCommandTarget(ui::WindowId::modifiers, nullptr);
}

void ModifiersDialog::command(int id) {
  switch (id) {
    case kModFold: ui::toggleFoldFlag(ui::kFocusModifiers); return;
    case kModCreate: createModifier(); break;
    case kModDelete: deleteModifier(); break;
    case kModPrevious: stepModifier(-1); break;
    case kModNext: stepModifier(1); break;
    case kModLast: lastModifier(); break;
    case kModStrengthApply: applyStrength(boxNumber(kModStrengthEdit)); break;
    case kModRadiusApply: applyRadius(boxNumber(kModRadiusEdit)); break;
    case kModStrengthPlus: stepStrength(1); break;
    case kModStrengthMinus: stepStrength(-1); break;
    case kModRadiusPlus: stepRadius(1); break;
    case kModRadiusMinus: stepRadius(-1); break;
    case kModOffsetsApply: {
      const auto typed = boxNumbers({kModOffsetX, kModOffsetY, kModOffsetZ});
      applyOffsets(typed[0], typed[1], typed[2]);
      break;
    }
    default: return;
  }
  refresh();
}

void ModifiersDialog::trackbarMoved(int) {
  storeModifierTrackbars({trackbarPos(kModStrengthBar), trackbarPos(kModRadiusCoarse), trackbarPos(kModRadiusFine)});
  refresh();
}

void ModifiersDialog::listChanged(int id) {
  if (id != kModKind) return;
  setModifierKind(selection(kModKind));
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
  const ModifierTrackbars t = modifierTrackbarsOf(*m);
  setTrackbarPos(kModStrengthBar, t.strength);
  setTrackbarPos(kModRadiusCoarse, t.radiusCoarse);
  setTrackbarPos(kModRadiusFine, t.radiusFine);
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
