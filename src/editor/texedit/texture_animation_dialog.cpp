#include "editor/texedit/texture_animation_dialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "platform/ui/commands.h"
#include "platform/ui/cursors.h"
#include "platform/ui/prompts.h"
#include "platform/ui/tool_windows.h"
#include "render/frame.h"
#include "texedit/sinus_animation.h"
#include "texedit/texture_animation.h"
#include "texgen/catalogue.h"
#include "texgen/editor_hooks.h"
#include "texgen/texture_store.h"

namespace vandrel::texedit {

namespace {

// In dialog units.
constexpr int kWidth = 183;
constexpr int kHeight = 194;
constexpr int kPlayWidth = 25;

const ui::FileFilter kSaveFilter{"Vandrel sinus animation", "*.sna"};
const ui::FileFilter kOpenFilter{"Vandrel Sinanim", "*.sna"};
const char* const kTitle = "Анимация текстур";

QLabel* caption(QWidget* parent, const char* text) { return new QLabel(QString::fromUtf8(text), parent); }

// Everything a parameter label or the function name may come to show.
std::vector<std::string> parameterLabels() {
  std::vector<std::string> labels;
  for (const texgen::OperationRecord& r : texgen::catalogue.records)
    for (int i = 0; i < r.paramCount; ++i) labels.push_back(r.labels[i]);
  return labels;
}

std::vector<std::string> operationNames() {
  std::vector<std::string> names;
  for (int code = 0; code < texgen::kCatalogueEntries; ++code) names.push_back(texgen::operationName(code));
  return names;
}

}  // namespace

TextureAnimationDialog::TextureAnimationDialog(QWidget* parent) : ui::Dialog(parent) {
  setWindowTitle(QString::fromUtf8(kTitle));
  setMouseTracking(true);
  resetTextureAnimation();
  createControls();
  setUnitSize(kWidth, kHeight);
  const TextureAnimation& a = textureAnimation;
  showNumber(kMorphStages, a.morphStages);
  showNumber(kSinusStages, a.sinusStages);
  showNumber(kMorphDepth, a.morphDepth);
  showNumber(kSinusDepth, a.sinusDepth);
  showNumber(kReferenceSlot, a.referenceSlot);
  showNumber(kCommandNumber, a.commandNumber);
  ui::registerCommandTarget(ui::WindowId::textureAnimation, this);
}

TextureAnimationDialog::~TextureAnimationDialog() {
  if (ui::commandTarget(ui::WindowId::textureAnimation) == this)
    ui::registerCommandTarget(ui::WindowId::textureAnimation, nullptr);
}

void TextureAnimationDialog::createControls() {
  auto button = [this](int id, const char* text) { return fixed(addButton(id, text), kPlayWidth, ui::kLineHeight); };
  auto shown = [this](int id, const char* widest) {
    QLineEdit* e = fixed(addEdit(id), 0, ui::kLineHeight, {widest});
    // S and c change only through their buttons, which also refresh what hangs on them.
    e->setReadOnly(true);
    return e;
  };
  // Stages and depths: a typed number within what a run would use is kept for
  // the next run; the depth's range follows the current log.
  auto stages = [this](int id, int& stored) {
    return fixed(addNumberBox(id, "стадий", {1, kMaxStages}, [&stored](int typed) { stored = typed; }), 0,
                 ui::kLineHeight, {"256"});
  };
  auto depth = [this](int id, int& stored) {
    return fixed(addNumberBox(id, "Глубина", [] { return ui::NumberRange{clampDepth(1), clampDepth(INT_MAX)}; },
                              [&stored](int typed) { stored = typed; }),
                 0, ui::kLineHeight, {"253"});
  };
  TextureAnimation& a = textureAnimation;

  auto row = [](QBoxLayout* into) { return newRow(into); };

  QVBoxLayout* outer = rowsFromTop();

  // Morph.
  QHBoxLayout* r = row(outer);
  r->addWidget(button(kPlayMorph, "play"));
  r->addWidget(button(kPlayMorphAdvance, "play+"));
  r->addStretch(1);
  r->addWidget(caption(this, "стадий:"));
  r->addWidget(stages(kMorphStages, a.morphStages));
  r = row(outer);
  r->addWidget(caption(this, "Опорный кадр"));
  r->addWidget(shown(kReferenceSlot, "255"));
  r->addWidget(smallButton(kPreviousReference, "<"));
  r->addWidget(smallButton(kNextReference, ">"));
  r->addStretch(1);
  r->addWidget(caption(this, "Глубина"));
  r->addWidget(depth(kMorphDepth, a.morphDepth));
  r->addWidget(smallButton(kMorphDeeper, "+"));
  r->addWidget(smallButton(kMorphShallower, "-"));
  setTip(kMorphDeeper, "Глубина на единицу больше");
  setTip(kMorphShallower, "Глубина на единицу меньше");
  outer->addWidget(stretched(addTrackbar(kTime), 0, 0));

  // Sinus animation.
  auto* group = new QGroupBox(QStringLiteral("Sin-anim"), this);
  auto* sinus = new QVBoxLayout(group);
  // The frame is margin enough: the trackbar columns need every pixel of the width.
  spaceInUnits(sinus, 0, ui::kGap);
  r = row(sinus);
  r->addWidget(button(kPlaySinus, "play"));
  r->addStretch(1);
  r->addWidget(caption(group, "Номер команды в логе"));
  r->addWidget(shown(kCommandNumber, "253"));
  r->addWidget(smallButton(kNextCommand, "+"));
  r->addWidget(smallButton(kPreviousCommand, "-"));
  setTip(kNextCommand, "Следующая команда лога");
  setTip(kPreviousCommand, "Предыдущая команда лога");
  r = row(sinus);
  r->addWidget(caption(group, "Глубина"));
  r->addWidget(depth(kSinusDepth, a.sinusDepth));
  r->addWidget(smallButton(kSinusDeeper, "+"));
  r->addWidget(smallButton(kSinusShallower, "-"));
  setTip(kSinusDeeper, "Глубина на единицу больше");
  setTip(kSinusShallower, "Глубина на единицу меньше");
  r->addStretch(1);
  r->addWidget(caption(group, "стадий:"));
  r->addWidget(stages(kSinusStages, a.sinusStages));
  sinus->addWidget(stretched(addLabel(kFunction, "Функция"), 0, 0, operationNames()));

  // A label column as wide as the longest parameter label, then the three trackbar columns.
  auto* grid = new QGridLayout;
  spaceInUnits(grid, 0, ui::kGap);
  grid->addWidget(caption(group, "Амплитуда"), 0, 1, Qt::AlignHCenter);
  grid->addWidget(caption(group, "Частота"), 0, 2, Qt::AlignHCenter);
  grid->addWidget(caption(group, "Фаза"), 0, 3, Qt::AlignHCenter);
  static const char* const kNames[] = {"p1", "p2", "p3", "p4", "p5", "p6", "p7"};
  const std::vector<std::string> labels = parameterLabels();
  const int columns[3] = {kFirstAmplitude, kFirstFrequency, kFirstPhase};
  for (int p = 1; p <= kSinusParams; ++p) {
    grid->addWidget(fixed(addLabel(paramLabelId(p), kNames[p - 1]), 0, 0, labels), p, 0);
    for (int k = 0; k < 3; ++k) grid->addWidget(stretched(addTrackbar(columns[k] + p - 1), 0, 0), p, 1 + k);
  }
  for (int k = 1; k <= 3; ++k) grid->setColumnStretch(k, 1);
  sinus->addLayout(grid);
  sinus->addStretch(1);
  r = row(sinus);
  r->addWidget(stretched(addButton(kLoad, "Загрузить"), 0, ui::kLineHeight), 1);
  r->addWidget(stretched(addButton(kSave, "Сохранить"), 0, ui::kLineHeight), 1);
  r->addWidget(stretched(addButton(kErase, "Стереть"), 0, ui::kLineHeight), 1);
  r->addWidget(foldButton(kFold));
  outer->addWidget(group, 1);

  for (QWidget* child : findChildren<QWidget*>()) child->setMouseTracking(true);
}

void TextureAnimationDialog::command(int id) {
  switch (id) {
    case kPlayMorph: playMorph(false); break;
    case kPlayMorphAdvance: playMorph(true); break;
    case kPlaySinus: playSinus(); break;
    case kPreviousReference: stepReference(-1); break;
    case kNextReference: stepReference(+1); break;
    case kMorphDeeper: stepDepth(kMorphDepth, +1); break;
    case kMorphShallower: stepDepth(kMorphDepth, -1); break;
    case kNextCommand: stepCommand(+1); break;
    case kPreviousCommand: stepCommand(-1); break;
    case kSinusDeeper: stepDepth(kSinusDepth, +1); break;
    case kSinusShallower: stepDepth(kSinusDepth, -1); break;
    case kLoad: loadSettings(); break;
    case kSave: saveSettings(); break;
    case kErase: erase(); break;
    case kFold: ui::toggleFoldFlag(ui::kFocusTextureAnimation); break;
    default: break;
  }
}

// The time trackbar's own movement also stores the sinus row: any trackbar does.
void TextureAnimationDialog::trackbarMoved(int) {
  storeSinusTrackbars();
  TextureAnimation& a = textureAnimation;
  a.morphStages = editInt(kMorphStages);
  setTrackbarRange(kTime, 0, 255);
  if (showMorphFrame(trackbarPos(kTime), [this] { showFrame(false); }))
    showNumber(kMorphStages, a.morphStages);
}

void TextureAnimationDialog::mouseMoveEvent(QMouseEvent*) {
  ui::takeFocusOnMouseMove(ui::kFocusTextureAnimation);
}

void TextureAnimationDialog::showNumber(int id, int value) { setText(id, std::to_string(value)); }

void TextureAnimationDialog::showFrame(bool moveTimeTrackbar) {
  if (texgen::textureHooks.redrawPreview) texgen::textureHooks.redrawPreview();
  render::renderFrame();
  if (moveTimeTrackbar) {
    setTrackbarPos(kTime, static_cast<int>(textureAnimation.time));
    ui::showNow({control(kTime)});
  }
  ui::showNowRegistered();
}

// An empty or unreadable stages or depth edit reads as 0, which the runs raise to 1.
void TextureAnimationDialog::playMorph(bool advance) {
  TextureAnimation& a = textureAnimation;
  a.morphStages = editInt(kMorphStages);
  a.morphDepth = editInt(kMorphDepth);
  setTrackbarRange(kTime, 0, 255);
  const FrameShown shown = [this] { showFrame(true); };
  if (!(advance ? runMorphAndAdvance(shown) : runMorph(shown))) return;
  showNumber(kMorphStages, a.morphStages);
  showNumber(kMorphDepth, a.morphDepth);
  showNumber(kReferenceSlot, a.referenceSlot);
}

void TextureAnimationDialog::playSinus() {
  TextureAnimation& a = textureAnimation;
  a.sinusStages = editInt(kSinusStages);
  a.sinusDepth = editInt(kSinusDepth);
  storeSinusTrackbars();
  setTrackbarRange(kTime, 0, 255);
  if (!runSinus([this] { showFrame(false); })) return;
  showNumber(kSinusStages, a.sinusStages);
  showNumber(kSinusDepth, a.sinusDepth);
}

void TextureAnimationDialog::stepReference(int delta) {
  int& s = textureAnimation.referenceSlot;
  s = std::clamp(s + delta, 0, kLastReferenceSlot);
  showNumber(kReferenceSlot, s);
}

void TextureAnimationDialog::stepDepth(int edit, int delta) {
  int& depth = edit == kMorphDepth ? textureAnimation.morphDepth : textureAnimation.sinusDepth;
  depth = clampDepth(editInt(edit) + delta);
  showNumber(edit, depth);
}

void TextureAnimationDialog::stepCommand(int delta) {
  textureAnimation.commandNumber = clampCommandNumber(textureAnimation.commandNumber + delta);
  showCommand();
}

void TextureAnimationDialog::showCommand() {
  const int c = textureAnimation.commandNumber;
  showNumber(kCommandNumber, c);
  showSinusRow();
  const int code = texgen::currentSlot().log[c].code();
  const texgen::OperationRecord* record =
      code >= 0 && code < texgen::kCatalogueRecords ? &texgen::catalogue.records[code] : nullptr;
  for (int p = 1; p <= kSinusParams; ++p) {
    const char* label = record && p <= record->paramCount ? record->labels[p - 1] : nullptr;
    setText(paramLabelId(p), label ? label : "");
  }
  setText(kFunction, texgen::operationName(code));
}

void TextureAnimationDialog::showSinusRow() {
  const SinusRowValues v = sinusRow(textureAnimation.commandNumber);
  for (int p = 0; p < kSinusParams; ++p) {
    setTrackbarPos(kFirstAmplitude + p, v.amplitude[p]);
    setTrackbarPos(kFirstFrequency + p, v.frequency[p]);
    setTrackbarPos(kFirstPhase + p, v.phase[p]);
  }
}

void TextureAnimationDialog::storeSinusTrackbars() {
  SinusRowValues v{};
  for (int p = 0; p < kSinusParams; ++p) {
    v.amplitude[p] = trackbarPos(kFirstAmplitude + p);
    v.frequency[p] = trackbarPos(kFirstFrequency + p);
    v.phase[p] = trackbarPos(kFirstPhase + p);
  }
  storeSinusRow(textureAnimation.commandNumber, v);
}

void TextureAnimationDialog::loadSettings() {
  if (const auto path = ui::prompts().openFile(kOpenFilter)) {
    std::string error;
    if (!loadSinusAnimationFile(*path, &error)) {
      ui::prompts().message(error, kTitle,
                            ui::MessageButtons::ok, ui::MessageIcon::error);
      return;
    }
  }
  // Loaded or not, the trackbars start again at the first command.
  textureAnimation.commandNumber = 1;
  showCommand();
}

void TextureAnimationDialog::saveSettings() {
  const auto path = ui::prompts().saveFile(kSaveFilter);
  if (!path) return;
  std::string error;
  if (!saveSinusAnimationFile(*path, texgen::textureStore.entryCount, &error))
    ui::prompts().message(error, kTitle,
                          ui::MessageButtons::ok, ui::MessageIcon::error);
}

void TextureAnimationDialog::erase() {
  clearSinusTables();
  showSinusRow();
}

}  // namespace vandrel::texedit
