#include "platform/os/parallel.h"

#include <atomic>
#include <cstdlib>
#include <thread>

namespace vandrel::os {

namespace {

std::atomic<int> overridden{0};

int fromEnvironment() {
  if (const char* text = std::getenv("VANDREL_THREADS")) {
    const int n = std::atoi(text);
    if (n >= 1) return n;
  }
  const unsigned cores = std::thread::hardware_concurrency();
  return cores ? static_cast<int>(cores) : 1;
}

}  // namespace

int threadCount() {
  static const int machine = fromEnvironment();
  const int n = overridden.load(std::memory_order_relaxed);
  return n >= 1 ? n : machine;
}

void setThreadCount(int threads) { overridden.store(threads, std::memory_order_relaxed); }

}  // namespace vandrel::os
