#pragma once
// Start-up of the editor in its documented order, the main loop, and the windows
// it creates.

#include <memory>
#include <optional>
#include <string>

#include "pack/document.h"

class QMdiSubWindow;
class QWidget;

namespace vandrel::render {
class ViewWindow;
}
namespace vandrel::texedit {
class TextureEditorDialog;
}

namespace vandrel::shell {

class FrameWindow;
class HelpWindow;

struct Editor {
  std::unique_ptr<pack::Document> document;
  FrameWindow* frame = nullptr;
  render::ViewWindow* view = nullptr;
  QWidget* preview = nullptr;
  texedit::TextureEditorDialog* textureEditor = nullptr;
  HelpWindow* help = nullptr;
  QMdiSubWindow* helpWindow = nullptr;
  bool deviceFailed = false;
};

extern Editor editor;

struct EditorOptions {
  std::optional<std::string> pack;       // loaded after start-up, as the load command would
  bool (*createDevice)() = nullptr;      // the device set-up; null: the software device
  // Started from the desktop entry: the start directory is wherever the launcher
  // ran (usually home), so help.txt and the layouts use userConfigFolder() instead.
  bool userConfigFolder = false;
};

// Creates every window and the device and places the windows from layout 1.
// Returns false when the device could not be created (the message was shown).
bool startEditor(const EditorOptions& options = {});
// Renders one frame unless a camera fly runs its own loop.
void idleFrame();
// Processes waiting events, then renders a frame; false once quitting was chosen.
// For callers that drive the frames themselves (tests, benchmarks, tools).
bool runOnce();
// The main loop until quitting was chosen: events as they come, and an idle frame
// whenever the display can show one (a timer at the screen's refresh rate), so an
// idle editor sleeps between frames instead of drawing flat out.
void runMainLoop();
// Qt's own texts (message box buttons, the file and colour dialogs) in Russian,
// from Qt's translations folder; false when they are not installed there.
bool loadQtTranslations();
// Closes every window and releases the device and the undo folder's hooks.
void stopEditor();

// The whole program: start-up, the loop until the frame window closes, clean-up.
int runEditor(int argc, char** argv, const EditorOptions& options);

}  // namespace vandrel::shell
