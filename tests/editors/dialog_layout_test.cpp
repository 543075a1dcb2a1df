// Every dialog, at the editor's font and at half as large again: each caption,
// item and title is shown whole, each box can show the widest value it may hold,
// every control lies inside its dialog, a trackbar gives at most four steps to a
// pixel, and the dialog has its documented size in dialog units of its font.

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "editor/materials/materials_dialog.h"
#include "editor/render/render_settings_dialog.h"
#include "scene/catalogues.h"
#include "editor/scene/clones_dialog.h"
#include "scene/modifier_kinds.h"
#include "editor/scene/modifiers_dialog.h"
#include "editor/scene/scenes_dialog.h"
#include "editor/shell/help_window.h"
#include "editor/texedit/texture_animation_dialog.h"
#include "editor/texedit/texture_editor_dialog.h"
#include "texedit/texture_editing.h"
#include "texgen/catalogue.h"

namespace vandrel::test {
namespace {

using Texts = std::vector<std::string>;
using TextsById = std::map<int, Texts>;

struct DialogCase {
  const char* name;
  std::function<std::unique_ptr<ui::Dialog>()> make;
  int widthUnits, heightUnits;
  // What a control may come to show besides its present caption and items: the
  // widest values of edits, every label a catalogue may put into it.
  std::function<TextsById()> texts;
  // Brings hidden controls into view.
  std::function<void(ui::Dialog&)> prepare = [](ui::Dialog&) {};
};

template <typename D>
std::function<std::unique_ptr<ui::Dialog>()> maker() {
  return [] { return std::make_unique<D>(); };
}

Texts operationNames(const std::string& prefix = {}) {
  Texts names;
  for (int code = 0; code < texgen::kCatalogueEntries; ++code) names.push_back(prefix + texgen::operationName(code));
  return names;
}

Texts parameterLabels() {
  Texts labels{"параметр"};
  for (const texgen::OperationRecord& r : texgen::catalogue.records)
    for (int i = 0; i < r.paramCount; ++i) labels.push_back(r.labels[i]);
  return labels;
}

Texts modifierLabels(const char* (*label)(int)) {
  Texts labels;
  for (int kind = 0; kind < scene::kModifierKinds; ++kind) labels.push_back(label(kind));
  return labels;
}

TextsById textureEditorTexts() {
  using namespace texedit;
  // Entry numbers run up to 253, the log's last entry.
  TextsById t{{kSlotNumber, {"255"}}, {kFunctionName, operationNames()}, {kHistoryList, operationNames("253")}};
  for (const ParameterRowIds& row : kParameterRows) {
    t[row.edit] = {"255"};
    t[row.label] = parameterLabels();
  }
  return t;
}

TextsById textureAnimationTexts() {
  using D = texedit::TextureAnimationDialog;
  TextsById t{{D::kMorphStages, {"256"}}, {D::kSinusStages, {"256"}}, {D::kReferenceSlot, {"255"}},
              {D::kMorphDepth, {"253"}},  {D::kSinusDepth, {"253"}},  {D::kCommandNumber, {"253"}},
              {D::kFunction, operationNames()}};
  for (int p = 1; p <= 7; ++p) t[D::paramLabelId(p)] = parameterLabels();
  return t;
}

TextsById scenesTexts() {
  using namespace scene;
  Texts normalModes;
  for (int mode = 0; mode < kNormalModes; ++mode) normalModes.push_back(normalModeLabel(mode));
  TextsById t{{kSceneNumber, {"126"}}, {kObjectNumber, {"254"}}, {kNormalMode, normalModes},
              {kAxisX, {"[x]"}},       {kAxisY, {"[y]"}},       {kAxisZ, {"[z]"}},
              {kAxisCommon, {"[общий]"}}};
  for (int id : {kPositionX, kPositionY, kPositionZ, kScaleValue}) t[id] = {"-32768"};
  for (int id : {kGridN, kGridM, kRepeatU, kRepeatV, kMaterialNumber, kTextureNumber}) t[id] = {"255"};
  return t;
}

TextsById modifiersTexts() {
  using namespace scene;
  TextsById t{{kModIndex, {"254"}},
              {kModCount, {"255"}},
              {kModStrengthLabel, modifierLabels(modifierStrengthLabel)},
              {kModRadiusLabel, modifierLabels(modifierRadiusLabel)}};
  // "+" and "-" carry strength and radius past what the boxes accept.
  for (int id : {kModStrengthEdit, kModRadiusEdit, kModOffsetX, kModOffsetY, kModOffsetZ}) t[id] = {"-32768"};
  return t;
}

TextsById clonesTexts() {
  using namespace scene;
  return {{kCloneObjectNumber, {"254"}}, {kCloneCountNumber, {"254"}}, {kCloneStepEdit, {"-19999"}}};
}

TextsById renderSettingsTexts() { return {{render::RenderSettingsDialog::kCameraNumber, {"254"}}}; }

TextsById materialsTexts() {
  using D = materials::MaterialsDialog;
  return {{D::kMaterialNumber, {"255"}}, {D::kMapNumber, {"254"}}, {D::kStageTexture, {"254"}}};
}

constexpr int kSevenParameters = 26;  // addparticle: every parameter row shows

const DialogCase kDialogs[] = {
    {"texture editor", maker<texedit::TextureEditorDialog>(), 192, 199, textureEditorTexts,
     [](ui::Dialog&) { texedit::showRecordInRows(kSevenParameters); }},
    {"texture animation", maker<texedit::TextureAnimationDialog>(), 183, 194, textureAnimationTexts},
    {"scenes", maker<scene::ScenesDialog>(), 135, 210, scenesTexts},
    {"modifiers", maker<scene::ModifiersDialog>(), 122, 130, modifiersTexts},
    {"clones", maker<scene::ClonesDialog>(), 240, 34, clonesTexts},
    {"renderer settings", maker<render::RenderSettingsDialog>(), 124, 142, renderSettingsTexts},
    {"materials", maker<materials::MaterialsDialog>(), 138, 156, materialsTexts},
    {"help", maker<shell::HelpWindow>(), 257, 176, [] { return TextsById{}; }},
};

// A size in dialog units of a font, in pixels as dialog templates count them:
// quarters of the rounded mean letter width, eighths of the height, MulDiv rounding.
QSize documentedSize(const QFont& font, int widthUnits, int heightUnits) {
  const QFontMetrics fm(font);
  const int letters = fm.horizontalAdvance(QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"));
  const int average = (letters / 26 + 1) / 2;
  return {(widthUnits * average * 2 + 4) / 8, (heightUnits * fm.height() * 2 + 8) / 16};
}

class LayoutChecker {
 public:
  LayoutChecker(const DialogCase& c, const ui::Dialog& dialog) : case_(c), dialog_(dialog), more_(c.texts()) {}

  void checkAll() {
    const QSize documented = documentedSize(dialog_.font(), case_.widthUnits, case_.heightUnits);
    EXPECT_EQ(dialog_.size(), documented) << case_.name << " at " << dialog_.font().pointSizeF() << " pt is "
                                          << dialog_.width() << " x " << dialog_.height() << ", not "
                                          << documented.width() << " x " << documented.height();
    for (QWidget* w : dialog_.findChildren<QWidget*>()) {
      if (!w->isVisibleTo(&dialog_) || !isControl(w)) continue;
      const QRect inDialog(w->mapTo(&dialog_, QPoint(0, 0)), w->size());
      EXPECT_TRUE(dialog_.rect().contains(inDialog)) << where(w) << " lies outside the dialog";
      check(w);
    }
  }

 private:
  static bool isControl(const QWidget* w) {
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLabel*>(w) ||
           qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QListWidget*>(w) || qobject_cast<const QTabBar*>(w) ||
           qobject_cast<const QGroupBox*>(w) || qobject_cast<const QSlider*>(w);
  }

  std::string where(const QWidget* w) const {
    const QString id = w->objectName().isEmpty() ? QStringLiteral("(no id)") : w->objectName();
    return std::string(case_.name) + " at " + QString::number(dialog_.font().pointSizeF()).toStdString() +
           " pt, control " + id.toStdString();
  }

  Texts textsOf(const QWidget* w, const QString& shown) const {
    Texts texts;
    if (!shown.isEmpty()) texts.push_back(shown.toStdString());
    const auto it = more_.find(w->objectName().toInt());
    if (!w->objectName().isEmpty() && it != more_.end())
      texts.insert(texts.end(), it->second.begin(), it->second.end());
    return texts;
  }

  // Each text must fit a space width x height pixels of the control's font.
  void expectFits(const QWidget* w, const Texts& texts, int width, int height, int extra = 0) const {
    const QFontMetrics fm(w->font());
    for (const std::string& t : texts) {
      const int needed = fm.horizontalAdvance(QString::fromStdString(t)) + extra;
      EXPECT_LE(needed, width) << where(w) << " cuts \"" << t << "\"";
      EXPECT_LE(fm.height(), height) << where(w) << " cuts the height of \"" << t << "\"";
    }
  }

  void check(QWidget* w) const {
    QStyle* style = w->style();
    if (auto* button = qobject_cast<QPushButton*>(w)) {
      QStyleOptionButton opt;
      opt.initFrom(button);
      if (button->autoDefault()) opt.features |= QStyleOptionButton::AutoDefaultButton;
      const QRect r = style->subElementRect(QStyle::SE_PushButtonContents, &opt, button);
      expectFits(w, textsOf(w, button->text()), r.width(), r.height());
    } else if (auto* box = qobject_cast<QCheckBox*>(w)) {
      QStyleOptionButton opt;
      opt.initFrom(box);
      const QRect r = style->subElementRect(QStyle::SE_CheckBoxContents, &opt, box);
      expectFits(w, textsOf(w, box->text()), r.width(), r.height());
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
      const int m = label->margin();
      const QRect r = label->contentsRect().marginsRemoved(QMargins(m, m, m, m));
      expectFits(w, textsOf(w, label->text()), r.width(), r.height());
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
      QStyleOptionFrame opt;
      opt.initFrom(edit);
      opt.lineWidth = style->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, edit);
      const QRect r =
          style->subElementRect(QStyle::SE_LineEditContents, &opt, edit).marginsRemoved(edit->textMargins());
      // The line edit keeps two pixels each side and one for the cursor after the text.
      expectFits(w, textsOf(w, edit->text()), r.width() - 4, r.height(), 1);
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
      QStyleOptionComboBox opt;
      opt.initFrom(combo);
      opt.frame = combo->hasFrame();
      opt.editable = combo->isEditable();
      const QRect r = style->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, combo);
      Texts items = textsOf(w, {});
      for (int i = 0; i < combo->count(); ++i) items.push_back(combo->itemText(i).toStdString());
      expectFits(w, items, r.width() - 2, r.height());
    } else if (auto* list = qobject_cast<QListWidget*>(w)) {
      Texts items = textsOf(w, {});
      for (int i = 0; i < list->count(); ++i) items.push_back(list->item(i)->text().toStdString());
      // Room for the scroll bar that a longer list shows.
      int width = list->viewport()->width();
      if (!list->verticalScrollBar()->isVisible())
        width -= style->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
      const int textMargins = 2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1);
      expectFits(w, items, width, list->viewport()->height(), textMargins);
    } else if (auto* tabs = qobject_cast<QTabBar*>(w)) {
      const int padding = style->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, tabs);
      for (int i = 0; i < tabs->count(); ++i) {
        const QRect r = tabs->tabRect(i);
        EXPECT_TRUE(tabs->rect().contains(r)) << where(w) << " hides tab " << i;
        expectFits(w, {tabs->tabText(i).toStdString()}, r.width(), r.height(), padding);
      }
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
      QStyleOptionGroupBox opt;
      opt.initFrom(group);
      opt.text = group->title();
      opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
      const QRect r = style->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, group);
      EXPECT_TRUE(group->rect().contains(r)) << where(w) << " cuts its title";
      expectFits(w, {group->title().toStdString()}, r.width(), r.height());
    } else if (auto* slider = qobject_cast<QSlider*>(w)) {
      const int length = slider->orientation() == Qt::Horizontal ? slider->width() : slider->height();
      EXPECT_GE(4 * length, slider->maximum() - slider->minimum())
          << where(w) << " is " << length << " pixels for " << slider->maximum() - slider->minimum() << " steps";
    }
  }

  const DialogCase& case_;
  const ui::Dialog& dialog_;
  TextsById more_;
};

