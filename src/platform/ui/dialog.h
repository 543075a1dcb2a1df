#pragma once
// The base of every tool dialog: controls registered under their resource ids and
// addressed by them, with Win32's notification rule: a control tells its dialog
// only when the user changes it. Setting a position, selection or text from code
// notifies nobody, so refreshes never echo back into the handlers.

#include <QWidget>

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "platform/ui/commands.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QSlider;

namespace vandrel::ui {
class Swatch;
}

namespace vandrel::ui {

class Dialog : public QWidget, public CommandTarget {
 public:
  explicit Dialog(QWidget* parent = nullptr);

  // Handlers, called for user changes and for commands sent to the dialog.
  void command(int) override {}
  virtual void trackbarMoved(int /*id*/) {}
  virtual void listChanged(int /*id*/) {}
  virtual void editChanged(int /*id*/) {}
  virtual void refresh() {}

  // Creation: each control is registered under its id (an id is used once).
  QSlider* addTrackbar(int id, int minimum = 0, int maximum = 255);
  QLineEdit* addEdit(int id);
  QPlainTextEdit* addMultilineEdit(int id, bool readOnly);
  QListWidget* addList(int id);
  QComboBox* addCombo(int id);
  QPushButton* addButton(int id, std::string_view caption);
  QLabel* addLabel(int id, std::string_view text);
  // A colour swatch whose clicks arrive as command(id).
  Swatch* addSwatch(int id);
  void setSwatchColour(int id, std::uint32_t rgb);  // r x 65536 + g x 256 + b
  QWidget* control(int id) const;  // null for an id that is not registered

  // Trackbars.
  int trackbarPos(int id) const;
  void setTrackbarPos(int id, int position);
  void setTrackbarRange(int id, int minimum, int maximum);
  // Edits (single or multi-line). The integer readings take an optional sign,
  // then digits, as GetDlgItemInt does; ok is false when the text is not a number.
  std::string text(int id) const;
  void setText(int id, std::string_view text);  // also a button or label caption
  int editInt(int id, bool* ok = nullptr) const;
  unsigned editUnsigned(int id, bool* ok = nullptr) const;
  // List boxes and drop-down lists alike.
  void clearItems(int id);
  void addItem(int id, std::string_view text);
  void insertItem(int id, int index, std::string_view text);
  int itemCount(int id) const;
  std::string itemText(int id, int index) const;
  int selection(int id) const;  // -1 when nothing is selected
  void setSelection(int id, int index);
  // Any control.
  void enable(int id, bool on);
  bool isEnabled(int id) const;
  void showControl(int id, bool on);

 private:
  void registerControl(int id, QWidget* widget);
  std::map<int, QWidget*> controls_;
};

}  // namespace vandrel::ui
