#include "platform/ui/commands.h"

namespace vandrel::ui {

namespace {
CommandTarget* targets[static_cast<int>(WindowId::count)] = {};
}

void registerCommandTarget(WindowId window, CommandTarget* target) {
  targets[static_cast<int>(window)] = target;
}

CommandTarget* commandTarget(WindowId window) { return targets[static_cast<int>(window)]; }

void sendCommand(WindowId window, int id) {
  if (CommandTarget* target = commandTarget(window)) target->command(id);
}

}  // namespace vandrel::ui
