#include "platform/ui/dialog.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>
#include <cassert>

#include <climits>

#include "platform/os/status_line.h"
#include "platform/ui/swatch.h"

namespace vandrel::ui {

namespace {

QString qtext(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// GetDlgItemInt: blanks, an optional sign, then at least one digit and nothing
// else but trailing blanks.
bool parseInteger(const QString& text, bool allowSign, long long* value) {
  const QString t = text.trimmed();
  int i = 0;
  bool negative = false;
  if (allowSign && i < t.size() && (t[i] == '-' || t[i] == '+')) negative = t[i++] == '-';
  if (i >= t.size()) return false;
  long long v = 0;
  for (; i < t.size(); ++i) {
    if (!t[i].isDigit() || t[i].unicode() > '9') return false;
    v = v * 10 + (t[i].unicode() - '0');
    if (v > 0xFFFFFFFFLL) return false;
  }
  *value = negative ? -v : v;
  return true;
}

// MulDiv: a * b / c rounded to the nearest, halves away from zero.
int mulDiv(int a, int b, int c) {
  const long long p = static_cast<long long>(a) * b;
  return static_cast<int>((p >= 0 ? p + c / 2 : p - c / 2) / c);
}

// A line edit keeps this many pixels between its frame and its text on each side.
constexpr int kEditTextMargin = 2;

// What a control shows when no texts are given for it.
QStringList shownTexts(const QWidget* control) {
  if (auto* button = qobject_cast<const QPushButton*>(control)) return {button->text()};
  if (auto* label = qobject_cast<const QLabel*>(control)) return {label->text()};
  QStringList items;
  if (auto* combo = qobject_cast<const QComboBox*>(control))
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
  if (auto* list = qobject_cast<const QListWidget*>(control))
    for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
  return items;
}

// The least width at which a control shows `text` whole: inside a button's frame
// and margin, in an edit's text area, beside a drop-down list's arrow, on a list
// row beside the scroll bar a long list shows.
int widthShowing(const QWidget* control, const QString& text) {
  const QFontMetrics fm = control->fontMetrics();
  const QStyle* style = control->style();
  const int advance = fm.horizontalAdvance(text);
  if (auto* button = qobject_cast<const QPushButton*>(control)) {
    QStyleOptionButton opt;
    opt.initFrom(button);
    int frame = style->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, button);
    if (button->autoDefault()) frame += style->pixelMetric(QStyle::PM_ButtonDefaultIndicator, &opt, button);
    return fm.size(Qt::TextShowMnemonic, text).width() + style->pixelMetric(QStyle::PM_ButtonMargin, &opt, button) +
           2 * frame;
  }
  if (auto* label = qobject_cast<const QLabel*>(control))
    return advance + label->width() - label->contentsRect().width() + 2 * label->margin();
  if (auto* edit = qobject_cast<const QLineEdit*>(control)) {
    QStyleOptionFrame opt;
    opt.initFrom(edit);
    opt.lineWidth = edit->hasFrame() ? style->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, edit) : 0;
    const QMargins text = edit->textMargins(), contents = edit->contentsMargins();
    const int cursor = 1;
    const int width =
        advance + cursor + 2 * kEditTextMargin + text.left() + text.right() + contents.left() + contents.right();
    return style->sizeFromContents(QStyle::CT_LineEdit, &opt, QSize(width, fm.height()), edit).width();
  }
  if (auto* combo = qobject_cast<const QComboBox*>(control)) {
    QStyleOptionComboBox opt;
    opt.initFrom(combo);
    opt.editable = combo->isEditable();
    opt.frame = combo->hasFrame();
    const int labelInset = 2;  // the label is drawn a pixel inside the edit field on each side
    return style->sizeFromContents(QStyle::CT_ComboBox, &opt, QSize(advance + labelInset, fm.height()), combo).width();
  }
  if (auto* list = qobject_cast<const QListWidget*>(control)) {
    // The item's text margins, the frame, and the scroll bar a long list shows.
    const int textMargins = 2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1);
    const int scrollBar = style->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
    return advance + textMargins + 2 * list->frameWidth() + scrollBar;
  }
  return advance;
}

