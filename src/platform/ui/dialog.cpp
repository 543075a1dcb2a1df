#include "platform/ui/dialog.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>

#include <cassert>

#include "platform/ui/swatch.h"
#include <climits>

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

}  // namespace

Dialog::Dialog(QWidget* parent) : QWidget(parent) {}

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
  if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->setText(qtext(text));
  else if (auto* multi = qobject_cast<QPlainTextEdit*>(w)) multi->setPlainText(qtext(text));
  else if (auto* button = qobject_cast<QPushButton*>(w)) button->setText(qtext(text));
  else if (auto* label = qobject_cast<QLabel*>(w)) label->setText(qtext(text));
}

int Dialog::editInt(int id, bool* ok) const {
  long long v = 0;
  const bool good = parseInteger(QString::fromStdString(text(id)), true, &v) && v >= INT_MIN && v <= INT_MAX;
  if (ok) *ok = good;
  return good ? static_cast<int>(v) : 0;
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
