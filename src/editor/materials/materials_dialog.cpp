#include "editor/materials/materials_dialog.h"

#include <QEvent>
#include <QBoxLayout>
#include <QLabel>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include <optional>

#include "materials/materials.h"
#include "pack/document.h"
#include "platform/ui/prompts.h"
#include "platform/ui/swatch.h"
#include "platform/ui/tool_windows.h"

namespace vandrel::materials {

namespace {

using D = MaterialsDialog;

// In dialog units.
constexpr int kWidth = 138;
constexpr int kHeight = 156;
constexpr int kSwatchWidth = 30;
constexpr int kSwatchHeight = 9;

const char* const kTitle = "Редактор материалов";
const ui::FileFilter kMaterialFilter{"Vandrel single material", "*.vmt"};
const char* const kStageTypes[] = {"нет", "add", "sub", "mod"};
// Diffuse, ambient, specular; r, g, b.
constexpr int kColourTrackbars[3][3] = {{D::kDiffuseRed, D::kDiffuseGreen, D::kDiffuseBlue},
                                        {D::kAmbientRed, D::kAmbientGreen, D::kAmbientBlue},
                                        {D::kSpecularRed, D::kSpecularGreen, D::kSpecularBlue}};

}  // namespace

MaterialsDialog::MaterialsDialog(QWidget* parent) : Dialog(parent) {
  setWindowTitle(QString::fromUtf8(kTitle));
  // Rows from the top; the trackbars share their rows.
  QVBoxLayout* rows = rowsFromTop();
  auto row = [rows] { return newRow(rows); };
  // The captions of the steppers, the list and the two single trackbars line up their controls.
  auto caption = [this](const char* text) {
    return fixed(new QLabel(QString::fromUtf8(text), this), 0, 0,
                 {"№ материала", "№ карты", "TStage1-текстура", "TStage1-тип"});
  };
  auto share = [this](QWidget* w) { return stretched(w, 0, ui::kLineHeight); };
  // A typed number is taken on Enter or when the box is left.
  auto stepper = [&](const char* text, int previous, int edit, int next, ui::NumberRange range,
                     void (*take)(std::optional<int>)) {
    QHBoxLayout* r = row();
    r->addWidget(caption(text));
    r->addWidget(smallButton(previous, "<"));
    r->addWidget(
        fixed(addNumberBox(edit, text, range, [take](int typed) { take(typed); }), 0, ui::kLineHeight, {"255"}));
    r->addWidget(smallButton(next, ">"));
    r->addStretch(1);
  };
  auto colour = [&](const char* text, int swatch, const int (&ids)[3]) {
    QHBoxLayout* r = row();
    r->addWidget(staticText(text));
    r->addStretch(1);
    r->addWidget(fixed(addSwatch(swatch), kSwatchWidth, kSwatchHeight));
    r = row();
    for (int id : ids) r->addWidget(stretched(addTrackbar(id), 0, 0), 1);
  };
  auto single = [&](const char* text, int id) {
    QHBoxLayout* r = row();
    r->addWidget(caption(text));
    r->addWidget(stretched(addTrackbar(id), 0, 0), 1);
  };

  stepper("№ материала", kPreviousMaterial, kMaterialNumber, kNextMaterial, {0, kLastMaterial}, typeMaterialNumber);
  colour("диффузные rgb", kDiffuseSwatch, kColourTrackbars[0]);
  colour("амбиентные rgb", kAmbientSwatch, kColourTrackbars[1]);
  colour("спекулярные rgb", kSpecularSwatch, kColourTrackbars[2]);
  single("размер блика", kPower);
  single("рельефность", kBumpiness);
  stepper("№ карты", kPreviousMap, kMapNumber, kNextMap, {kMinMapNumber, kMaxMapNumber}, typeMapNumber);
  stepper("TStage1-текстура", kPreviousStageTexture, kStageTexture, kNextStageTexture, {0, kMaxStageTexture},
          typeStageTexture);
  QHBoxLayout* r = row();
  r->addWidget(caption("TStage1-тип"));
  r->addWidget(share(addCombo(kStageTypeList)), 1);
  for (const char* type : kStageTypes) addItem(kStageTypeList, type);
  rows->addStretch(1);
  r = row();
  r->addWidget(share(addButton(kLoad, "Загрузить")), 1);
  r->addWidget(share(addButton(kSave, "Сохранить")), 1);
  r->addWidget(share(addButton(kErase, "Стереть")), 1);
  r->addWidget(foldButton(kFold));

  // Child controls swallow mouse moves; the dialog watches them to take the focus.
  setMouseTracking(true);
  for (QWidget* child : findChildren<QWidget*>()) {
    child->setMouseTracking(true);
    child->installEventFilter(this);
  }

  materialHooks.refreshEditor.set(this, [this] { refresh(); });
  materialHooks.redrawSwatches.set(this, [this] { redrawSwatches(); });
  pack::addDocumentListener(this, [this] { refresh(); });
  ui::registerCommandTarget(ui::WindowId::materials, this);
  refresh();
  setUnitSize(kWidth, kHeight);
}

MaterialsDialog::~MaterialsDialog() {
  materialHooks.refreshEditor.clear(this);
  materialHooks.redrawSwatches.clear(this);
  pack::removeDocumentListener(this);
  if (ui::commandTarget(ui::WindowId::materials) == this)
    ui::registerCommandTarget(ui::WindowId::materials, nullptr);
}

void MaterialsDialog::command(int id) {
  switch (id) {
    case kPreviousMaterial: previousMaterial(); break;
    case kNextMaterial: nextMaterial(); break;
    case kPreviousMap: previousMapNumber(); break;
    case kNextMap: nextMapNumber(); break;
    case kPreviousStageTexture: previousStageTexture(); break;
    case kNextStageTexture: nextStageTexture(); break;
    case kErase: eraseCurrentMaterial(); break;
    case kFold: ui::toggleFoldFlag(ui::kFocusMaterials); break;
    case kLoad: load(); break;
    case kSave: save(); break;
    case kDiffuseSwatch:
    case kAmbientSwatch:
    case kSpecularSwatch: chooseColour(id); break;
    default: return;
  }
  redrawSwatches();
}

void MaterialsDialog::trackbarMoved(int) {
  MaterialTrackbars t{};
  int* values[3] = {t.diffuse, t.ambient, t.specular};
  for (int c = 0; c < 3; ++c)
    for (int i = 0; i < 3; ++i) values[c][i] = trackbarPos(kColourTrackbars[c][i]);
  t.power = trackbarPos(kPower);
  t.bumpiness = trackbarPos(kBumpiness);
  storeTrackbars(t);
}

void MaterialsDialog::listChanged(int id) {
  if (id != kStageTypeList || selection(kStageTypeList) < 0) return;
  selectStageType(selection(kStageTypeList));
  redrawSwatches();
}

void MaterialsDialog::refresh() {
  const int m = materialStore.currentMaterial;
  const MaterialTrackbars t = trackbarsOf(m);
  const int* values[3] = {t.diffuse, t.ambient, t.specular};
  for (int c = 0; c < 3; ++c)
    for (int i = 0; i < 3; ++i) setTrackbarPos(kColourTrackbars[c][i], values[c][i]);
  setTrackbarPos(kPower, t.power);
  setTrackbarPos(kBumpiness, t.bumpiness);
  setText(kMapNumber, std::to_string(materialStore.mapNumber[m]));
  setText(kMaterialNumber, std::to_string(m));
  setText(kStageTexture, std::to_string(materialStore.stageTexture[m]));
  // A type byte from a file outside the list selects nothing, as the system list does.
  setSelection(kStageTypeList, materialStore.stageType[m]);
  // The swatches keep their colour until told otherwise, so a refresh from outside
  // (a pack loaded, another material picked in the view) must not leave them stale.
  redrawSwatches();
}

void MaterialsDialog::redrawSwatches() {
  const Material& mat = currentMaterialRecord();
  setSwatchColour(kDiffuseSwatch, swatchPixel(mat.Diffuse));
  setSwatchColour(kAmbientSwatch, swatchPixel(mat.Ambient));
  setSwatchColour(kSpecularSwatch, swatchPixel(mat.Specular));
}

bool MaterialsDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseMove) mouseMoved();
  return Dialog::eventFilter(watched, event);
}