// A negative end with the minus sign, as text set in type has it.
std::string signedText(int value) {
  return value < 0 ? "\u2212" + std::to_string(-static_cast<long long>(value)) : std::to_string(value);
}

}  // namespace

std::string refusalText(const std::string& caption, NumberRange range) {
  return caption + ": число от " + signedText(range.lo) + " до " + signedText(range.hi);
}

int DialogUnits::x(int units) const { return mulDiv(units, averageWidth, 4); }

int DialogUnits::y(int units) const { return mulDiv(units, height, 8); }

QSize DialogUnits::size(int widthUnits, int heightUnits) const { return {x(widthUnits), y(heightUnits)}; }

DialogUnits dialogUnits(const QFont& font) {
  const QFontMetrics fm(font);
  const int letters = fm.horizontalAdvance(QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"));
  return {(letters / 26 + 1) / 2, fm.height()};
}

Dialog::Dialog(QWidget* parent) : QWidget(parent) {}

DialogUnits Dialog::units() const { return dialogUnits(font()); }

void Dialog::setUnitSize(int widthUnits, int heightUnits) {
  unitSize_ = QSize(widthUnits, heightUnits);
  // The lists are filled by now: sizes that follow their items are set again.
  for (const Sizing& s : sizings_) applySizing(s);
  resize(sizeHint());
}

QSize Dialog::sizeHint() const {
  if (unitSize_.isEmpty()) return QWidget::sizeHint();
  return units().size(unitSize_.width(), unitSize_.height()).expandedTo(minimumSizeHint());
}

void Dialog::sizeInUnits(Sizing sizing) {
  applySizing(sizing);
  sizings_.push_back(std::move(sizing));
}

void Dialog::applySizing(const Sizing& s) const {
  QWidget* c = s.control;
  if (!c) return;
  const DialogUnits u = units();
  int least = s.width > 0 ? u.x(s.width) : 0;
  QStringList texts;
  for (const std::string& t : s.texts) texts << QString::fromStdString(t);
  for (const QString& t : texts.isEmpty() ? shownTexts(c) : texts) least = std::max(least, widthShowing(c, t));
  if (auto* slider = qobject_cast<QSlider*>(c))
    least = std::max(least, (slider->maximum() - slider->minimum() + kStepsPerPixel - 1) / kStepsPerPixel);
  if (least > 0 && s.stretch) {
    // Its share of the row, never less than its least width.
    c->setMinimumWidth(least);
    c->setSizePolicy(QSizePolicy::Ignored, c->sizePolicy().verticalPolicy());
  } else if (least > 0) {
    c->setFixedWidth(least);
  }
  if (s.height > 0) c->setFixedHeight(u.y(s.height));
}

void Dialog::spaceInUnits(QLayout* layout, int margin, int spacing) {
  spacings_.push_back({layout, margin, spacing});
  applySpacing(spacings_.back());
}

QVBoxLayout* Dialog::rowsFromTop() {
  auto* rows = new QVBoxLayout(this);
  spaceInUnits(rows, kMargin, kGap);
  return rows;
}

QHBoxLayout* Dialog::newRow(QBoxLayout* column) {
  auto* row = new QHBoxLayout;
  column->addLayout(row);
  return row;
}

QLabel* Dialog::staticText(std::string_view text) { return new QLabel(qtext(text), this); }

QPushButton* Dialog::smallButton(int id, std::string_view caption, int heightUnits) {
  return fixed(addButton(id, caption), kSmallButton, heightUnits);
}

QPushButton* Dialog::foldButton(int id) {
  QPushButton* button = smallButton(id, "/");
  setTip(id, "Не сворачивать это окно, когда фокус уходит (вкл./выкл.)");
  return button;
}

void Dialog::setTip(int id, std::string_view text) {
  if (QWidget* w = control(id)) w->setToolTip(qtext(text));
}

void Dialog::applySpacing(const Spacing& s) const {
  if (!s.layout) return;
  const DialogUnits u = units();
  s.layout->setContentsMargins(u.x(s.margin), u.y(s.margin), u.x(s.margin), u.y(s.margin));
  if (auto* grid = qobject_cast<QGridLayout*>(s.layout.data())) {
    grid->setHorizontalSpacing(u.x(s.spacing));
    grid->setVerticalSpacing(u.y(s.spacing));
  } else if (auto* box = qobject_cast<QBoxLayout*>(s.layout.data())) {
    const bool across = box->direction() == QBoxLayout::LeftToRight || box->direction() == QBoxLayout::RightToLeft;
    box->setSpacing(across ? u.x(s.spacing) : u.y(s.spacing));
  }
}

void Dialog::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
    for (const Spacing& s : spacings_) applySpacing(s);
    for (const Sizing& s : sizings_) applySizing(s);
    // Inner layouts settle first, so that the dialog's own sees their new sizes.
    const QList<QWidget*> children = findChildren<QWidget*>();
    for (auto it = children.rbegin(); it != children.rend(); ++it)
      if ((*it)->layout()) (*it)->layout()->activate();
    if (layout()) layout()->activate();
    if (isWindow() && !unitSize_.isEmpty()) resize(sizeHint());
  }
  QWidget::changeEvent(event);
}

