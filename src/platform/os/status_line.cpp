#include "platform/os/status_line.h"

namespace vandrel::os {

Hook<void(const std::string& text)> statusLine;

void tellStatus(const std::string& text) {
  if (statusLine) statusLine(text);
}

}  // namespace vandrel::os
