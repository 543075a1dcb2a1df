#pragma once
// A one-line notice for the user: why a typed value was refused, what a step
// loaded, what a file left out. The editor shows it in its status bar; without
// a window behind the hook (the headless commands) nothing is shown.

#include <string>

#include "platform/os/hook.h"

namespace vandrel::os {

extern Hook<void(const std::string& text)> statusLine;

// Calls the hook when one is set.
void tellStatus(const std::string& text);

}  // namespace vandrel::os
