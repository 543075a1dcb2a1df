#include "editor/shell/pack_commands.h"

#include <QFileInfo>
#include <QProgressBar>

#include "editor/shell/editor.h"
#include "editor/shell/frame_window.h"
#include "editor/shell/long_work.h"
#include "pack/complex_pack.h"
#include "platform/os/files.h"
#include "platform/os/status_line.h"
#include "platform/ui/prompts.h"
#include "texgen/editor_hooks.h"

namespace vandrel::shell {

PackState packState;

namespace {

constexpr int kStoredSlots = 253;
const ui::FileFilter kPackFilter{"Vandrel complex pack", "*.vsc"};

// "demo.vsc* — VandreL": the pack's file name, then Qt's mark of unsaved work.
void showCaption() {
  if (!editor.frame) return;
  const QString name = QFileInfo(QString::fromStdString(packState.packPath)).fileName();
  editor.frame->setWindowTitle(packState.packPathKnown ? name + QStringLiteral("[*] — VandreL")
                                                       : QStringLiteral("%1[*]").arg(kTitle));
  updateUnsavedMark();
}

void focusFrame() {
  if (editor.frame) editor.frame->setFocus(Qt::OtherFocusReason);
}

// Errors name their file and say what went wrong.
void tellFailure(const std::string& error) {
  ui::prompts().message(error, kTitle, ui::MessageButtons::ok, ui::MessageIcon::error);
}

// Changed work is saved, kept unsaved or kept open as the user answers; false
// means the user stayed with it (cancelled, or its save failed).
bool mayReplaceWork() {
  if (!workUnsaved()) return true;
  switch (ui::prompts().message("Сохранить изменения в пакете?", kTitle, ui::MessageButtons::yesNoCancel,
                                ui::MessageIcon::question)) {
    case ui::Answer::yes: return savePack();
    case ui::Answer::no: return true;
    default: return false;
  }
}

// While a pack loads, the status bar counts the slots rebuilt so far.
void showSlotProgress(int slot) {
  QProgressBar* bar = editor.frame ? editor.frame->progress() : nullptr;
  if (!bar) return;
  bar->setValue(slot == 1 ? kStoredSlots : slot - 1);
  if (texgen::textureHooks.showSlotNumber) texgen::textureHooks.showSlotNumber(slot);
  bar->setVisible(true);
  bar->repaint();
}

bool writeTo(const std::string& path) {
  std::string error;
  const std::string text = pack::savedPackText();
  if (!os::writeFile(path, text, &error)) {
    tellFailure(error);
    focusFrame();
    return false;
  }
  packState.savedText = text;
  showCaption();
  os::tellStatus("Пакет записан: " + path);
  focusFrame();
  return true;
}

}  // namespace

void resetPackState() {
  packState = PackState{};
  packState.savedText = pack::savedPackTextOfWork();
}

bool loadPackFrom(const std::string& path, bool askToSave) {
  // A file that cannot be loaded is told before anything is asked or changed.
  std::string text, error;
  if (!pack::readPackFile(path, &text, &error)) {
    tellFailure(error);
    return false;
  }
  if (askToSave && !mayReplaceWork()) return false;
  // A change pending in the texture editor belongs to the log the pack replaces.
  if (texgen::textureHooks.beforeSlotChange) texgen::textureHooks.beforeSlotChange();
  bool loaded;
  {
    LongWork work(QStringLiteral("Загрузка пакета..."));
    pack::packHooks.showSlotNumber = [&work](int slot) {
      showSlotProgress(slot);
      work.step(slot == 1 ? kStoredSlots : slot - 1, kStoredSlots);
    };
    // Cancelled, the pack is not loaded: the work that was open stays.
    loaded = pack::loadPackTextUnlessStopped(text, [&work] { return work.cancelled(); });
    pack::packHooks.showSlotNumber = nullptr;
  }
  if (editor.frame) editor.frame->progress()->setVisible(false);
  if (!loaded) {
    os::tellStatus("Загрузка пакета отменена");
    return false;
  }
  packState.packPath = path;
  packState.packPathKnown = true;
  packState.savedText = pack::savedPackTextOfWork();
  showCaption();
  return true;
}

// The question comes before the chooser: the answer is about the work on screen,
// not about the file picked.
void loadPack() {
  if (mayReplaceWork())
    if (const auto path = ui::prompts().openFile(kPackFilter)) loadPackFrom(*path, false);
  focusFrame();
}

bool savePackAs() {
  pack::cleanUpCloneSlots();
  const auto chosen = ui::prompts().saveFile(kPackFilter);
  if (!chosen) {
    focusFrame();
    return false;
  }
  std::string path = *chosen;
  if (path.find(".vsc") == std::string::npos) path += ".vsc";
  packState.packPath = path;
  packState.packPathKnown = true;
  return writeTo(path);
}

bool savePack() {
  if (!packState.packPathKnown) return savePackAs();
  return writeTo(packState.packPath);
}

bool workUnsaved() { return pack::savedPackTextOfWork() != packState.savedText; }

void updateUnsavedMark() {
  if (editor.frame) editor.frame->setWindowModified(workUnsaved());
}

bool confirmQuit() { return mayReplaceWork(); }

}  // namespace vandrel::shell
