#include "texedit/texture_editor_dialog.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
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
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "app/image_output.h"
#include "platform/os/files.h"
#include "platform/ui/commands.h"
#include "platform/ui/prompts.h"
#include "platform/ui/tool_windows.h"
#include "render/frame.h"
#include "texgen/catalogue.h"
#include "texgen/dispatcher.h"
#include "texgen/editor_hooks.h"
#include "texgen/ops.h"
#include "texgen/parameter_rows.h"
#include "texgen/texture_log_file.h"
#include "texgen/texture_store.h"

namespace vandrel::texedit {

TextureEditorState textureEditorState;

void resetTextureEditorState() { textureEditorState = TextureEditorState{}; }

namespace {

// 192 x 199 dialog units.
constexpr int kWidth = 288;
constexpr int kHeight = 323;
constexpr int kTimingRuns = 50;
constexpr const char* kErrorCaption = "ошибка";

// The texture hooks are plain functions; they reach the one dialog through this.
TextureEditorDialog* theDialog = nullptr;

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

QPushButton* narrow(QPushButton* button, int width) {
  button->setFixedSize(width, 20);
  return button;
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
  resize(kWidth, kHeight);

  // Any mouse move over the dialog, whichever control is under it, claims the focus.
  setMouseTracking(true);
  installEventFilter(this);
  for (QWidget* child : findChildren<QWidget*>()) {
    child->setMouseTracking(true);
    child->installEventFilter(this);
  }

  theDialog = this;
  ui::registerCommandTarget(ui::WindowId::textureEditor, this);
  texgen::TextureHooks& h = texgen::textureHooks;
  h.rows = rows_.get();
  h.clearHistory = [] {
    if (theDialog) theDialog->clearItems(kHistoryList);
  };
  h.insertHistoryAtTop = [](const char* label) {
    if (theDialog) theDialog->insertItem(kHistoryList, 0, label);
  };
  h.selectFunction = [](int code) {
    if (theDialog) theDialog->setSelection(kFunctionList, code);
  };
  h.showRows = [](int code) {
    if (theDialog) theDialog->showRowLabels(code);
  };
  h.selectSizeItem = [](int index) {
    if (theDialog && index >= 0) theDialog->setSelection(kSizeCombo, index);
  };
  h.beforeSlotChange = [] {
    if (theDialog) theDialog->leaveChangeMode();
  };
  h.showSlotNumber = [](int slot) {
    if (theDialog) theDialog->setText(kSlotNumber, std::to_string(slot));
  };
}

TextureEditorDialog::~TextureEditorDialog() {
  // The preview's redraw and the device's texture re-creation are not ours.
  texgen::TextureHooks& h = texgen::textureHooks;
  const auto redrawPreview = h.redrawPreview;
  const auto recreateSlotTexture = h.recreateSlotTexture;
  texgen::resetTextureHooks();
  h.redrawPreview = redrawPreview;
  h.recreateSlotTexture = recreateSlotTexture;
  if (ui::commandTarget(ui::WindowId::textureEditor) == this)
    ui::registerCommandTarget(ui::WindowId::textureEditor, nullptr);
  if (theDialog == this) theDialog = nullptr;
}

void TextureEditorDialog::buildControls() {
  auto* root = new QVBoxLayout(this);
  root->setContentsMargins(3, 2, 3, 3);
  root->setSpacing(3);

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
  top->setSpacing(3);
  top->addWidget(new QLabel(QStringLiteral("Текстура"), this));
  QLineEdit* slot = addEdit(kSlotNumber);
  slot->setReadOnly(true);
  slot->setFixedWidth(34);
  top->addWidget(slot);
  top->addWidget(narrow(addButton(kPreviousSlot, "<"), 20));
  top->addWidget(narrow(addButton(kNextSlot, ">"), 20));
  top->addStretch(1);
  top->addWidget(new QLabel(QStringLiteral("Размер:"), this));
  QComboBox* size = addCombo(kSizeCombo);
  size->setFixedWidth(54);
  top->addWidget(size);
  top->addWidget(narrow(addButton(kRestoreRecord, "res->"), 38));
  root->addLayout(top);

  tabs_ = new QTabBar(this);
  tabs_->setObjectName(QString::number(kTabs));
  tabs_->setExpanding(false);
  for (const char* caption : {"Цвет", "Фильтры", "Генераторы"}) tabs_->addTab(qtext(caption));
  // Only the user's tab changes notify: code never sets the tab.
  connect(tabs_, &QTabBar::currentChanged, this, [this] { tabCheck(); });
  root->addWidget(tabs_);

  auto* middle = new QHBoxLayout;
  middle->setSpacing(4);
  auto* lists = new QVBoxLayout;
  lists->setSpacing(3);
  QListWidget* functions = addList(kFunctionList);
  QListWidget* history = addList(kHistoryList);
  for (QListWidget* list : {functions, history}) {
    list->setFixedWidth(98);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  }
  lists->addWidget(functions, 3);
  lists->addWidget(history, 2);
  middle->addLayout(lists);

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(2);
  grid->setVerticalSpacing(2);
  grid->addWidget(new QLabel(QStringLiteral("Функция:"), this), 0, 0);
  grid->addWidget(addLabel(kFunctionName, "Функция"), 0, 1, 1, 4);
  for (int row = 1; row <= texgen::kParamCount; ++row) {
    const ParameterRowIds& ids = kParameterRows[row - 1];
    QLabel* label = addLabel(ids.label, "параметр");
    // Long labels are cut at the column's edge rather than widening the dialog.
    label->setFixedWidth(52);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    QLineEdit* number = addEdit(ids.edit);
    number->setReadOnly(true);
    number->setFixedWidth(28);
    number->setText(QStringLiteral("0"));
    grid->addWidget(label, row, 0);
    grid->addWidget(addTrackbar(ids.trackbar), row, 1);
    grid->addWidget(narrow(addButton(ids.plus, "+"), 16), row, 2);
    grid->addWidget(narrow(addButton(ids.minus, "-"), 16), row, 3);
    grid->addWidget(number, row, 4);
  }
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(texgen::kParamCount + 1, 1);
  middle->addLayout(grid, 1);
  root->addLayout(middle, 1);

  auto* bottom = new QHBoxLayout;
  bottom->setSpacing(3);
  QPushButton* ok = addButton(kOk, "ОК");
  ok->setDefault(true);
  // Shares of the row in proportion to the captions.
  const std::pair<QPushButton*, int> buttons[] = {{ok, 2},
                                                  {addButton(kChangeEntry, "Изменить"), 4},
                                                  {addButton(kDeleteEntry, "Удалить"), 4},
                                                  {addButton(kEraseAll, "Стереть все"), 5}};
  for (const auto& [button, share] : buttons) {
    button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    button->setFixedHeight(22);
    bottom->addWidget(button, share);
  }
  bottom->addWidget(narrow(addButton(kFold, "/"), 20));
  bottom->addWidget(narrow(addButton(kTimingTest, "T"), 20));
  root->addLayout(bottom);
}

QSize TextureEditorDialog::sizeHint() const { return {kWidth, kHeight}; }

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
  // "ОК" is the default button: Enter in any control that leaves it alone commits.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    command(kOk);
    return;
  }
  Dialog::keyPressEvent(event);
}