void Dialog::registerControl(int id, QWidget* widget) {
  assert(!controls_.count(id) && "a control id is registered once");
  widget->setObjectName(QString::number(id));
  controls_[id] = widget;
}

QWidget* Dialog::control(int id) const {
  const auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : it->second;
}

QSlider* Dialog::addTrackbar(int id, int minimum, int maximum) {
  auto* slider = new QSlider(Qt::Horizontal, this);
  slider->setRange(minimum, maximum);
  registerControl(id, slider);
  // Code sets positions under a signal blocker, so every change seen here is the user's.
  connect(slider, &QSlider::valueChanged, this, [this, id] { trackbarMoved(id); });
  return slider;
}

QLineEdit* Dialog::addEdit(int id) {
  auto* edit = new QLineEdit(this);
  registerControl(id, edit);
  connect(edit, &QLineEdit::textEdited, this, [this, id] { editChanged(id); });
  return edit;
}

QLineEdit* Dialog::addNumberBox(int id, BoxCaption caption, std::function<NumberRange()> range,
                                 std::function<void(int)> take) {
  return addNumberBox(id, NumberBox{std::move(caption), std::move(range), std::move(take), 0, {}});
}

QLineEdit* Dialog::addNumberBox(int id, BoxCaption caption, NumberRange range, std::function<void(int)> take) {
  return addNumberBox(id, std::move(caption), [range] { return range; }, std::move(take));
}

QLineEdit* Dialog::addAppliedBox(int id, BoxCaption caption, NumberRange range, int applyCommand) {
  return addNumberBox(id, NumberBox{std::move(caption), [range] { return range; }, {}, applyCommand, {}});
}

QLineEdit* Dialog::addNumberBox(int id, NumberBox box) {
  QLineEdit* edit = addEdit(id);
  box.shown = edit->text();
  numberBoxes_.emplace(id, std::move(box));
  edit->installEventFilter(this);
  return edit;
}

std::string Dialog::captionOf(const NumberBox& box) const {
  if (box.caption.label == 0) return box.caption.text;
  QString shown = QString::fromStdString(text(box.caption.label)).trimmed();
  if (shown.endsWith(':')) shown.chop(1);
  return shown.toStdString();
}

std::vector<std::optional<int>> Dialog::boxNumbers(const std::vector<int>& ids) const {
  std::vector<std::optional<int>> numbers;
  bool told = false;
  for (int id : ids) {
    const auto box = numberBoxes_.find(id);
    const NumberRange range = box != numberBoxes_.end() ? box->second.range() : NumberRange{INT_MIN, INT_MAX};
    numbers.push_back(editNumber(id, range.lo, range.hi));
    if (!numbers.back() && !told && box != numberBoxes_.end()) {
      os::tellStatus(refusalText(captionOf(box->second), range));
      told = true;
    }
  }
  return numbers;
}

