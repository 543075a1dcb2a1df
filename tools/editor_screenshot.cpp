// Opens the editor offscreen, lets it draw a few frames, and writes a picture of
// the frame window:
//   editor_screenshot PACK.vsc OUT.png [FOCUS]       the editor on a pack
//   editor_screenshot --steps N OUT.png [FOCUS]      an empty editor after the first
//                                                    N steps of the README's "Getting started"
// FOCUS is the active-tool code of a tool window to unfold (2 texture editor,
// 3 scenes, 4 modifiers, 6 materials, 8 texture animation).
#include <QApplication>
#include <QPixmap>
#include <QTabBar>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <utility>

#include "editor/materials/materials_dialog.h"
#include "editor/render/render_settings_dialog.h"
#include "editor/scene/clones_dialog.h"
#include "editor/scene/modifiers_dialog.h"
#include "editor/scene/scenes_dialog.h"
#include "editor/shell/editor.h"
#include "editor/shell/frame_window.h"
#include "editor/texedit/texture_editor_dialog.h"
#include "platform/ui/commands.h"
#include "platform/ui/tool_windows.h"
#include "platform/ui/user_actions.h"
#include "render/frame.h"

namespace {

using namespace vandrel;

template <typename DialogType>
DialogType& dialog(ui::WindowId window) {
  auto* d = dynamic_cast<DialogType*>(ui::commandTarget(window));
  if (!d) {
    std::fprintf(stderr, "editor_screenshot: a dialog is missing\n");
    std::exit(1);
  }
  return *d;
}

using ui::choose;
using ui::slide;
using ui::type;

// The steps of "Getting started" in README.md, with the values it gives; keep
// the two in step.
void gettingStarted(int steps) {
  auto& textures = dialog<texedit::TextureEditorDialog>(ui::WindowId::textureEditor);
  auto& scenes = dialog<scene::ScenesDialog>(ui::WindowId::scenes);
  auto& modifiers = dialog<scene::ModifiersDialog>(ui::WindowId::modifiers);
  auto& clones = dialog<scene::ClonesDialog>(ui::WindowId::clones);
  auto& materials = dialog<materials::MaterialsDialog>(ui::WindowId::materials);
  using Materials = materials::MaterialsDialog;
  using texedit::kParameterRows;

  if (steps >= 1) {  // size 256, Plasm on "Генераторы", a circle on "Цвет" placed in the middle
    choose(textures, texedit::kSizeCombo, 3);
    textures.tabBar()->setCurrentIndex(texedit::kTabGenerators);
    choose(textures, texedit::kFunctionList, 4);
    slide(textures, kParameterRows[0].trackbar, 115);
    textures.command(texedit::kOk);
    textures.tabBar()->setCurrentIndex(texedit::kTabColour);
    choose(textures, texedit::kFunctionList, 37);
    slide(textures, kParameterRows[0].trackbar, 128);
    slide(textures, kParameterRows[1].trackbar, 128);
    textures.command(texedit::kOk);
  }
  if (steps >= 2) {  // the sphere becomes the sun; a torus
    choose(scenes, scene::kPrimitiveList, 15);
    type(scenes, scene::kPositionX, "400", scene::kApplyPosition);
    type(scenes, scene::kPositionZ, "500", scene::kApplyPosition);
    scenes.command(scene::kObjectCreate);
    choose(scenes, scene::kPrimitiveList, 13);
    type(scenes, scene::kPositionX, "-250", scene::kApplyPosition);
    type(scenes, scene::kPositionZ, "-800", scene::kApplyPosition);
    scenes.command(scene::kAxisY);  // a thinner tube: a ring with a hole
    slide(scenes, scene::kScaleFine, 24);
  }
  if (steps >= 3) {  // white light from material 0, an orange material 1 on the torus
    for (int trackbar : {Materials::kDiffuseRed, Materials::kDiffuseGreen, Materials::kDiffuseBlue})
      slide(materials, trackbar, 255);
    materials.command(Materials::kNextMaterial);
    for (auto [trackbar, position] : {std::pair{Materials::kDiffuseRed, 255}, {Materials::kDiffuseGreen, 150},
                                      {Materials::kAmbientRed, 90}, {Materials::kAmbientGreen, 40}})
      slide(materials, trackbar, position);
    scenes.command(scene::kMaterialUp);
  }
  if (steps >= 4) {  // a quarter turn about y: the torus faces the camera
    modifiers.command(scene::kModCreate);
    choose(modifiers, scene::kModKind, 12);
    type(modifiers, scene::kModStrengthEdit, "64", scene::kModStrengthApply);
  }
  if (steps >= 5) {  // five more objects, then the ring rule on the torus
    for (int i = 0; i < 5; ++i) scenes.command(scene::kObjectCreate);
    clones.command(scene::kCloneObjectUp);
    choose(clones, scene::kCloneKindList, 1);
    for (int i = 0; i < 5; ++i) clones.command(scene::kCloneCountUp);
    type(clones, scene::kCloneStepEdit, "250", scene::kApplyCloneStep);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const bool steps = argc >= 2 && std::strcmp(argv[1], "--steps") == 0;
  const int first = steps ? 2 : 1;  // PACK.vsc or N
  if (argc != first + 2 && argc != first + 3) {
    std::fprintf(stderr, "usage: editor_screenshot PACK.vsc OUT.png [FOCUS]\n"
                         "       editor_screenshot --steps N OUT.png [FOCUS]\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
  vandrel::shell::EditorOptions options;
  if (!steps) options.pack = argv[first];
  if (!vandrel::shell::startEditor(options)) return 1;
  // Room for the preview and the 3D view side by side, whatever the offscreen screen.
  vandrel::shell::editor.frame->showNormal();  // the editor starts maximised on the small offscreen screen
  vandrel::shell::editor.frame->resize(1280, 860);
  vandrel::render::frameState.clock = nullptr;  // a fixed moment of the animation
  vandrel::render::frameState.clockValue = 6000;
  if (steps) gettingStarted(std::atoi(argv[first]));
  const char* out = argv[first + 1];
  if (argc == first + 3) vandrel::ui::takeFocusOnMouseMove(std::atoi(argv[first + 2]));
  for (int i = 0; i < 5; ++i) vandrel::shell::runOnce();
  const bool saved = vandrel::shell::editor.frame->grab().save(QString::fromLocal8Bit(out));
  vandrel::shell::stopEditor();
  if (!saved) std::fprintf(stderr, "editor_screenshot: cannot write %s\n", out);
  return saved ? 0 : 1;
}
