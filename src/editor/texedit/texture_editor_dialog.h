#pragma once
// The texture editor dialog ("Редактор текстур"): builds the current slot's log.
// Each control calls one of the texture editing operations (texedit), which keep
// the change mode and reach back through the texture hooks; the dialog owns the
// controls, the selected tab and the messages. It plugs into the generator
// through the texture hooks while it exists.

#include <map>
#include <memory>

#include "platform/ui/dialog.h"

class QAction;
class QMenuBar;
class QTabBar;

namespace vandrel::texedit {

// Control ids.
inline constexpr int kSlotNumber = 1000;
inline constexpr int kSizeCombo = 1001;
inline constexpr int kRestoreRecord = 1027;
inline constexpr int kDeleteEntry = 1031;
inline constexpr int kEraseAll = 1032;
inline constexpr int kPreviousSlot = 1033;
inline constexpr int kNextSlot = 1034;
inline constexpr int kOk = 1035;
inline constexpr int kFold = 1036;
inline constexpr int kChangeEntry = 1037;
inline constexpr int kHistoryList = 1038;
inline constexpr int kFunctionList = 1039;
inline constexpr int kFunctionName = 1052;
inline constexpr int kTabs = 1077;
inline constexpr int kTimingTest = 1158;
// Menu commands.
inline constexpr int kLoadLog = 32773;
inline constexpr int kSaveLog = 32774;
inline constexpr int kExportPng = 32790;

struct ParameterRowIds {
  int label, trackbar, plus, minus, edit;
};
inline constexpr ParameterRowIds kParameterRows[7] = {
    {1047, 1044, 1061, 1058, 1045}, {1048, 1026, 1063, 1062, 1046}, {1049, 1029, 1065, 1064, 1006},
    {1050, 1041, 1067, 1066, 1007}, {1051, 1042, 1069, 1068, 1008}, {1053, 1043, 1071, 1070, 1009},
    {1055, 1054, 1073, 1072, 1010}};

// Tabs of control 1077, left to right.
inline constexpr int kTabColour = 0;
inline constexpr int kTabFilters = 1;
inline constexpr int kTabGenerators = 2;
inline constexpr int kNoTab = 100;

class TextureEditorDialog : public ui::Dialog {
 public:
  // Creates the controls, fills the lists from the catalogue and the store, starts
  // the editing state afresh, registers as the texture editor's command target and
  // installs the texture hooks (rows, history, function list, rows display, size
  // item, slot number, the change settled before a slot change).
  explicit TextureEditorDialog(QWidget* parent = nullptr);
  // Unregisters and puts the hooks back to headless, keeping the device's and
  // the preview's.
  ~TextureEditorDialog() override;

  void command(int id) override;
  void trackbarMoved(int id) override;
  void listChanged(int id) override;
  // Slot number, size item and the change-mode buttons from the tables; runs nothing.
  void refresh() override;

  // For the loaders: the current slot's log was filled; show it and rebuild.
  void editorRebuild();
  // Makes slot n current, replays it and shows its number.
  void selectSlot(int n);
  void hideAllRows();
  // Selects a function in the list (silently, as code does) with its group's tab.
  void selectFunction(int code);

  int selectedTab() const { return selectedTab_; }
  QTabBar* tabBar() const { return tabs_; }
  QMenuBar* menuBar() const { return menuBar_; }
  QAction* menuAction(int id) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void buildControls();
  void showRowLabels(int code);
  void showRow(int row, bool on);
  void removeHistoryAtTop(int count);
  void tabCheck();
  void followTab();
  int historyItem();
  void ok();
  void sizeChosen();
  void timingTest();
  void loadLog();
  void saveLog();
  void exportPng();

  // The full log last told of, so that clicking "ОК" on it again stays quiet.
  struct FullLog {
    int slot = 0, edge = 0, count = 0;
    bool operator==(const FullLog&) const = default;
  };
  FullLog toldFull_;
  int selectedTab_ = kNoTab;  // no tab yet, so the first check always acts

  QTabBar* tabs_ = nullptr;
  QMenuBar* menuBar_ = nullptr;
  std::map<int, QAction*> actions_;
  class TrackbarRows;
  std::unique_ptr<TrackbarRows> rows_;
};

}  // namespace vandrel::texedit