void Dialog::confirmNumberBox(int id, bool byEnter) {
  const auto found = numberBoxes_.find(id);
  auto* edit = qobject_cast<QLineEdit*>(control(id));
  if (found == numberBoxes_.end() || !edit || edit->isReadOnly()) return;
  NumberBox& box = found->second;
  if (!box.take) {
    if (byEnter) command(box.applyCommand);
    return;
  }
  if (edit->text() == box.shown) return;  // nothing was typed
  const NumberRange range = box.range();
  const std::optional<int> typed = editNumber(id, range.lo, range.hi);
  if (!typed) {
    setText(id, box.shown.toStdString());
    os::tellStatus(refusalText(captionOf(box), range));
    return;
  }
  box.take(*typed);
  // What the take showed stays; a box it left alone shows the number as stored.
  if (edit->text() != box.shown) setText(id, std::to_string(*typed));
}

bool Dialog::eventFilter(QObject* watched, QEvent* event) {
  auto* edit = qobject_cast<QLineEdit*>(watched);
  const int id = edit ? edit->objectName().toInt() : 0;
  if (edit && control(id) == edit && numberBoxes_.count(id)) {
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        confirmNumberBox(id, true);
        return true;
      }
    } else if (event->type() == QEvent::FocusOut) {
      // A context menu or another program taking the focus is no confirmation.
      const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
      if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) confirmNumberBox(id, false);
    }
  }
  return QWidget::eventFilter(watched, event);
}

QPlainTextEdit* Dialog::addMultilineEdit(int id, bool readOnly) {
  auto* edit = new QPlainTextEdit(this);
  edit->setReadOnly(readOnly);
  edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  registerControl(id, edit);
  connect(edit, &QPlainTextEdit::textChanged, this, [this, id] { editChanged(id); });
  return edit;
}

QListWidget* Dialog::addList(int id) {
  auto* list = new QListWidget(this);
  registerControl(id, list);
  connect(list, &QListWidget::currentRowChanged, this, [this, id] { listChanged(id); });
  return list;
}

QComboBox* Dialog::addCombo(int id) {
  auto* combo = new QComboBox(this);
  registerControl(id, combo);
  // activated is sent for the user's choices only.
  connect(combo, &QComboBox::activated, this, [this, id] { listChanged(id); });
  return combo;
}

QPushButton* Dialog::addButton(int id, std::string_view caption) {
  auto* button = new QPushButton(qtext(caption), this);
  button->setAutoDefault(false);
  registerControl(id, button);
  connect(button, &QPushButton::clicked, this, [this, id] { command(id); });
  return button;
}

QLabel* Dialog::addLabel(int id, std::string_view text) {
  auto* label = new QLabel(qtext(text), this);
  registerControl(id, label);
  return label;
}

Swatch* Dialog::addSwatch(int id) {
  auto* swatch = new Swatch(this);
  registerControl(id, swatch);
  swatch->onClick([this, id] { command(id); });
  return swatch;
}

void Dialog::setSwatchColour(int id, std::uint32_t rgb) {
  if (auto* swatch = dynamic_cast<Swatch*>(control(id))) swatch->setColour(rgb);
}

int Dialog::trackbarPos(int id) const {
  auto* slider = qobject_cast<QSlider*>(control(id));
  return slider ? slider->value() : 0;
}

void Dialog::setTrackbarPos(int id, int position) {
  if (auto* slider = qobject_cast<QSlider*>(control(id))) {
    const QSignalBlocker quiet(slider);
    slider->setValue(position);
  }
}

void Dialog::setTrackbarRange(int id, int minimum, int maximum) {
  if (auto* slider = qobject_cast<QSlider*>(control(id))) {
    const QSignalBlocker quiet(slider);
    slider->setRange(minimum, maximum);
  }
}

