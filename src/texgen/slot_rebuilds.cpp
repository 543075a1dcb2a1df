#include "texgen/slot_rebuilds.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/os/parallel.h"
#include "texgen/dispatcher.h"
#include "texgen/limits.h"
#include "texgen/texture_store.h"

namespace vandrel::texgen {

namespace {

using Block = std::unique_ptr<Pixel[], FreeDeleter>;

// calloc hands out untouched pages: a workspace sized for the largest slot costs
// only what the slots it rebuilds use.
Block allocate(std::size_t pixels) { return Block(static_cast<Pixel*>(std::calloc(pixels, sizeof(Pixel)))); }

// What selecting a slot will replay. All of it is known before the walk starts: a
// selection writes only the table entry of the slot it leaves, whose own selection
// is over (or which is the slot current at the start, already written back).
struct Job {
  int slot;
  int edge;
  int count;
  const TextureOp* log;
  bool onStore;  // replayed by selectSlot itself on the calling thread
};

void walkInTurn(int first, int last, const SlotWalk& walk) {
  for (int n = first; n <= last; ++n) {
    if (walk.beforeEach) walk.beforeEach(n);
    if (textureStore.slots[n].entryCount <= 1) continue;
    selectSlot(n);
    if (walk.afterSelect) walk.afterSelect(n);
  }
}

// Layer blocks and scratch images, one for each rebuild running at the same time;
// a rebuild takes one and gives it back.
class Workspaces {
 public:
  explicit Workspaces(std::size_t layerPixels) : layerPixels_(layerPixels) {}

  struct Pair {
    Block layers, scratch;
  };

  // Empty blocks when memory is short.
  Pair take() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      if (!free_.empty()) {
        Pair p = std::move(free_.back());
        free_.pop_back();
        return p;
      }
    }
    return Pair{allocate(layerPixels_), allocate(kScratchBytes / sizeof(Pixel))};
  }

  void give(Pair p) {
    const std::lock_guard<std::mutex> lock(mutex_);
    free_.push_back(std::move(p));
  }

 private:
  const std::size_t layerPixels_;
  std::mutex mutex_;
  std::vector<Pair> free_;
};

// The final image of a job, or null when memory ran short (the walk then replays
// the slot on the store).
Block rebuild(const Job& job, Workspaces& workspaces) {
  Workspaces::Pair pair = workspaces.take();
  Block image;
  if (pair.layers && pair.scratch) {
    const Workspace w{pair.layers.get(), pair.scratch.get(), job.edge};
    try {
      const Pixel* result = replayLog(job.log, job.count, w);
      image.reset(static_cast<Pixel*>(std::malloc(w.pixels() * sizeof(Pixel))));
      if (image) std::memcpy(image.get(), result, w.pixels() * sizeof(Pixel));
    } catch (...) {  // only allocations throw there
      image.reset();
    }
  }
  workspaces.give(std::move(pair));
  return image;
}

// The slots are rebuilt in waves of a few per thread; between waves the slots of
// the wave are selected in order with their images. The frames drawn then have
// every core to themselves, and so does the next wave. Within a wave each thread
// takes the next slot as it finishes one, so a thread slowed by other work on the
// machine holds the wave up by one slot at most.
void walkInWaves(int first, int last, const SlotWalk& walk, const std::vector<Job>& jobs, int threads) {
  std::size_t pixels = 0;
  for (const Job& job : jobs)
    if (!job.onStore) pixels = std::max(pixels, static_cast<std::size_t>(job.count + 1) * job.edge * job.edge);
  Workspaces workspaces(pixels);
  const std::size_t wave = 8 * static_cast<std::size_t>(threads);
  std::vector<Block> images(wave);

  std::size_t j = 0;     // the next job to select
  std::size_t base = 0;  // the first job of the current wave
  std::size_t end = 0;   // one past its last
  for (int n = first; n <= last; ++n) {
    if (walk.beforeEach) walk.beforeEach(n);
    if (j >= jobs.size() || jobs[j].slot != n) continue;
    if (j == end) {
      base = j;
      end = std::min(jobs.size(), j + wave);
      std::atomic<std::size_t> next{0};
      const std::size_t size = end - base;
      os::parallelChunks(std::min(size, static_cast<std::size_t>(threads)), 1, [&](std::size_t, std::size_t) {
        for (std::size_t k; (k = next.fetch_add(1)) < size;)
          if (!jobs[base + k].onStore) images[k] = rebuild(jobs[base + k], workspaces);
      });
    }
    Block& image = images[j - base];
    if (image)
      selectRebuiltSlot(n, image.get());
    else  // the last slot, or one whose rebuild ran short of memory
      selectSlot(n);
    image.reset();
    ++j;
    if (walk.afterSelect) walk.afterSelect(n);
  }
}

}  // namespace

void selectSlotsInTurn(int first, int last, const SlotWalk& walk) {
  TextureStore& s = textureStore;
  first = std::max(first, 1);
  last = std::min(last, kSlotCount);
  // The current slot's live count and edge are what its selection would use.
  currentSlot().entryCount = s.entryCount;
  currentSlot().edgeSize = s.edgeSize;

  std::vector<Job> jobs;
  int offStore = 0;
  for (int n = first; n <= last; ++n) {
    const TextureSlot& slot = s.slots[n];
    if (slot.entryCount <= 1) continue;
    const bool knownEdge = edgeSizeIndex(slot.edgeSize) >= 0;
    const int count = knownEdge ? std::min(slot.entryCount, maxEntryCount(slot.edgeSize)) : 0;
    jobs.push_back(Job{n, slot.edgeSize, count, slot.log, !knownEdge});
    offStore += knownEdge;
  }
  // The last slot stays current: it gets every layer, as selectSlot leaves them.
  if (!jobs.empty() && !jobs.back().onStore) {
    jobs.back().onStore = true;
    --offStore;
  }
  const int threads = std::min(os::threadCount(), offStore);
  if (threads >= 2)
    walkInWaves(first, last, walk, jobs, threads);
  else
    walkInTurn(first, last, walk);
}

}  // namespace vandrel::texgen
