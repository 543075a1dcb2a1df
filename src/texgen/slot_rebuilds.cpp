#include "texgen/slot_rebuilds.h"

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
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

// The walk with helpers: threads - 1 threads of its own replay the slots ahead,
// each taking the next slot as it finishes one, while the calling thread selects
// the slots in order as their images come in (drawing the frames meanwhile) and
// replays slots itself while it waits. At most `window_` images wait to be
// selected, so memory stays a few images whatever the pack holds. The helpers are
// plain threads: an operation inside a replay may share its own rows out through
// parallelChunks whatever runs those.
class Rebuilds {
 public:
  Rebuilds(const std::vector<Job>& jobs, int threads)
      : jobs_(jobs),
        images_(jobs.size()),
        done_(jobs.size(), 0),
        window_(8 * static_cast<std::size_t>(threads)),
        workspaces_(largestBlock(jobs)) {}

  void walk(int first, int last, const SlotWalk& walk, int threads) {
    std::vector<std::thread> helpers;
    try {
      for (int t = 1; t < threads; ++t) helpers.emplace_back([this] { help(); });
    } catch (const std::system_error&) {
      // Fewer helpers, or none: this thread replays what they do not.
    }
    try {
      selectInOrder(first, last, walk);
    } catch (...) {
      finish(helpers);
      throw;
    }
    finish(helpers);
  }

 private:
  static std::size_t largestBlock(const std::vector<Job>& jobs) {
    std::size_t pixels = 0;
    for (const Job& job : jobs)
      if (!job.onStore) pixels = std::max(pixels, static_cast<std::size_t>(job.count + 1) * job.edge * job.edge);
    return pixels;
  }

  void finish(std::vector<std::thread>& helpers) {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    for (std::thread& t : helpers) t.join();
  }

  // The next job not replayed on the store, when it is inside the window. Called
  // with the lock held.
  bool claim(std::size_t& k) {
    while (next_ < jobs_.size() && jobs_[next_].onStore) ++next_;
    if (next_ >= jobs_.size() || next_ >= selected_ + window_) return false;
    k = next_++;
    return true;
  }

  // Replays job k with the lock released, then hands its image over.
  void replay(std::size_t k, std::unique_lock<std::mutex>& lock) {
    lock.unlock();
    Block image = rebuild(jobs_[k], workspaces_);
    lock.lock();
    images_[k] = std::move(image);
    done_[k] = 1;
    changed_.notify_all();
  }

  void help() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stop_) {
      std::size_t k;
      if (claim(k))
        replay(k, lock);
      else if (next_ >= jobs_.size())
        return;
      else
        changed_.wait(lock);
    }
  }

  // Job j's image (null for a job replayed on the store, or one that ran short of
  // memory), replaying jobs ahead while a helper finishes it.
  Block take(std::size_t j) {
    if (jobs_[j].onStore) return nullptr;
    std::unique_lock<std::mutex> lock(mutex_);
    while (!done_[j]) {
      std::size_t k;
      if (claim(k))
        replay(k, lock);
      else
        changed_.wait(lock);
    }
    return std::move(images_[j]);
  }

  void selectInOrder(int first, int last, const SlotWalk& walk) {
    std::size_t j = 0;
    for (int n = first; n <= last; ++n) {
      if (walk.beforeEach) walk.beforeEach(n);
      if (j >= jobs_.size() || jobs_[j].slot != n) continue;
      Block image = take(j);
      if (image)
        selectRebuiltSlot(n, image.get());
      else  // the last slot, or one whose rebuild ran short of memory
        selectSlot(n);
      image.reset();
      {
        const std::lock_guard<std::mutex> lock(mutex_);
        selected_ = ++j;
      }
      changed_.notify_all();
      if (walk.afterSelect) walk.afterSelect(n);
    }
  }

  const std::vector<Job>& jobs_;
  std::vector<Block> images_;
  std::vector<char> done_;
  const std::size_t window_;
  Workspaces workspaces_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::size_t next_ = 0;      // the next job to claim
  std::size_t selected_ = 0;  // jobs selected so far
  bool stop_ = false;
};

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
    Rebuilds(jobs, threads).walk(first, last, walk, threads);
  else
    walkInTurn(first, last, walk);
}

}  // namespace vandrel::texgen