class DialogLayout : public DialogEnvironment<> {
 protected:
  void SetUp() override {
    DialogEnvironment::SetUp();
    QApplication::setFont(kEditorFont);  // what the editor sets
  }
  void TearDown() override {
    QApplication::setFont(applicationFont_);
    DialogEnvironment::TearDown();
  }

  const QFont kEditorFont{QStringLiteral("DejaVu Sans"), 8};
  QFont applicationFont_ = QApplication::font();
};

TEST_F(DialogLayout, EveryDialogShowsItsTextsWholeAtTheEditorsFontAndAtALargerOne) {
  for (const DialogCase& c : kDialogs) {
    std::unique_ptr<ui::Dialog> dialog = c.make();
    c.prepare(*dialog);
    dialog->show();
    LayoutChecker(c, *dialog).checkAll();
    // A larger font set on the dialog afterwards: it grows with it.
    QFont larger = dialog->font();
    larger.setPointSizeF(larger.pointSizeF() * 1.5);
    dialog->setFont(larger);
    QApplication::processEvents();
    LayoutChecker(c, *dialog).checkAll();
  }
}

// A caption of a few letters or a sign says little: the button says in its
// tooltip what it does.
TEST_F(DialogLayout, TerseButtonsSayWhatTheyDo) {
  const QStringList terse{"crt",   "del", "<-ок", "<-ok", "<-oк", "[x]", "x",     "y",
                          "z",     "общий", "/",   "res->", "+",  "-",   "взять", "->"};
  for (const DialogCase& c : kDialogs) {
    std::unique_ptr<ui::Dialog> dialog = c.make();
    for (const QPushButton* button : dialog->findChildren<QPushButton*>()) {
      if (!terse.contains(button->text())) continue;
      EXPECT_FALSE(button->toolTip().isEmpty()) << c.name << " " << button->text().toStdString();
    }
  }
}

}  // namespace
}  // namespace vandrel::test
