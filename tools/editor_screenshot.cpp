// Opens the editor offscreen on a pack, lets it draw a few frames, and writes a
// picture of the frame window: editor_screenshot PACK.vsc OUT.png [FOCUS]
// FOCUS is the active-tool code of a tool window to unfold (2 texture editor,
// 3 scenes, 4 modifiers, 6 materials, 8 texture animation).
#include <QApplication>
#include <QPixmap>

#include <cstdio>
#include <cstdlib>

#include "platform/ui/tool_windows.h"
#include "render/frame.h"
#include "editor/shell/editor.h"
#include "editor/shell/frame_window.h"

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: editor_screenshot PACK.vsc OUT.png [FOCUS]\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
  vandrel::shell::EditorOptions options;
  options.pack = argv[1];
  if (!vandrel::shell::startEditor(options)) return 1;
  // Room for the preview and the 3D view side by side, whatever the offscreen screen.
  vandrel::shell::editor.frame->showNormal();  // the editor starts maximised on the small offscreen screen
  vandrel::shell::editor.frame->resize(1280, 860);
  vandrel::render::frameState.clock = nullptr;  // a fixed moment of the animation
  vandrel::render::frameState.clockValue = 6000;
  if (argc == 4) vandrel::ui::takeFocusOnMouseMove(std::atoi(argv[3]));
  for (int i = 0; i < 5; ++i) vandrel::shell::runOnce();
  const bool saved = vandrel::shell::editor.frame->grab().save(QString::fromLocal8Bit(argv[2]));
  vandrel::shell::stopEditor();
  if (!saved) std::fprintf(stderr, "editor_screenshot: cannot write %s\n", argv[2]);
  return saved ? 0 : 1;
}
