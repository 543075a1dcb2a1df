// A scene made with the dialogs alone, saved as a pack, draws on the command line
// exactly as the 3D view showed it.
#include <QImage>

#include <cstdlib>

#include "platform/ui/user_actions.h"
#include "materials/materials.h"
#include "editor/materials/materials_dialog.h"
#include "render/frame.h"
#include "editor/render/render_settings_dialog.h"
#include "editor/scene/clones_dialog.h"
#include "editor/scene/modifiers_dialog.h"
#include "scene/scene_store.h"
#include "editor/scene/scenes_dialog.h"
#include "shell/editor_fixture.h"
#include "editor/texedit/texture_editor_dialog.h"

namespace vandrel::shell::test {
namespace {

template <typename DialogType>
DialogType& dialog(ui::WindowId window) {
  auto* d = dynamic_cast<DialogType*>(ui::commandTarget(window));
  EXPECT_NE(d, nullptr);
  return *d;
}

using ui::choose;
using ui::slide;
using ui::type;

TEST_F(EditorTest, ASceneBuiltWithTheDialogsDrawsTheSameAfterSaving) {
  ASSERT_TRUE(start());
  auto& textures = dialog<texedit::TextureEditorDialog>(ui::WindowId::textureEditor);
  auto& scenes = dialog<scene::ScenesDialog>(ui::WindowId::scenes);
  auto& modifiers = dialog<scene::ModifiersDialog>(ui::WindowId::modifiers);
  auto& clones = dialog<scene::ClonesDialog>(ui::WindowId::clones);
  auto& materials = dialog<materials::MaterialsDialog>(ui::WindowId::materials);
  auto& settings = dialog<render::RenderSettingsDialog>(ui::WindowId::renderSettings);

  // Texture 1: a plasma, then circles over it.
  for (int code : {4, 37}) {
    choose(textures, texedit::kFunctionList, code);
    textures.command(texedit::kOk);
  }
  // Material 1: orange, lit.
  materials.command(materials::MaterialsDialog::kNextMaterial);
  for (auto [trackbar, position] : {std::pair{materials::MaterialsDialog::kDiffuseRed, 64},
                                    {materials::MaterialsDialog::kDiffuseGreen, 40},
                                    {materials::MaterialsDialog::kAmbientRed, 30}})
    slide(materials, trackbar, position);
  // The start-up sphere (around the eye) becomes a sun; then a torus with texture
  // 1 and material 1, twisted, and five more objects for its ring of clones.
  choose(scenes, scene::kPrimitiveList, 15);
  type(scenes, scene::kPositionX, "400", scene::kApplyPosition);
  type(scenes, scene::kPositionZ, "500", scene::kApplyPosition);
  scenes.command(scene::kObjectCreate);
  choose(scenes, scene::kPrimitiveList, 13);
  type(scenes, scene::kPositionZ, "-600", scene::kApplyPosition);
  scenes.command(scene::kMaterialUp);
  modifiers.command(scene::kModCreate);
  choose(modifiers, scene::kModKind, 3);
  clones.command(scene::kCloneObjectUp);
  choose(clones, scene::kCloneKindList, 0);
  for (int i = 0; i < 5; ++i) clones.command(scene::kCloneCountUp);
  type(clones, scene::kCloneStepEdit, "90", scene::kApplyCloneStep);
  for (int i = 0; i < 5; ++i) scenes.command(scene::kObjectCreate);
  scenes.command(scene::kObjectFirst);  // no modifier marker: the saved pack starts there too
  // Blue fog.
  for (auto [trackbar, position] : {std::pair{render::RenderSettingsDialog::kFogBlue, 200},
                                    {render::RenderSettingsDialog::kFogStart, 100}})
    slide(settings, trackbar, position);
  ASSERT_EQ(scene::currentSceneRecord().objectCount, 7);
  ASSERT_EQ(scene::modifierList(0, 1).count, 1);

  render::frameState.view.animationFrozen = 1;
  idleFrame();
  const QImage shown = editor.view->image();
  prompts.files = {path("built.vsc")};
  editor.frame->command(kSavePackAs);
  const std::string command = std::string(VANDREL_BINARY) + " render " + path("built.vsc") + " -o " +
                              path("built.png");
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(QImage(QString::fromStdString(path("built.png"))).convertToFormat(QImage::Format_RGB32), shown);
  // The clones and the texture really are in the picture, not only the background.
  EXPECT_GT(shown.convertToFormat(QImage::Format_Indexed8).colorCount(), 64);
}

}  // namespace
}  // namespace vandrel::shell::test
