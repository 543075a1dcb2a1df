#include "materials/materials_dialog.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include "materials/materials.h"
#include "platform/ui/prompts.h"
#include "platform/ui/swatch.h"
#include "platform/ui/tool_windows.h"

namespace vandrel::materials {

namespace {

using D = MaterialsDialog;

// 138 x 156 dialog units at 1.5 and 1.625 pixels a unit.
constexpr int kWidth = 207;
constexpr int kHeight = 254;
constexpr int kRows = 13;
constexpr int kColumns = 12;

const char* const kTitle = "Редактор материалов";
const ui::FileFilter kMaterialFilter{"Vandrel single material", "*.vmt"};
const char* const kStageTypes[] = {"нет", "add", "sub", "mod"};
// Diffuse, ambient, specular; r, g, b.
constexpr int kColourTrackbars[3][3] = {{D::kDiffuseRed, D::kDiffuseGreen, D::kDiffuseBlue},
                                        {D::kAmbientRed, D::kAmbientGreen, D::kAmbientBlue},
                                        {D::kSpecularRed, D::kSpecularGreen, D::kSpecularBlue}};

// The hooks reach the one materials editor there is.
MaterialsDialog* editorDialog = nullptr;
void refreshHook() {
  if (editorDialog) editorDialog->refresh();
}
void redrawHook() {
  if (editorDialog) editorDialog->redrawSwatches();
}

// Cells of equal size that share out exactly the dialog's size, as a dialog
// template places its controls, whatever the controls would like to be.
QGridLayout* evenGrid(QWidget* owner) {
  auto* grid = new QGridLayout(owner);
  grid->setSizeConstraint(QLayout::SetNoConstraint);  // folding may shrink the dialog to a strip
  grid->setContentsMargins(4, 4, 4, 4);
  grid->setSpacing(2);
  for (int r = 0; r < kRows; ++r) grid->setRowStretch(r, 1);
  for (int c = 0; c < kColumns; ++c) grid->setColumnStretch(c, 1);
  return grid;
}

void put(QGridLayout* grid, QWidget* w, int row, int column, int rowSpan = 1, int columnSpan = 1) {
  w->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  grid->addWidget(w, row, column, rowSpan, columnSpan);
}

// A typed material number is shown as the steppers show one, the map number rule
// included: step onto it from its neighbour.
void showMaterial(int number) {
  if (number > 0) {
    materialStore.currentMaterial = static_cast<std::uint8_t>(number - 1);
    nextMaterial();
  } else {
    materialStore.currentMaterial = 1;
    previousMaterial();
  }
}

}  // namespace

MaterialsDialog::MaterialsDialog(QWidget* parent) : Dialog(parent) {
  setWindowTitle(QString::fromUtf8(kTitle));
  QGridLayout* grid = evenGrid(this);
  auto label = [this, grid](const char* text, int row, int column, int columnSpan) {
    put(grid, new QLabel(QString::fromUtf8(text), this), row, column, 1, columnSpan);
  };
  auto stepper = [this, grid, &label](const char* text, int row, int previous, int edit, int next) {
    label(text, row, 0, 7);
    put(grid, addButton(previous, "<"), row, 7);
    QLineEdit* field = addEdit(edit);
    put(grid, field, row, 8, 1, 3);
    put(grid, addButton(next, ">"), row, 11);
    connect(field, &QLineEdit::editingFinished, this, [this, edit] { editFinished(edit); });
  };
  auto colour = [this, grid, &label](const char* text, int row, int swatch, const int (&ids)[3]) {
    label(text, row, 0, 9);
    put(grid, addSwatch(swatch), row, 9, 2, 3);
    for (int i = 0; i < 3; ++i) put(grid, addTrackbar(ids[i]), row + 1, 3 * i, 1, 3);
  };

  stepper("№ материала", 0, kPreviousMaterial, kMaterialNumber, kNextMaterial);
  colour("диффузные rgb", 1, kDiffuseSwatch, kColourTrackbars[0]);
  colour("амбиентные rgb", 3, kAmbientSwatch, kColourTrackbars[1]);
  colour("спекулярные rgb", 5, kSpecularSwatch, kColourTrackbars[2]);
  label("размер блика", 7, 0, 5);
  put(grid, addTrackbar(kPower), 7, 5, 1, 7);
  label("рельефность", 8, 0, 5);
  put(grid, addTrackbar(kBumpiness), 8, 5, 1, 7);
  stepper("№ карты", 9, kPreviousMap, kMapNumber, kNextMap);
  stepper("TStage1-текстура", 10, kPreviousStageTexture, kStageTexture, kNextStageTexture);
  label("TStage1-тип", 11, 0, 7);
  put(grid, addCombo(kStageTypeList), 11, 7, 1, 5);
  for (const char* type : kStageTypes) addItem(kStageTypeList, type);
  put(grid, addButton(kLoad, "Загрузить"), 12, 0, 1, 4);
  put(grid, addButton(kSave, "Сохранить"), 12, 4, 1, 4);
  put(grid, addButton(kErase, "Стереть"), 12, 8, 1, 3);
  put(grid, addButton(kFold, "/"), 12, 11);

  // Child controls swallow mouse moves; the dialog watches them to take the focus.
  setMouseTracking(true);
  for (QWidget* child : findChildren<QWidget*>()) {
    child->setMouseTracking(true);
    child->installEventFilter(this);
  }

  editorDialog = this;
  materialHooks.refreshEditor = refreshHook;
  materialHooks.redrawSwatches = redrawHook;
  ui::registerCommandTarget(ui::WindowId::materials, this);
  refresh();
  resize(kWidth, kHeight);
}

MaterialsDialog::~MaterialsDialog() {
  // Closing takes the focus from an edit, which would report to a dialog half gone.
  for (int id : {kMaterialNumber, kMapNumber, kStageTexture})
    disconnect(static_cast<QLineEdit*>(control(id)), &QLineEdit::editingFinished, this, nullptr);
  if (editorDialog == this) {
    editorDialog = nullptr;
    materialHooks = {};
  }
  if (ui::commandTarget(ui::WindowId::materials) == this)
    ui::registerCommandTarget(ui::WindowId::materials, nullptr);
}

QSize MaterialsDialog::sizeHint() const { return {kWidth, kHeight}; }

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

// A number typed into an edit is taken when it is one the steppers could reach;
// anything else is refused and the edit shows the stored value again.
void MaterialsDialog::editFinished(int id) {
  bool ok = false;
  const int n = editInt(id, &ok);
  const int m = materialStore.currentMaterial;
  if (id == kMaterialNumber && ok && n >= 0 && n <= kLastMaterial) {
    showMaterial(n);
    return;
  }
  if (id == kMapNumber && ok && n >= kMinMapNumber && n <= kMaxMapNumber)
    materialStore.mapNumber[m] = n;
  else if (id == kStageTexture && ok && n >= 0 && n <= kMaxStageTexture)
    materialStore.stageTexture[m] = static_cast<std::uint8_t>(n);
  refresh();
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
    ui::prompts().message("Не удалось загрузить материал\n" + error, kTitle, ui::MessageButtons::ok,
                          ui::MessageIcon::error);
}

void MaterialsDialog::save() {
  const auto path = ui::prompts().saveFile(kMaterialFilter);
  if (!path) return;
  std::string error;
  if (!saveMaterialFile(*path, &error))
    ui::prompts().message("Не удалось сохранить материал\n" + error, kTitle, ui::MessageButtons::ok,
                          ui::MessageIcon::error);
}

}  // namespace vandrel::materials
