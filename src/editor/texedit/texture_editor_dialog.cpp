#include "editor/texedit/texture_editor_dialog.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTabBar>
#include <QVBoxLayout>

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "pack/document.h"
#include "platform/os/files.h"
#include "platform/os/image_output.h"
#include "platform/os/plural.h"
#include "platform/os/status_line.h"
#include "platform/os/text_checks.h"
#include "platform/ui/commands.h"
#include "platform/ui/prompts.h"
#include "platform/ui/tool_windows.h"
#include "texedit/texture_editing.h"
#include "texgen/catalogue.h"
#include "texgen/dispatcher.h"
#include "texgen/editor_hooks.h"
#include "texgen/parameter_rows.h"
#include "texgen/texture_log_file.h"
#include "texgen/texture_store.h"

namespace vandrel::texedit {

namespace {

// In dialog units.
constexpr int kWidth = 192;
constexpr int kHeight = 199;
// A parameter row's trackbar, buttons and value, under its label.
constexpr int kParameterLineHeight = 10;
constexpr const char* kErrorCaption = "ошибка";

texgen::TextureStore& store() { return texgen::textureStore; }

bool isListedCode(int code) { return code >= 0 && code < texgen::kCatalogueEntries; }

bool endsWith(const std::string& text, std::string_view tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

QString qtext(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void tell(const std::string& text) {
  ui::prompts().message(text, kErrorCaption, ui::MessageButtons::ok, ui::MessageIcon::error);
}

std::string fullLogText() {
  return "Лог текстуры заполнен: при размере " + std::to_string(store().edgeSize) + " помещается " +
         os::operationsCount(texgen::currentCapacity() - 1);
}

std::vector<std::string> operationNames(const std::string& prefix = {}) {
  std::vector<std::string> names;
  for (int code = 0; code < texgen::kCatalogueEntries; ++code) names.push_back(prefix + texgen::operationName(code));
  return names;
}

// Every label a parameter row may come to show.
std::vector<std::string> parameterLabels() {
  std::vector<std::string> labels{"параметр"};
  for (const texgen::OperationRecord& r : texgen::catalogue.records)
    for (int i = 0; i < r.paramCount; ++i) labels.push_back(r.labels[i]);
  return labels;
}

}  // namespace

// The seven trackbar rows the dispatcher reads: setting a position from code is
// silent, as TBM_SETPOS is.
class TextureEditorDialog::TrackbarRows final : public texgen::ParameterRows {
 public:
  explicit TrackbarRows(ui::Dialog& dialog) : dialog_(dialog) {}
  int position(int row) const override {
    return valid(row) ? dialog_.trackbarPos(kParameterRows[row - 1].trackbar) : 0;
  }
  void setPosition(int row, int value) override {
    if (valid(row)) dialog_.setTrackbarPos(kParameterRows[row - 1].trackbar, texgen::clampToTrackbar(value));
  }
  void showNumber(int row, const std::string& text) override {
    if (valid(row)) dialog_.setText(kParameterRows[row - 1].edit, text);
  }

 private:
  static bool valid(int row) { return row >= 1 && row <= texgen::kParamCount; }
  ui::Dialog& dialog_;
};

TextureEditorDialog::TextureEditorDialog(QWidget* parent)
    : Dialog(parent), rows_(std::make_unique<TrackbarRows>(*this)) {
  setWindowTitle(QStringLiteral("Редактор текстур"));
  resetTextureEditorState();
  buildControls();
  for (int code = 0; code < texgen::kCatalogueEntries; ++code) addItem(kFunctionList, texgen::operationName(code));
  for (int edge : texgen::kEdgeSizes) addItem(kSizeCombo, std::to_string(edge));
  hideAllRows();
  showControl(kTimingTest, false);
  refresh();
  setUnitSize(kWidth, kHeight);

  // Any mouse move over the dialog, whichever control is under it, claims the focus.
  setMouseTracking(true);
  installEventFilter(this);
  for (QWidget* child : findChildren<QWidget*>()) {
    child->setMouseTracking(true);
    child->installEventFilter(this);
  }

  ui::registerCommandTarget(ui::WindowId::textureEditor, this);
  pack::addDocumentListener(this, [this] { refresh(); });
  texgen::TextureHooks& h = texgen::textureHooks;
  h.rows = rows_.get();
  h.clearHistory.set(this, [this] { clearItems(kHistoryList); });
  h.insertHistoryAtTop.set(this, [this](const char* label) { insertItem(kHistoryList, 0, label); });
  h.removeHistoryAtTop.set(this, [this](int count) { removeHistoryAtTop(count); });
  h.selectFunction.set(this, [this](int code) { selectFunction(code); });
  h.showRows.set(this, [this](int code) { showRowLabels(code); });
  h.hideRows.set(this, [this] { hideAllRows(); });
  h.selectSizeItem.set(this, [this](int index) {
    if (index >= 0) setSelection(kSizeCombo, index);
  });
  h.beforeSlotChange.set(this, [this] {
    texedit::leaveChangeMode();
    refresh();
  });
  h.showSlotNumber.set(this, [this](int slot) { setText(kSlotNumber, std::to_string(slot)); });
  h.committedEntryCount.set(this, committedCount);
}

TextureEditorDialog::~TextureEditorDialog() {
  texgen::removeEditorHooks(this, rows_.get());
  pack::removeDocumentListener(this);
  if (ui::commandTarget(ui::WindowId::textureEditor) == this)
    ui::registerCommandTarget(ui::WindowId::textureEditor, nullptr);
}

void TextureEditorDialog::buildControls() {
  auto* root = new QVBoxLayout(this);
  spaceInUnits(root, ui::kMargin, ui::kGap);

  menuBar_ = new QMenuBar(this);
  QMenu* file = menuBar_->addMenu(QStringLiteral("Файл"));
  auto addAction = [&](int id, const char* text) {
    QAction* action = file->addAction(qtext(text));
    actions_[id] = action;
    connect(action, &QAction::triggered, this, [this, id] { command(id); });
  };
  addAction(kLoadLog, "Загрузить");
  addAction(kSaveLog, "Сохранить");
  file->addSeparator();
  addAction(kExportPng, "Экспорт PNG");
  root->setMenuBar(menuBar_);

  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(QStringLiteral("Текстура"), this));
  QLineEdit* slot = fixed(addEdit(kSlotNumber), 0, ui::kLineHeight, {"255"});
  slot->setReadOnly(true);
  top->addWidget(slot);
  top->addWidget(smallButton(kPreviousSlot, "<"));
  top->addWidget(smallButton(kNextSlot, ">"));
  top->addStretch(1);
  top->addWidget(new QLabel(QStringLiteral("Размер:"), this));
  top->addWidget(fixed(addCombo(kSizeCombo), 0, ui::kLineHeight));
  top->addWidget(fixed(addButton(kRestoreRecord, "res->"), 0, ui::kLineHeight));
  setTip(kRestoreRecord, "Вернуть функции её исходные параметры");
  root->addLayout(top);

  tabs_ = new QTabBar(this);
  tabs_->setObjectName(QString::number(kTabs));
  tabs_->setExpanding(false);
  for (const char* caption : {"Цвет", "Фильтры", "Генераторы"}) tabs_->addTab(qtext(caption));
  // Only the user's tab changes notify: code never sets the tab.
  connect(tabs_, &QTabBar::currentChanged, this, [this] { tabCheck(); });
  root->addWidget(tabs_);

  // The lists on the left, as wide as the longest history label ("253" and a
  // name); the parameter rows on the right, each label over its trackbar.
  auto* middle = new QHBoxLayout;
  auto* lists = new QVBoxLayout;
  const std::vector<std::string> historyLabels = operationNames("253");
  QListWidget* functions = fixed(addList(kFunctionList), 0, 0, historyLabels);
  QListWidget* history = fixed(addList(kHistoryList), 0, 0, historyLabels);
  for (QListWidget* list : {functions, history}) list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  lists->addWidget(functions, 3);
  lists->addWidget(history, 2);
  middle->addLayout(lists);

  auto* parameters = new QVBoxLayout;
  parameters->setSpacing(0);  // each label parts its row from the one above
  auto* function = new QHBoxLayout;
  spaceInUnits(function, 0, ui::kGap);
  function->addWidget(new QLabel(QStringLiteral("Функция:"), this));
  function->addWidget(stretched(addLabel(kFunctionName, "Функция"), 0, 0, operationNames()), 1);
  parameters->addLayout(function);
  const std::vector<std::string> labels = parameterLabels();
  for (const ParameterRowIds& ids : kParameterRows) {
    parameters->addWidget(stretched(addLabel(ids.label, "параметр"), 0, 0, labels));
    auto* line = new QHBoxLayout;
    spaceInUnits(line, 0, ui::kGap);
    line->addWidget(stretched(addTrackbar(ids.trackbar), 0, kParameterLineHeight), 1);
    line->addWidget(smallButton(ids.plus, "+", kParameterLineHeight));
    line->addWidget(smallButton(ids.minus, "-", kParameterLineHeight));
    // A typed value moves the row's trackbar to it, as a drag would.
    const int trackbar = ids.trackbar;
    line->addWidget(fixed(addNumberBox(ids.edit, ui::BoxCaption::ofLabel(ids.label), {0, texgen::kParamMax},
                                       [this, trackbar](int value) {
                                         setTrackbarPos(trackbar, value);
                                         trackbarMoved(trackbar);
                                       }),
                          0, kParameterLineHeight, {"255"}));
    setText(ids.edit, "0");
    setTip(ids.plus, "Параметр на единицу больше");
    setTip(ids.minus, "Параметр на единицу меньше");
    parameters->addLayout(line);
  }
  parameters->addStretch(1);
  middle->addLayout(parameters, 1);
  root->addLayout(middle, 1);

  auto* bottom = new QHBoxLayout;
  QPushButton* ok = addButton(kOk, "ОК");
  ok->setDefault(true);
  for (QPushButton* button : {ok, addButton(kChangeEntry, "Изменить"), addButton(kDeleteEntry, "Удалить"),
                              addButton(kEraseAll, "Стереть все")})
    bottom->addWidget(stretched(button, 0, ui::kLineHeight), 1);
  bottom->addWidget(foldButton(kFold));
  bottom->addWidget(smallButton(kTimingTest, "T"));
  root->addLayout(bottom);
}

QAction* TextureEditorDialog::menuAction(int id) const {
  const auto it = actions_.find(id);
  return it == actions_.end() ? nullptr : it->second;
}

bool TextureEditorDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseMove) ui::takeFocusOnMouseMove(ui::kFocusTextureEditor);
  return Dialog::eventFilter(watched, event);
}

