#pragma once
// Loops whose parts are independent, spread over the machine's cores. Each part
// writes only its own pixels and computes them exactly as one thread would, so
// the result is the same bits with any number of threads.

#include <algorithm>
#include <cstddef>

namespace vandrel::os {

// VANDREL_THREADS when it is 1 or more, else every core of the machine.
int threadCount();
// Overrides the count for this process (tests compare one thread with several);
// 0 goes back to the default.
void setThreadCount(int threads);

// Calls body(begin, end) on disjoint parts of [0, count) that together cover it,
// each starting at a multiple of grain, on up to threadCount() threads at once.
template <typename Body>
void parallelChunks(std::size_t count, std::size_t grain, const Body& body) {
  const int threads = threadCount();
  const std::size_t units = grain ? (count + grain - 1) / grain : 0;
  if (threads <= 1 || units < 2) {
    body(std::size_t{0}, count);
    return;
  }
  const long long parts = std::min<long long>(threads, static_cast<long long>(units));
#ifdef _OPENMP
#pragma omp parallel for num_threads(threads) schedule(static)
#endif
  for (long long p = 0; p < parts; ++p) {
    const std::size_t begin = units * static_cast<std::size_t>(p) / static_cast<std::size_t>(parts) * grain;
    const std::size_t end =
        std::min(count, units * static_cast<std::size_t>(p + 1) / static_cast<std::size_t>(parts) * grain);
    body(begin, end);
  }
}

}  // namespace vandrel::os
