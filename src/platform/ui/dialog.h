#pragma once
// The base of every tool dialog: controls registered under their resource ids and
// addressed by them, with Win32's notification rule: a control tells its dialog
// only when the user changes it. Setting a position, selection or text from code
// notifies nobody, so refreshes never echo back into the handlers.

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ui/commands.h"

class QComboBox;
class QLabel;
class QLayout;
class QLineEdit;
class QListWidget;
class QBoxLayout;
class QHBoxLayout;
class QVBoxLayout;
class QPlainTextEdit;
class QPushButton;
class QSlider;

namespace vandrel::ui {
class Swatch;
}

namespace vandrel::ui {

// Dialog units of a font, measured as dialog templates measure them: a horizontal
// unit is a quarter of the average character width (the mean width of "a".."z"
// "A".."Z", rounded), a vertical unit an eighth of the font's height. Sizes given
// in them grow with the font and with the screen's scale.
struct DialogUnits {
  int averageWidth = 0;  // pixels
  int height = 0;        // pixels
  int x(int units) const;  // pixels, rounded to the nearest
  int y(int units) const;
  QSize size(int widthUnits, int heightUnits) const;
};
DialogUnits dialogUnits(const QFont& font);

// Layout measures shared by the dialogs, in dialog units.
inline constexpr int kLineHeight = 11;  // one-line controls: buttons, edits, drop-down lists
inline constexpr int kMargin = 2;       // between a dialog's edge and its controls
inline constexpr int kGap = 1;          // between neighbouring controls
inline constexpr int kSmallButton = 10;  // the width of "<", ">", "+", "-" and "/"

// At most this many trackbar positions to a pixel of its length.
inline constexpr int kStepsPerPixel = 4;

// The whole numbers a number box takes, both ends included.
struct NumberRange {
  int lo, hi;
};

// What a number box is called when it refuses a value: a text of its own, or
// the text a label shows at that moment (a label that changes with the function).
struct BoxCaption {
  BoxCaption(const char* text) : text(text) {}
  BoxCaption(std::string text) : text(std::move(text)) {}
  static BoxCaption ofLabel(int id) {
    BoxCaption caption("");
    caption.label = id;
    return caption;
  }
  std::string text;
  int label = 0;
};

// "x: число от −32768 до 32767": why a number box refused what was typed.
std::string refusalText(const std::string& caption, NumberRange range);

class Dialog : public QWidget, public CommandTarget {
 public:
  explicit Dialog(QWidget* parent = nullptr);

  // Layout in dialog units of the dialog's current font. Every size set through
  // these is set again when the font changes, so the dialog follows its font.
  DialogUnits units() const;
  // The documented size, set once the controls are made and filled: sizeHint()
  // gives it in pixels, or the layout's least size where that is larger.
  void setUnitSize(int widthUnits, int heightUnits);
  QSize sizeHint() const override;
  // A control `width` x `height` units, never narrower than what shows every
  // one of `texts` whole: by default its caption (buttons, labels), its items
  // (lists) or one pixel for every four positions (trackbars). A side given as 0
  // is left to those texts and to the control's own hint.
  template <typename Control>
  Control* fixed(Control* control, int width, int height, std::vector<std::string> texts = {}) {
    sizeInUnits({control, width, height, std::move(texts), false});
    return control;
  }
  // The same width as a least one: the control takes what its row leaves over.
  template <typename Control>
  Control* stretched(Control* control, int width, int height, std::vector<std::string> texts = {}) {
    sizeInUnits({control, width, height, std::move(texts), true});
    return control;
  }
  // A layout's margins and the spacing of its items, in units.
  void spaceInUnits(QLayout* layout, int margin, int spacing);
  // The dialog's own layout: rows from the top, a margin from its edges and a gap
  // between its rows.
  QVBoxLayout* rowsFromTop();
  // A new row at the bottom of a column.
  static QHBoxLayout* newRow(QBoxLayout* column);
  // Text beside the controls, without an id.
  QLabel* staticText(std::string_view text);
  // A button one small unit wide: "<", ">", "+", "-", "/".
  QPushButton* smallButton(int id, std::string_view caption, int heightUnits = kLineHeight);
  // The "/" of a foldable tool window, which toggles its fold flag.
  QPushButton* foldButton(int id);
  // What a terse control does, shown when the mouse rests on it.
  void setTip(int id, std::string_view text);

  // Handlers, called for user changes and for commands sent to the dialog.
  void command(int) override {}
  virtual void trackbarMoved(int /*id*/) {}
  virtual void listChanged(int /*id*/) {}
  virtual void editChanged(int /*id*/) {}
  virtual void refresh() {}

  // Creation: each control is registered under its id (an id is used once).
  QSlider* addTrackbar(int id, int minimum = 0, int maximum = 255);
  QLineEdit* addEdit(int id);
  // Number boxes. What the user types is confirmed by Enter, which goes no
  // further (no default button takes it), and, for a box that stands for a
  // trackbar or a value of its own, by leaving the box. A whole number in the
  // range is taken; anything else is refused: the box shows again what code
  // last put in it and the status line says why.
  // A box taken on its own: a changed number in range goes to `take`. The range
  // is asked for when the box is confirmed, so it may follow the data.
  QLineEdit* addNumberBox(int id, BoxCaption caption, std::function<NumberRange()> range,
                          std::function<void(int)> take);
  QLineEdit* addNumberBox(int id, BoxCaption caption, NumberRange range, std::function<void(int)> take);
  // A box a button applies (with its neighbours): Enter in it is that button's
  // command; the command reads it with boxNumbers().
  QLineEdit* addAppliedBox(int id, BoxCaption caption, NumberRange range, int applyCommand);
  // The numbers of applied boxes, nothing for a box whose text is refused; the
  // first refusal is told.
  std::vector<std::optional<int>> boxNumbers(const std::vector<int>& ids) const;
  std::optional<int> boxNumber(int id) const { return boxNumbers({id}).front(); }
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
  // The edit's number when it is one and lies in lo..hi; nothing otherwise.
  std::optional<int> editNumber(int id, int lo, int hi) const;
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

 protected:
  void changeEvent(QEvent* event) override;
  // Derived dialogs that watch their children pass the events on to this.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Sizing {
    QPointer<QWidget> control;
    int width, height;
    std::vector<std::string> texts;
    bool stretch;
  };
  struct Spacing {
    QPointer<QLayout> layout;
    int margin, spacing;
  };
  struct NumberBox {
    BoxCaption caption;
    std::function<NumberRange()> range;
    std::function<void(int)> take;  // empty for an applied box
    int applyCommand = 0;
    QString shown;  // what code last put in the box
  };
  void registerControl(int id, QWidget* widget);
  QLineEdit* addNumberBox(int id, NumberBox box);
  void confirmNumberBox(int id, bool byEnter);
  std::string captionOf(const NumberBox& box) const;
  void sizeInUnits(Sizing sizing);
  void applySizing(const Sizing& sizing) const;
  void applySpacing(const Spacing& spacing) const;

  std::map<int, QWidget*> controls_;
  std::map<int, NumberBox> numberBoxes_;
  QSize unitSize_;
  std::vector<Sizing> sizings_;
  std::vector<Spacing> spacings_;
};

}  // namespace vandrel::ui