void TextureEditorDialog::showEvent(QShowEvent* event) {
  Dialog::showEvent(event);
  // The first paint is the first moment the tab control is seen; checking here
  // keeps the first check from overriding what the user picks next.
  tabCheck();
}

void TextureEditorDialog::keyPressEvent(QKeyEvent* event) {
  // "ОК" is the default button: Enter in any control that leaves it alone commits
  // (the value boxes keep their Enter to themselves).
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    command(kOk);
    return;
  }
  Dialog::keyPressEvent(event);
}

// ---- Handlers ----

void TextureEditorDialog::command(int id) {
  const int code = selection(kFunctionList);
  bool stepped = false;
  for (int row = 1; row <= texgen::kParamCount && !stepped; ++row) {
    const ParameterRowIds& ids = kParameterRows[row - 1];
    if (id == ids.plus || id == ids.minus) {
      stepRow(row, id == ids.plus ? 1 : -1, code);
      stepped = true;
    }
  }
  if (!stepped) {
    switch (id) {
      case kOk: ok(); break;
      case kChangeEntry: beginChange(historyItem()); break;
      case kDeleteEntry: deleteHistoryItem(historyItem()); break;
      case kEraseAll: eraseLog(); break;
      case kPreviousSlot: stepSlot(-1); break;
      case kNextSlot: stepSlot(1); break;
      case kRestoreRecord: restoreFunction(code); break;
      case kFold: ui::toggleFoldFlag(ui::kFocusTextureEditor); break;
      case kTimingTest: timingTest(); break;
      case kLoadLog: loadLog(); break;
      case kSaveLog: saveLog(); break;
      case kExportPng: exportPng(); break;
      default: break;
    }
  }
  refresh();
  tabCheck();
}