std::string Dialog::text(int id) const {
  QWidget* w = control(id);
  QString t;
  if (auto* edit = qobject_cast<QLineEdit*>(w)) t = edit->text();
  else if (auto* multi = qobject_cast<QPlainTextEdit*>(w)) t = multi->toPlainText();
  else if (auto* button = qobject_cast<QPushButton*>(w)) t = button->text();
  else if (auto* label = qobject_cast<QLabel*>(w)) t = label->text();
  return t.toStdString();
}

void Dialog::setText(int id, std::string_view text) {
  QWidget* w = control(id);
  const QSignalBlocker quiet(w);
  if (auto* edit = qobject_cast<QLineEdit*>(w)) {
    edit->setText(qtext(text));
    if (const auto box = numberBoxes_.find(id); box != numberBoxes_.end()) box->second.shown = edit->text();
  } else if (auto* multi = qobject_cast<QPlainTextEdit*>(w)) {
    multi->setPlainText(qtext(text));
  } else if (auto* button = qobject_cast<QPushButton*>(w)) {
    button->setText(qtext(text));
  } else if (auto* label = qobject_cast<QLabel*>(w)) {
    label->setText(qtext(text));
  }
}

int Dialog::editInt(int id, bool* ok) const {
  long long v = 0;
  const bool good = parseInteger(QString::fromStdString(text(id)), true, &v) && v >= INT_MIN && v <= INT_MAX;
  if (ok) *ok = good;
  return good ? static_cast<int>(v) : 0;
}

std::optional<int> Dialog::editNumber(int id, int lo, int hi) const {
  bool ok = false;
  const int v = editInt(id, &ok);
  if (!ok || v < lo || v > hi) return std::nullopt;
  return v;
}

unsigned Dialog::editUnsigned(int id, bool* ok) const {
  long long v = 0;
  const bool good = parseInteger(QString::fromStdString(text(id)), false, &v);
  if (ok) *ok = good;
  return good ? static_cast<unsigned>(v) : 0u;
}

void Dialog::clearItems(int id) {
  QWidget* w = control(id);
  const QSignalBlocker quiet(w);
  if (auto* list = qobject_cast<QListWidget*>(w)) list->clear();
  else if (auto* combo = qobject_cast<QComboBox*>(w)) combo->clear();
}

void Dialog::addItem(int id, std::string_view text) { insertItem(id, itemCount(id), text); }

void Dialog::insertItem(int id, int index, std::string_view text) {
  QWidget* w = control(id);
  const QSignalBlocker quiet(w);
  if (auto* list = qobject_cast<QListWidget*>(w)) list->insertItem(index, qtext(text));
  else if (auto* combo = qobject_cast<QComboBox*>(w)) combo->insertItem(index, qtext(text));
}

int Dialog::itemCount(int id) const {
  QWidget* w = control(id);
  if (auto* list = qobject_cast<QListWidget*>(w)) return list->count();
  if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->count();
  return 0;
}

std::string Dialog::itemText(int id, int index) const {
  QWidget* w = control(id);
  if (auto* list = qobject_cast<QListWidget*>(w)) {
    const QListWidgetItem* item = list->item(index);
    return item ? item->text().toStdString() : std::string();
  }
  if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->itemText(index).toStdString();
  return {};
}

int Dialog::selection(int id) const {
  QWidget* w = control(id);
  if (auto* list = qobject_cast<QListWidget*>(w)) return list->currentRow();
  if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->currentIndex();
  return -1;
}

void Dialog::setSelection(int id, int index) {
  QWidget* w = control(id);
  const QSignalBlocker quiet(w);
  if (auto* list = qobject_cast<QListWidget*>(w)) list->setCurrentRow(index);
  else if (auto* combo = qobject_cast<QComboBox*>(w)) combo->setCurrentIndex(index);
}

void Dialog::enable(int id, bool on) {
  if (QWidget* w = control(id)) w->setEnabled(on);
}

bool Dialog::isEnabled(int id) const {
  QWidget* w = control(id);
  return w && w->isEnabled();
}

void Dialog::showControl(int id, bool on) {
  if (QWidget* w = control(id)) w->setVisible(on);
}

}  // namespace vandrel::ui
