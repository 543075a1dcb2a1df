#pragma once
// Loops whose parts are independent, spread over the machine's cores. Each part
// writes only its own pixels and computes them exactly as one thread would, so
// the result is the same bits with any number of threads.
//
// oneTBB runs them where it is available: its caller works through the parts
// itself and never waits for a thread that has not started, so a machine that
// is busy with other work is no slower than one thread. The OpenMP form is for
// the ThreadSanitizer build, whose runtime reports its barriers to the sanitizer.

#include <algorithm>
#include <cstddef>

#if defined(VANDREL_USE_TBB)
#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>
#endif

namespace vandrel::os {

// VANDREL_THREADS when it is 1 or more, else every core of the machine.
int threadCount();
// Overrides the count for this process (tests compare one thread with several);
// 0 goes back to the default. Call it while no parallel loop runs.
void setThreadCount(int threads);

// While one exists, every loop runs on the calling thread alone, with the same
// result: for work that one core finishes in time, sharing it would only spend
// more processor time on handing parts out.
class OneThreadScope {
 public:
  OneThreadScope();
  ~OneThreadScope();
  OneThreadScope(const OneThreadScope&) = delete;
  OneThreadScope& operator=(const OneThreadScope&) = delete;
};

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
#if defined(VANDREL_USE_TBB)
  tbb::parallel_for(tbb::blocked_range<std::size_t>(0, units), [&](const auto& r) {
    body(r.begin() * grain, std::min(count, r.end() * grain));
  });
#else
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
#endif
}

// Calls body(index) once for every index of [0, count), up to threadCount() at
// once; a thread that finishes early takes the next index, so uneven tasks
// still keep every core busy.
template <typename Body>
void parallelTasks(int count, const Body& body) {
  const int threads = threadCount();
  if (threads <= 1 || count < 2) {
    for (int i = 0; i < count; ++i) body(i);
    return;
  }
#if defined(VANDREL_USE_TBB)
  tbb::parallel_for(
      tbb::blocked_range<int>(0, count, 1),
      [&](const tbb::blocked_range<int>& r) {
        for (int i = r.begin(); i < r.end(); ++i) body(i);
      },
      tbb::simple_partitioner());
#else
#ifdef _OPENMP
#pragma omp parallel for num_threads(std::min(threads, count)) schedule(dynamic, 1)
#endif
  for (int i = 0; i < count; ++i) body(i);
#endif
}

}  // namespace vandrel::os