void TextureEditorDialog::trackbarMoved(int) {
  rowsMoved(selection(kFunctionList));
  tabCheck();
}

void TextureEditorDialog::listChanged(int id) {
  if (id == kFunctionList) {
    pickFunction(selection(kFunctionList));
    followTab();
  } else if (id == kSizeCombo) {
    sizeChosen();
  }
  tabCheck();
}

void TextureEditorDialog::refresh() {
  setText(kSlotNumber, std::to_string(store().currentSlot));
  setSelection(kSizeCombo, texgen::edgeSizeIndex(store().edgeSize));
  for (int id : {kChangeEntry, kEraseAll, kDeleteEntry}) enable(id, textureEditorState.changeMode == 0);
}

// ---- Rows ----

void TextureEditorDialog::showRow(int row, bool on) {
  const ParameterRowIds& ids = kParameterRows[row - 1];
  for (int id : {ids.label, ids.trackbar, ids.plus, ids.minus, ids.edit}) showControl(id, on);
}

void TextureEditorDialog::hideAllRows() {
  for (int row = 1; row <= texgen::kParamCount; ++row) showRow(row, false);
  setText(kFunctionName, "");
}

void TextureEditorDialog::showRowLabels(int code) {
  if (code <= 0 || !isListedCode(code)) return;
  const texgen::OperationRecord& record = texgen::catalogue.records[code];
  setText(kFunctionName, record.name);
  for (int i = 1; i <= record.paramCount; ++i) setText(kParameterRows[i - 1].label, record.labels[i - 1]);
  // Rows of a function shown before with more parameters would stand beside the
  // name with their old labels.
  for (int i = 1; i <= texgen::kParamCount; ++i) showRow(i, i <= record.paramCount);
}

