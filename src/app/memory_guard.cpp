#include "app/memory_guard.h"

#include <new>
#include <ostream>

namespace vandrel::app {

int runWithinMemory(std::ostream& err, const std::function<int()>& command) {
  try {
    return command();
  } catch (const std::bad_alloc&) {
    err << "vandrel: недостаточно памяти\n";
    return 1;
  }
}

}  // namespace vandrel::app