// ---- Handlers ----

void TextureEditorDialog::command(int id) {
  bool stepped = false;
  for (int row = 1; row <= texgen::kParamCount && !stepped; ++row) {
    const ParameterRowIds& ids = kParameterRows[row - 1];
    if (id == ids.plus || id == ids.minus) {
      stepRow(row, id == ids.plus ? 1 : -1);
      stepped = true;
    }
  }
  if (!stepped) {
    switch (id) {
      case kOk: ok(); break;
      case kChangeEntry: changeEntry(); break;
      case kDeleteEntry: deleteEntry(); break;
      case kEraseAll: eraseAll(); break;
      case kPreviousSlot: stepSlot(-1); break;
      case kNextSlot: stepSlot(1); break;
      case kRestoreRecord: restoreRecord(); break;
      case kFold: ui::toggleFoldFlag(ui::kFocusTextureEditor); break;
      case kTimingTest: timingTest(); break;
      case kLoadLog: loadLog(); break;
      case kSaveLog: saveLog(); break;
      case kExportPng: exportPng(); break;
      default: break;
    }
  }
  tabCheck();
}

void TextureEditorDialog::trackbarMoved(int) {
  const int code = selection(kFunctionList);
  if (isListedCode(code)) {
    texgen::OperationRecord& record = texgen::catalogue.records[code];
    for (int i = 1; i <= record.paramCount; ++i) record.values[i - 1] = rows_->position(i);
  }
  texgen::runOperation(code);
  redrawPreview();
  render::renderFrame();
  tabCheck();
}

