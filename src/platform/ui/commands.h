#pragma once
// Commands between windows: "send the command 32775 to the frame window" is a
// direct, synchronous call of that window's command handler. A window that does
// not exist (yet) ignores what is sent to it.

namespace vandrel::ui {

class CommandTarget {
 public:
  virtual ~CommandTarget() = default;
  virtual void command(int id) = 0;
};

enum class WindowId {
  frame,
  view,
  preview,
  textureEditor,
  textureAnimation,
  materials,
  scenes,
  modifiers,
  renderSettings,
  clones,
  help,
  count
};

void registerCommandTarget(WindowId window, CommandTarget* target);  // null unregisters
CommandTarget* commandTarget(WindowId window);
void sendCommand(WindowId window, int id);

}  // namespace vandrel::ui