void TextureEditorDialog::selectFunction(int code) {
  setSelection(kFunctionList, code);
  followTab();
}

// The tab shows the group of the selected function, whoever selected it; the
// stored tab follows, so that the tab check has nothing to redo.
void TextureEditorDialog::followTab() {
  const int code = selection(kFunctionList);
  if (code < 0) return;
  const int tab = code >= texgen::kHeadingColour   ? kTabColour
                  : code >= texgen::kHeadingFilters ? kTabFilters
                                                    : kTabGenerators;
  const QSignalBlocker quiet(tabs_);
  tabs_->setCurrentIndex(tab);
  selectedTab_ = tab;
}

void TextureEditorDialog::tabCheck() {
  const int tab = tabs_->currentIndex();
  if (tab == selectedTab_) return;
  selectedTab_ = tab;
  int heading = -1;
  switch (tab) {
    case kTabColour:
      setSelection(kFunctionList, texgen::kAdjustColor);
      heading = texgen::kHeadingColour;
      break;
    case kTabFilters:
      setSelection(kFunctionList, texgen::kAdjustColor);
      heading = texgen::kHeadingFilters;
      break;
    case kTabGenerators: heading = texgen::kHeadingGenerators; break;
    default: return;
  }
  setSelection(kFunctionList, heading);
  // The point of the tabs: the group starts at the top of the list.
  if (auto* list = qobject_cast<QListWidget*>(control(kFunctionList)))
    list->scrollToItem(list->item(heading), QAbstractItemView::PositionAtTop);
}

// ---- The log ----

// The history item the edit buttons work on: the newest when none is selected;
// -1 while the history is empty.
int TextureEditorDialog::historyItem() {
  if (itemCount(kHistoryList) == 0) return -1;
  if (selection(kHistoryList) < 0) setSelection(kHistoryList, 0);
  return selection(kHistoryList);
}