void TextureEditorDialog::listChanged(int id) {
  if (id == kFunctionList) {
    const int code = selection(kFunctionList);
    hideAllRows();
    showRowsFromCatalogue(code);
    dispatchSelected();
  } else if (id == kSizeCombo) {
    sizeChosen();
  }
  tabCheck();
}

void TextureEditorDialog::refresh() {
  setText(kSlotNumber, std::to_string(store().currentSlot));
  setSelection(kSizeCombo, texgen::edgeSizeIndex(store().edgeSize));
  enableEditButtons(textureEditorState.changeMode == 0);
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
  for (int i = 1; i <= record.paramCount; ++i) {
    setText(kParameterRows[i - 1].label, record.labels[i - 1]);
    showRow(i, true);
  }
}

void TextureEditorDialog::showRowsFromCatalogue(int code) {
  if (code <= 0 || !isListedCode(code)) return;
  const texgen::OperationRecord& record = texgen::catalogue.records[code];
  for (int i = 1; i <= record.paramCount; ++i) {
    rows_->setPosition(i, record.values[i - 1]);
    rows_->showNumber(i, std::to_string(rows_->position(i)));
  }
  showRowLabels(code);
}

void TextureEditorDialog::showRowsFromLogEntry(int code) {
  if (code <= 0 || !isListedCode(code)) return;
  const texgen::TextureOp& entry = texgen::currentEntry();
  for (int i = 1; i <= texgen::parameterCount(code); ++i) {
    rows_->setPosition(i, entry.param(i));
    rows_->showNumber(i, std::to_string(rows_->position(i)));
  }
  showRowLabels(code);
}

void TextureEditorDialog::stepRow(int row, int delta) {
  const ParameterRowIds& ids = kParameterRows[row - 1];
  int p = trackbarPos(ids.trackbar);
  if (delta > 0 && p < texgen::kParamMax) ++p;
  if (delta < 0 && p > 0) --p;
  setTrackbarPos(ids.trackbar, p);
  setText(ids.edit, std::to_string(p));
  dispatchSelected();
}

void TextureEditorDialog::dispatchSelected() {
  texgen::runOperation(selection(kFunctionList));
  redrawPreview();
}

void TextureEditorDialog::redrawPreview() {
  if (texgen::textureHooks.redrawPreview) texgen::textureHooks.redrawPreview();
}