void MaterialsDialog::mouseMoveEvent(QMouseEvent* event) {
  mouseMoved();
  Dialog::mouseMoveEvent(event);
}

void MaterialsDialog::mouseMoved() {
  redrawSwatches();
  ui::takeFocusOnMouseMove(ui::kFocusMaterials);
}

void MaterialsDialog::chooseColour(int swatch) {
  Material& mat = currentMaterialRecord();
  const MaterialColour which = swatch == kDiffuseSwatch   ? MaterialColour::diffuse
                               : swatch == kAmbientSwatch ? MaterialColour::ambient
                                                          : MaterialColour::specular;
  const gfx::D3DCOLORVALUE& c = which == MaterialColour::diffuse   ? mat.Diffuse
                                : which == MaterialColour::ambient ? mat.Ambient
                                                                   : mat.Specular;
  const auto chosen = ui::prompts().chooseColour(swatchPixel(c));
  if (!chosen) return;
  setColourFromChooser(which, static_cast<std::uint8_t>(*chosen >> 16), static_cast<std::uint8_t>(*chosen >> 8),
                       static_cast<std::uint8_t>(*chosen));
}

void MaterialsDialog::load() {
  const auto path = ui::prompts().openFile(kMaterialFilter);
  if (!path) return;
  std::string error;
  if (!loadMaterialFile(*path, &error))
    ui::prompts().message(error, kTitle, ui::MessageButtons::ok,
                          ui::MessageIcon::error);
}

void MaterialsDialog::save() {
  const auto path = ui::prompts().saveFile(kMaterialFilter);
  if (!path) return;
  std::string error;
  if (!saveMaterialFile(*path, &error))
    ui::prompts().message(error, kTitle, ui::MessageButtons::ok,
                          ui::MessageIcon::error);
}

}  // namespace vandrel::materials
