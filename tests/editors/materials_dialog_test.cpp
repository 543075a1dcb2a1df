#include "editor/materials/materials_dialog.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "dialog_fixture.h"
#include "platform/os/status_line.h"
#include "materials/materials.h"
#include "pack/document.h"
#include "platform/ui/prompts.h"
#include "platform/ui/tool_windows.h"

namespace vandrel::materials {
namespace {

using D = MaterialsDialog;
constexpr int kTrackbars[] = {D::kDiffuseRed,   D::kDiffuseGreen,  D::kDiffuseBlue, D::kAmbientRed,
                              D::kAmbientGreen, D::kAmbientBlue,   D::kSpecularRed, D::kSpecularGreen,
                              D::kSpecularBlue, D::kPower,         D::kBumpiness};

// Also remembers the colour each chooser started from.
struct Prompts : ui::TestPrompts {
  std::vector<std::uint32_t> initial;
  std::optional<std::uint32_t> chooseColour(std::uint32_t start) override {
    initial.push_back(start);
    return TestPrompts::chooseColour(start);
  }
};

class MaterialsDialogTest : public test::DialogTest<MaterialsDialog, Prompts> {
 protected:
  std::string edits() {
    return dialog->text(D::kMaterialNumber) + "," + dialog->text(D::kMapNumber) + "," +
           dialog->text(D::kStageTexture);
  }
  Material& current() { return currentMaterialRecord(); }
};

TEST_F(MaterialsDialogTest, ShowsChangesMadeElsewhereOnRefreshAndMouseMoves) {
  EXPECT_EQ(dialog->itemText(D::kStageTypeList, 0) + dialog->itemText(D::kStageTypeList, 3), "нетmod");
  EXPECT_EQ(edits(), "0,1,0");
  // The 3D view and the scenes dialog switch materials through the hook alone.
  materialStore.currentMaterial = 9;
  materialStore.materials[9].Ambient = {0.5f, 0.25f, 0.0f, 1.0f};
  materialStore.stageType[9] = kStageSub;
  materialHooks.refreshEditor();
  EXPECT_EQ(edits(), "9,1,0");
  EXPECT_EQ(dialog->trackbarPos(D::kAmbientGreen), 16);
  EXPECT_EQ(dialog->selection(D::kStageTypeList), 2);
  EXPECT_EQ(swatchShows(D::kAmbientSwatch), 0x804000u);
  QTest::keyClick(dialog->control(D::kStageTypeList), Qt::Key_Down);
  EXPECT_EQ(materialStore.stageType[9], kStageMod);

  // A colour changed behind the dialog's back shows when the mouse moves over it.
  ui::registerToolWindow({dialog.get(), dialog.get(), ui::kFocusMaterials, ui::kSlotMaterials, true, false});
  materialStore.materials[9].Diffuse = {0.0f, 1.0f, 0.0f, 1.0f};
  QWidget* over = dialog->control(D::kPower);
  QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), over->mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(over, &move);
  EXPECT_EQ(swatchShows(D::kDiffuseSwatch), 0x00FF00u);
  EXPECT_EQ(ui::shellFlags.activeToolCode, ui::kFocusMaterials);
  click(D::kFold);
  EXPECT_TRUE(ui::toolWindowWithCode(ui::kFocusMaterials)->foldFlag);
}

TEST_F(MaterialsDialogTest, AnyTrackbarStoresThemAllIntoTheirOwnFields) {
  for (int i = 0; i < 11; ++i) dialog->setTrackbarPos(kTrackbars[i], 10 + i);
  dialog->setTrackbarPos(D::kSpecularGreen, 255);
  QTest::keyClick(dialog->control(D::kBumpiness), Qt::Key_Right);  // the user's move: 20 -> 21
  const Material& m = current();
  EXPECT_EQ(m.Diffuse.b, 12 / 64.0f);
  EXPECT_EQ(m.Ambient.r, 13 / 64.0f);
  EXPECT_EQ(m.Specular.r, 16 / 64.0f);
  EXPECT_EQ(m.Specular.g, 3.984375f);
  EXPECT_EQ(m.Power, 19.0f);  // taken as it is
  EXPECT_EQ(materialStore.bumpiness[0], 21);
  EXPECT_EQ(swatchShows(D::kSpecularSwatch), 0x40FF48u);  // 16 x 4, capped at 255, 18 x 4
}

TEST_F(MaterialsDialogTest, ChooserStartsFromTheSwatchAndStoresBytesOver256) {
  dialog->setTrackbarPos(D::kDiffuseRed, 64);  // 1.0 starts the chooser at 255, not 256
  QTest::keyClick(dialog->control(D::kDiffuseGreen), Qt::Key_Right);
  prompts.colours = {0xFF0000u, std::nullopt, 0x0000FFu};
  click(D::kDiffuseSwatch);
  click(D::kAmbientSwatch);  // cancelled
  click(D::kSpecularSwatch);
  EXPECT_EQ(prompts.initial, (std::vector<std::uint32_t>{0xFF0400u, 0, 0}));
  EXPECT_EQ(current().Diffuse.r + current().Diffuse.g, 255 / 256.0f);
  EXPECT_EQ(current().Specular.b, 255 / 256.0f);
  EXPECT_EQ(dialog->trackbarPos(D::kDiffuseRed) + dialog->trackbarPos(D::kSpecularBlue), 63 + 63);
  EXPECT_EQ(swatchShows(D::kDiffuseSwatch), 0xFF0000u);
  EXPECT_EQ(swatchShows(D::kAmbientSwatch), 0u);
}

TEST_F(MaterialsDialogTest, EraseStoresSixtyFourSoTrackbarsStandAtMaxAndSwatchesWhite) {
  current().Diffuse.a = 0.25f;
  materialStore.mapNumber[0] = 7;
  click(D::kErase);
  EXPECT_EQ(current().Diffuse.a, 0.25f);
  for (int id : kTrackbars)
    EXPECT_EQ(dialog->trackbarPos(id), id == D::kPower ? 64 : id == D::kBumpiness ? 0 : 255) << id;
  EXPECT_EQ(edits(), "0,1,0");
  for (int id : {D::kDiffuseSwatch, D::kAmbientSwatch, D::kSpecularSwatch}) EXPECT_EQ(swatchShows(id), 0xFFFFFFu);
}

TEST_F(MaterialsDialogTest, TypedNumbersReachTheMaterialAndRefusedOnesShowTheStoredValue) {
  std::string told;
  os::statusLine = [&told](const std::string& text) { told = text; };
  type(D::kMapNumber, "abc");
  EXPECT_EQ(told, "№ карты: число от 1 до 254");
  type(D::kStageTexture, "254");
  type(D::kMaterialNumber, "256");
  EXPECT_EQ(told, "№ материала: число от 0 до 255");
  os::statusLine = nullptr;
  EXPECT_EQ(edits(), "0,1,254");
  type(D::kMaterialNumber, "255");
  EXPECT_EQ(edits(), "255,1,0");  // material 255 gets its map number when it is shown
}

TEST_F(MaterialsDialogTest, FilesGoThroughTheChoosersAndFailuresChangeNothing) {
  current().Diffuse = {0.5f, 0.5f, 0.5f, 1.0f};
  std::filesystem::create_directory(path("taken.vmt"));
  prompts.files = {path("half"), path("half.vmt"), path("missing.vmt"), path("taken.vmt")};
  click(D::kSave);
  EXPECT_EQ(slurp(path("half.vmt")).substr(0, 9), "32,32,32,");
  click(D::kNextMaterial);
  click(D::kLoad);
  EXPECT_EQ(current().Diffuse.g, 0.5f);
  EXPECT_EQ(swatchShows(D::kDiffuseSwatch), 0x808080u);
  EXPECT_EQ(prompts.asked[0].text + prompts.asked[0].caption + prompts.asked[1].caption,
            "Vandrel single material*.vmt*.vmt");

  // A missing file, and a name taken by a folder, whose write goes through a
  // temporary file that must not be left behind.
  click(D::kLoad);
  click(D::kSave);
  ASSERT_EQ(prompts.asked.size(), 6u);
  EXPECT_NE(prompts.asked[3].text.find(path("missing.vmt")), std::string::npos);
  EXPECT_NE(prompts.asked[5].text.find(path("taken.vmt")), std::string::npos);
  EXPECT_EQ(current().Diffuse.g, 0.5f);
  const auto entries = std::distance(std::filesystem::directory_iterator(dir_), {});
  EXPECT_EQ(entries, 2);  // half.vmt and the folder
}

TEST_F(MaterialsDialogTest, ClosingWithAnEditInFocusLeavesTheMaterialAlone) {
  QApplication::setActiveWindow(dialog.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
  dialog->control(D::kMapNumber)->setFocus();
  QTest::keyClicks(dialog->control(D::kMapNumber), "5");
  dialog.reset();  // the edit loses the focus while the dialog is half destroyed
  EXPECT_EQ(materialStore.mapNumber[0], 1);
}

}  // namespace
}  // namespace vandrel::materials