void TextureEditorDialog::tabCheck() {
  TextureEditorState& st = textureEditorState;
  const int tab = tabs_->currentIndex();
  if (tab == st.selectedTab) return;
  st.selectedTab = tab;
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

void TextureEditorDialog::enableEditButtons(bool on) {
  for (int id : {kChangeEntry, kEraseAll, kDeleteEntry}) enable(id, on);
}

bool TextureEditorDialog::appendSelected() {
  texgen::TextureStore& s = store();
  const int code = selection(kFunctionList);
  if (!texgen::isOperationCode(code)) return false;  // headings append nothing
  // Changing an entry replaces it; only a real append needs room.
  if (textureEditorState.changeMode == 0 && s.entryCount >= texgen::currentCapacity()) {
    tell("Лог текстуры заполнен: при размере " + std::to_string(s.edgeSize) + " помещается " +
         std::to_string(texgen::currentCapacity() - 1) + " операций");
    return false;
  }
  texgen::copyLayer(s.entryCount, s.entryCount + 1);
  texgen::TextureOp& entry = texgen::currentEntry();
  entry = texgen::TextureOp{};
  entry.words[0] = code;
  for (int i = 1; i <= texgen::parameterCount(code); ++i) entry.setParam(i, rows_->position(i));
  insertItem(kHistoryList, 0, std::to_string(s.entryCount) + texgen::operationName(code));
  ++s.entryCount;
  return true;
}

void TextureEditorDialog::ok() {
  if (textureEditorState.changeMode)
    settleChangeMode(true);
  else
    appendSelected();
}

void TextureEditorDialog::leaveChangeMode() { settleChangeMode(false); }

void TextureEditorDialog::settleChangeMode(bool storePending) {
  TextureEditorState& st = textureEditorState;
  texgen::TextureStore& s = store();
  if (!st.changeMode) return;
  // When a pack load has replaced the slot behind the editor's back, there is
  // nothing of the change left to settle.
  if (s.currentSlot == st.changeSlot && s.entryCount == st.changedEntry) {
    if (auto* history = qobject_cast<QListWidget*>(control(kHistoryList))) {
      const QSignalBlocker quiet(history);
      for (int k = s.entryCount; k < st.savedCount && history->count() > 0; ++k) delete history->takeItem(0);
    }
    if (storePending) appendSelected();
    texgen::replayFrom(s.entryCount, st.savedCount);
  }
  st.changeMode = 0;
  hideAllRows();
  enableEditButtons(true);
  setSelection(kFunctionList, texgen::kHeadingGenerators);
}

void TextureEditorDialog::changeEntry() {
  TextureEditorState& st = textureEditorState;
  texgen::TextureStore& s = store();
  if (st.changeMode || itemCount(kHistoryList) == 0) return;
  if (selection(kHistoryList) < 0) setSelection(kHistoryList, 0);
  const int m = s.entryCount - selection(kHistoryList) - 1;
  if (m < 1) return;
  st.changeMode = 1;
  st.savedCount = s.entryCount;
  st.changeSlot = s.currentSlot;
  st.changedEntry = m;
  s.entryCount = m;
  texgen::copyLayer(m, m + 1);
  const int code = texgen::currentEntry().code();
  setSelection(kFunctionList, code);
  hideAllRows();
  showRowsFromLogEntry(code);
  texgen::runOperation(code);
  redrawPreview();
  enableEditButtons(false);
}

void TextureEditorDialog::deleteEntry() {
  if (textureEditorState.changeMode) return;
  if (selection(kHistoryList) < 0) setSelection(kHistoryList, 0);
  if (itemCount(kHistoryList) == 0) return;
  texgen::deleteEntry(store().entryCount - selection(kHistoryList) - 1);
  redrawPreview();
  setSelection(kFunctionList, texgen::kHeadingGenerators);
}

void TextureEditorDialog::eraseAll() {
  if (textureEditorState.changeMode) return;
  store().entryCount = 1;
  texgen::clearLayer(1);
  texgen::clearLayer(0);
  clearItems(kHistoryList);
  redrawPreview();
  setSelection(kFunctionList, texgen::kHeadingGenerators);
}

void TextureEditorDialog::editorRebuild() { texgen::replayCurrentSlot(); }

void TextureEditorDialog::selectSlot(int n) { texgen::selectSlot(n); }

void TextureEditorDialog::stepSlot(int delta) {
  // A pending change is settled by the slot selection's own hook, while the
  // changed slot is still current.
  int n = store().currentSlot;
  if (delta < 0 && n > 1) --n;
  if (delta > 0 && n < texgen::kSlotCount) ++n;
  selectSlot(n);
}

void TextureEditorDialog::sizeChosen() {
  const int index = selection(kSizeCombo);
  if (index < 0 || index >= static_cast<int>(std::size(texgen::kEdgeSizes))) return;
  const int edge = texgen::kEdgeSizes[index];
  if (edge != store().edgeSize) {
    leaveChangeMode();
    if (!texgen::changeEdgeSize(edge)) {
      setSelection(kSizeCombo, texgen::edgeSizeIndex(store().edgeSize));
      tell("Лог текстуры не помещается в размер " + std::to_string(edge) + ": там помещается " +
           std::to_string(texgen::maxEntryCount(edge) - 1) + " операций");
    }
  }
  const int code = selection(kFunctionList);
  showRowsFromCatalogue(code);
  dispatchSelected();
}

void TextureEditorDialog::restoreRecord() {
  const int code = selection(kFunctionList);
  texgen::restoreRecord(code);
  showRowsFromCatalogue(code);
  dispatchSelected();
}

void TextureEditorDialog::timingTest() {
  texgen::TextureStore& s = store();
  const int t0 = static_cast<int>(render::tickCount() % render::kClockPeriod);
  for (int run = 0; run < kTimingRuns; ++run) {
    texgen::copyLayer(s.entryCount - 1, s.entryCount);
    texgen::addparticle(texgen::layer(s.entryCount), s.edgeSize, 128, 128, 255, 255, 255, 128, 255);
  }
  const int t1 = static_cast<int>(render::tickCount() % render::kClockPeriod);
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", static_cast<double>(t1 - t0));
  ui::prompts().message(text, "timetest", ui::MessageButtons::ok, ui::MessageIcon::none);
}

// ---- Files ----

void TextureEditorDialog::loadLog() {
  const std::optional<std::string> path = ui::prompts().openFile({"Vandrel Texture", "*.vtx"});
  if (!path) return;
  std::string text, error;
  if (!os::readFile(*path, texgen::kMaxLogFileBytes, &text, &error)) {
    tell("Не удалось открыть файл\n" + error);
    return;
  }
  if (text.find("tsize=") == std::string::npos) {
    tell("Файл " + *path + " не является логом текстуры");
    return;
  }
  leaveChangeMode();
  clearItems(kHistoryList);
  store().entryCount = 1;
  const texgen::LogReadResult read = texgen::readLog(text);
  for (std::size_t i = 0; i < read.unknownLines.size(); ++i) tell("неизвестная команда");
  if (read.stoppedAtCapacity)
    tell("Лог текстуры заполнен: при размере " + std::to_string(store().edgeSize) +
         " помещается " + std::to_string(texgen::currentCapacity() - 1) + " операций; остальное пропущено");
  editorRebuild();
}

void TextureEditorDialog::saveLog() {
  const std::optional<std::string> chosen = ui::prompts().saveFile({"Vandrel texture", "*.vtx"});
  if (!chosen) return;
  std::string path = *chosen;
  if (path.find(".vtx") == std::string::npos) path += ".vtx";
  const texgen::TextureStore& s = store();
  // During a change the committed log is what is saved, not the part before it.
  const int count = textureEditorState.changeMode ? textureEditorState.savedCount : s.entryCount;
  std::string error;
  if (!os::writeFile(path, texgen::writeLog(s.currentSlot, s.edgeSize, count), &error))
    tell("Не удалось сохранить файл\n" + error);
}

void TextureEditorDialog::exportPng() {
  const std::optional<std::string> chosen = ui::prompts().saveFile({"PNG", "*.png"});
  if (!chosen) return;
  std::string path = *chosen;
  if (!endsWith(path, ".png")) path += ".png";
  const texgen::TextureStore& s = store();
  std::string error;
  if (!app::writeImage(path, texgen::layer(s.entryCount), s.edgeSize, s.edgeSize, &error))
    tell("Не удалось сохранить файл\n" + error);
}

}  // namespace vandrel::texedit
