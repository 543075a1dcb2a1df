#include "scene/clones_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <iterator>
#include <string>

#include "platform/ui/commands.h"
#include "scene/catalogues.h"
#include "scene/scene_hooks.h"
#include "scene/scene_store.h"

namespace vandrel::scene {

namespace {

// Column widths in shares of the dialog's width: the stepper arrows narrow, the
// kind list wide enough for its label.
constexpr int kColumnShares[] = {2, 3, 2, 4, 4, 4, 2, 4, 2, 4, 3};

ClonesDialog* instance = nullptr;

void refreshInstance() {
  if (instance) instance->refresh();
}

}  // namespace

ClonesDialog::ClonesDialog(QWidget* parent) : Dialog(parent) {
  setWindowTitle(QStringLiteral("клоны"));

  // As in the scenes dialog, the controls keep their natural size when the
  // window is made smaller.
  auto* page = new QWidget(this);
  page->setFixedSize(kClonesDialogWidth, kClonesDialogHeight);
  auto* grid = new QGridLayout(page);
  grid->setContentsMargins(3, 2, 3, 2);
  grid->setSpacing(2);
  for (int c = 0; c < static_cast<int>(std::size(kColumnShares)); ++c) grid->setColumnStretch(c, kColumnShares[c]);
  auto put = [grid](QWidget* w, int row, int column, int span = 1) {
    w->setMinimumSize(1, 1);
    grid->addWidget(w, row, column, 1, span);
  };
  auto label = [put, page](const char* text, int column, int span) {
    put(new QLabel(QString::fromUtf8(text), page), 0, column, span);
  };

  label("объект", 0, 3);
  label("тип  клонирования", 3, 3);
  label("кол-во клонов", 6, 3);
  label("смещение", 9, 2);
  put(addButton(kCloneObjectDown, "<"), 1, 0);
  put(addEdit(kCloneObjectNumber), 1, 1);
  put(addButton(kCloneObjectUp, ">"), 1, 2);
  put(addCombo(kCloneKindList), 1, 3, 3);
  put(addButton(kCloneCountDown, "<"), 1, 6);
  put(addEdit(kCloneCountNumber), 1, 7);
  put(addButton(kCloneCountUp, ">"), 1, 8);
  put(addEdit(kCloneStepEdit), 1, 9);
  put(addButton(kApplyCloneStep, "<-ok"), 1, 10);

  for (int o = 0; o < kCloneSlots; ++o) cloneRule(sceneStore.currentScene, o) = CloneRule{};
  for (int code = 0; code < kCloneKinds; ++code) addItem(kCloneKindList, cloneKindLabel(code));
  setSelection(kCloneKindList, 0);

  resize(kClonesDialogWidth, kClonesDialogHeight);
  instance = this;
  sceneHooks.refreshClonesDialog = &refreshInstance;
  ui::registerCommandTarget(ui::WindowId::clones, this);
  refresh();
}

ClonesDialog::~ClonesDialog() {
  if (instance == this) {
    instance = nullptr;
    sceneHooks.refreshClonesDialog = nullptr;
  }
  if (ui::commandTarget(ui::WindowId::clones) == this) ui::registerCommandTarget(ui::WindowId::clones, nullptr);
}

QSize ClonesDialog::sizeHint() const { return {kClonesDialogWidth, kClonesDialogHeight}; }

void ClonesDialog::refresh() {
  const CloneRule& rule = cloneRule(sceneStore.currentScene, cloneObjectIndex_);
  setText(kCloneObjectNumber, std::to_string(cloneObjectIndex_));
  setSelection(kCloneKindList, rule.cloneKind < kCloneKinds ? rule.cloneKind : -1);
  setText(kCloneCountNumber, std::to_string(rule.cloneCount));
  setText(kCloneStepEdit, std::to_string(rule.cloneStep));
}

void ClonesDialog::command(int id) {
  CloneRule& rule = cloneRule(sceneStore.currentScene, cloneObjectIndex_);
  switch (id) {
    case kCloneObjectDown:
      if (cloneObjectIndex_ > 0) --cloneObjectIndex_;
      break;
    case kCloneObjectUp:
      if (cloneObjectIndex_ < kLastCloneObject) ++cloneObjectIndex_;
      break;
    case kCloneCountDown:
      if (rule.cloneCount > 0) --rule.cloneCount;
      break;
    case kCloneCountUp:
      if (rule.cloneCount < kMaxCloneCount) ++rule.cloneCount;
      break;
    case kApplyCloneStep: {
      // A step outside the range, or no number at all, leaves the old step; the
      // refresh shows it again.
      bool ok = false;
      const int step = editInt(kCloneStepEdit, &ok);
      if (ok && step >= -kMaxCloneStep && step <= kMaxCloneStep) rule.cloneStep = static_cast<std::int16_t>(step);
      break;
    }
    default:
      return;
  }
  refresh();
}

void ClonesDialog::listChanged(int id) {
  const int index = selection(id);
  if (id == kCloneKindList && index >= 0)
    cloneRule(sceneStore.currentScene, cloneObjectIndex_).cloneKind = static_cast<std::uint8_t>(index);
}

}  // namespace vandrel::scene
