#include "platform/os/parallel.h"

#include <atomic>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

#if defined(VANDREL_USE_TBB)
#include <tbb/global_control.h>
#endif

namespace vandrel::os {

namespace {

std::atomic<int> overridden{0};
std::atomic<int> oneThreadScopes{0};

int fromEnvironment() {
  if (const char* text = std::getenv("VANDREL_THREADS")) {
    const int n = std::atoi(text);
    if (n >= 1) return n;
  }
  const unsigned cores = std::thread::hardware_concurrency();
  return cores ? static_cast<int>(cores) : 1;
}

int machineCount() {
  static const int machine = fromEnvironment();
  return machine;
}

#if defined(VANDREL_USE_TBB)
// The scheduler's own limit follows the count, so loops started by loops stay
// within it too.
std::unique_ptr<tbb::global_control>& limit() {
  static std::unique_ptr<tbb::global_control> control;
  return control;
}

void applyLimit(int threads) {
  limit() = std::make_unique<tbb::global_control>(
      tbb::global_control::max_allowed_parallelism, static_cast<std::size_t>(threads));
}
#else
void applyLimit(int) {}
#endif

}  // namespace

int threadCount() {
  static std::once_flag applied;
  std::call_once(applied, [] {
    if (overridden.load() == 0) applyLimit(machineCount());
  });
  if (oneThreadScopes.load(std::memory_order_relaxed) > 0) return 1;
  const int n = overridden.load(std::memory_order_relaxed);
  return n >= 1 ? n : machineCount();
}

OneThreadScope::OneThreadScope() { oneThreadScopes.fetch_add(1, std::memory_order_relaxed); }

OneThreadScope::~OneThreadScope() { oneThreadScopes.fetch_sub(1, std::memory_order_relaxed); }

void setThreadCount(int threads) {
  overridden.store(threads, std::memory_order_relaxed);
  applyLimit(threads >= 1 ? threads : machineCount());
}

}  // namespace vandrel::os
