#pragma once
// The frame window: the menu, the keys that switch layouts and save, the pack
// commands, and the area every other window lives in.

#include <QMainWindow>

#include <map>
#include <string>

#include "platform/ui/commands.h"
#include "render/window_commands.h"

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QProgressBar;
class QTimer;

namespace vandrel::shell {

// Menu command ids; other windows send two of them too.
inline constexpr int kLoadPack = 32777;
using render::kSavePack;
inline constexpr int kSavePackAs = 32778;
inline constexpr int kClearScene = 32779;
inline constexpr int kHelp = 32772;
using render::kReadLayout;
inline constexpr int kWriteLayout = 32776;
inline constexpr int kUnfoldedWindows = 32781;
inline constexpr int kFoldingWindows = 32782;
inline constexpr int kAutoFocusOff = 32783;
inline constexpr int kAutoFocusOn = 32784;
inline constexpr int kAutoSwitch = 32785;
inline constexpr int kQuit = 32786;  // "Выход": closing the frame, with its prompt
inline constexpr int kUndo = 32787;  // "Отменить": the 3D view's Backspace undo
inline constexpr int kRedo = 32788;  // "Повторить"
// The ways out, numbered on after the others.
inline constexpr int kExportScene = 32790;
inline constexpr int kExportTextures = 32791;
inline constexpr int kRecordVideo = 32792;

inline constexpr const char* kTitle = "VandreL v.2.3";

class FrameWindow : public QMainWindow, public ui::CommandTarget {
 public:
  FrameWindow();
  ~FrameWindow() override;

  // Every command ends with the keyboard back at the window of the active-tool
  // code, where it was before a layout read or a menu moved it.
  void command(int id) override;

  QMdiArea* area() const { return area_; }
  // A sub-window of the area for a window or dialog. Tool windows have no close
  // button and refuse to close; a closable one (help) only hides.
  QMdiSubWindow* addWindow(QWidget* widget, bool closable = false);
  QAction* action(int id) const;
  QProgressBar* progress() const { return progress_; }

  // Set when the user chose to quit and nothing stands in the way.
  bool quitRequested() const { return quitRequested_; }

  // A window that claims every key it knows (the 3D view) still lets the menu's
  // undo and redo shortcuts through.
  void passUndoKeys(QWidget* widget);

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildMenu();
  void setChecks();
  void readCurrentLayout();
  bool isUndoKey(const QKeyEvent* key) const;
  void noteInput(QEvent* event);

  QMdiArea* area_ = nullptr;
  QProgressBar* progress_ = nullptr;
  std::map<int, QAction*> actions_;
  QWidget* undoKeysPassedBy_ = nullptr;
  QTimer* unsavedCheck_ = nullptr;
  bool quitRequested_ = false;
};

}  // namespace vandrel::shell