void TextureEditorDialog::removeHistoryAtTop(int count) {
  auto* history = qobject_cast<QListWidget*>(control(kHistoryList));
  const QSignalBlocker quiet(history);
  for (int k = 0; k < count && history->count() > 0; ++k) delete history->takeItem(0);
}

// A full log is told once, not again on every further click while it stays full.
void TextureEditorDialog::ok() {
  const texgen::TextureStore& s = store();
  switch (commit(selection(kFunctionList))) {
    case Commit::stored: toldFull_ = {}; break;
    case Commit::logFull: {
      const FullLog full{s.currentSlot, s.edgeSize, s.entryCount};
      if (full != toldFull_) tell(fullLogText());
      toldFull_ = full;
      break;
    }
    case Commit::nothing: break;
  }
}

void TextureEditorDialog::editorRebuild() { texgen::replayCurrentSlot(); }

void TextureEditorDialog::selectSlot(int n) { texgen::selectSlot(n); }

void TextureEditorDialog::sizeChosen() {
  const int item = selection(kSizeCombo);
  const bool fits = chooseSize(item, selection(kFunctionList));
  refresh();  // a refused size gives way to the current one
  if (fits) return;
  const int edge = texgen::kEdgeSizes[item];
  tell("Лог текстуры не помещается в размер " + std::to_string(edge) + ": там помещается " +
       os::operationsCount(texgen::maxEntryCount(edge) - 1));
}

void TextureEditorDialog::timingTest() {
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", static_cast<double>(texedit::timingTest()));
  ui::prompts().message(text, "timetest", ui::MessageButtons::ok, ui::MessageIcon::none);
}

// ---- Files ----

void TextureEditorDialog::loadLog() {
  const std::optional<std::string> path = ui::prompts().openFile({"Vandrel Texture", "*.vtx"});
  if (!path) return;
  texgen::LogReadResult read;
  std::string error;
  if (!texedit::loadLog(*path, &read, &error)) {
    tell(error);
    return;
  }
  // What was skipped is told once, after the log shows what was read.
  std::string skipped;
  if (!read.unknownLines.empty()) {
    skipped = "неизвестная команда в строке " + std::to_string(read.unknownLines.front());
    if (read.unknownLines.size() > 1)
      skipped += " и ещё в " + os::counted(static_cast<int>(read.unknownLines.size()) - 1, "строке", "строках", "строках");
    skipped += "; такие строки пропущены";
  }
  if (!skipped.empty()) tell("Файл «" + *path + "»: " + skipped);
  // A log longer than the slot holds loads its first entries; the rest is told of.
  if (read.stoppedAtCapacity) os::tellStatus(texgen::leftOutText(read));
}

void TextureEditorDialog::saveLog() {
  const std::optional<std::string> chosen = ui::prompts().saveFile({"Vandrel texture", "*.vtx"});
  if (!chosen) return;
  std::string path = *chosen;
  if (path.find(".vtx") == std::string::npos) path += ".vtx";
  const texgen::TextureStore& s = store();
  // During a change the committed log is what is saved, not the part before it.
  std::string error;
  if (!os::writeFile(path, texgen::writeLog(s.currentSlot, s.edgeSize, texgen::committedEntryCount()), &error))
    tell(error);
}

void TextureEditorDialog::exportPng() {
  // Colours only unless asked: the preview shows no alpha, and most textures leave it at 0.
  const std::optional<ui::SaveChoice> chosen =
      ui::prompts().saveFileWithCheckBox({"PNG", "*.png"}, "С альфа-каналом");
  if (!chosen) return;
  std::string path = chosen->path;
  if (!endsWith(path, ".png")) path += ".png";
  const texgen::TextureStore& s = store();
  const os::PngChannels channels = chosen->checked ? os::PngChannels::rgba : os::PngChannels::rgb;
  std::string error;
  if (!os::writeImage(path, texgen::layer(s.entryCount), s.edgeSize, s.edgeSize, &error, channels))
    tell("Не удалось сохранить файл\n" + error);
}

}  // namespace vandrel::texedit
