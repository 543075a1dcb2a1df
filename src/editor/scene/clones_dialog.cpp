#include "editor/scene/clones_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <string>

#include "platform/ui/commands.h"
#include "scene/catalogues.h"
#include "scene/scene_edits.h"
#include "scene/scene_hooks.h"
#include "scene/scene_store.h"

namespace vandrel::scene {

ClonesDialog::ClonesDialog(QWidget* parent) : Dialog(parent) {
  setWindowTitle(QStringLiteral("клоны"));

  // Each caption stands over its controls; the kind list takes the room left over.
  auto* grid = new QGridLayout(this);
  spaceInUnits(grid, ui::kMargin, ui::kGap);
  auto label = [this, grid](const char* text, int column, int span) {
    grid->addWidget(new QLabel(QString::fromUtf8(text), this), 0, column, 1, span);
  };
  auto put = [grid](QWidget* w, int column) { grid->addWidget(w, 1, column); };
  label("объект", 0, 3);
  label("тип  клонирования", 3, 1);
  label("кол-во клонов", 4, 3);
  label("смещение", 7, 2);
  put(fixed(addButton(kCloneObjectDown, "<"), ui::kSmallButton, ui::kLineHeight), 0);
  // Typed numbers are taken as the steppers take them.
  put(fixed(addNumberBox(kCloneObjectNumber, "объект", {0, kLastCloneObject},
                         [this](int object) {
                           cloneObjectIndex_ = object;
                           refresh();
                         }),
            0, ui::kLineHeight, {"254"}),
      1);
  put(fixed(addButton(kCloneObjectUp, ">"), ui::kSmallButton, ui::kLineHeight), 2);
  put(stretched(addCombo(kCloneKindList), 0, ui::kLineHeight), 3);
  put(fixed(addButton(kCloneCountDown, "<"), ui::kSmallButton, ui::kLineHeight), 4);
  const TypedRange count = cloneCountRange();
  put(fixed(addNumberBox(kCloneCountNumber, "кол-во клонов", {count.lo, count.hi},
                         [this](int count) { setCloneCount(cloneObjectIndex_, count); }),
            0, ui::kLineHeight, {"254"}),
      5);
  put(fixed(addButton(kCloneCountUp, ">"), ui::kSmallButton, ui::kLineHeight), 6);
  const TypedRange step = cloneStepRange();
  put(fixed(addAppliedBox(kCloneStepEdit, "смещение", {step.lo, step.hi}, kApplyCloneStep), 0, ui::kLineHeight,
            {"-19999"}),
      7);
  put(fixed(addButton(kApplyCloneStep, "<-ok"), 0, ui::kLineHeight), 8);
  setTip(kApplyCloneStep, "Применить смещение клонов");
  grid->setColumnStretch(3, 1);
  grid->setRowStretch(2, 1);

  emptyCloneRules();
  for (int code = 0; code < kCloneKinds; ++code) addItem(kCloneKindList, cloneKindLabel(code));
  setSelection(kCloneKindList, 0);

  setUnitSize(kClonesDialogWidth, kClonesDialogHeight);
  sceneHooks.refreshClonesDialog.set(this, [this] { refresh(); });
  ui::registerCommandTarget(ui::WindowId::clones, this);
  refresh();
}

ClonesDialog::~ClonesDialog() {
  sceneHooks.refreshClonesDialog.clear(this);
  if (ui::commandTarget(ui::WindowId::clones) == this) ui::registerCommandTarget(ui::WindowId::clones, nullptr);
}

void ClonesDialog::refresh() {
  const CloneRule& rule = cloneRule(sceneStore.currentScene, cloneObjectIndex_);
  setText(kCloneObjectNumber, std::to_string(cloneObjectIndex_));
  setSelection(kCloneKindList, rule.cloneKind < kCloneKinds ? rule.cloneKind : -1);
  setText(kCloneCountNumber, std::to_string(rule.cloneCount));
  setText(kCloneStepEdit, std::to_string(rule.cloneStep));
}

void ClonesDialog::command(int id) {
  switch (id) {
    case kCloneObjectDown:
      if (cloneObjectIndex_ > 0) --cloneObjectIndex_;
      break;
    case kCloneObjectUp:
      if (cloneObjectIndex_ < kLastCloneObject) ++cloneObjectIndex_;
      break;
    case kCloneCountDown: stepCloneCount(cloneObjectIndex_, -1); break;
    case kCloneCountUp: stepCloneCount(cloneObjectIndex_, +1); break;
    case kApplyCloneStep:  // a refused step is shown back as the old one
      applyCloneStep(cloneObjectIndex_, boxNumber(kCloneStepEdit));
      break;
    default:
      return;
  }
  refresh();
}

void ClonesDialog::listChanged(int id) {
  if (id == kCloneKindList) setCloneKind(cloneObjectIndex_, selection(id));
}

}  // namespace vandrel::scene
