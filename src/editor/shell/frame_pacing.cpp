#include "editor/shell/frame_pacing.h"

namespace vandrel::shell {

namespace {
constexpr int kSlowFramesToShare = 8;  // in a row: one slow frame decides nothing
constexpr int kTrialEvery = 120;       // shared frames between two one-core trials
constexpr int kRefreshesPerFrame = 2;  // one core must keep at least half the display's rate
}  // namespace

void FramePacing::frameTook(double milliseconds) {
  if (threads_ <= 1) return;
  const bool slow = milliseconds > kRefreshesPerFrame * interval_;
  if (trial_) {
    trial_ = false;
    shared_ = slow;
    frames_ = 0;
  } else if (shared_) {
    trial_ = ++frames_ >= kTrialEvery;
  } else {
    frames_ = slow ? frames_ + 1 : 0;
    if (frames_ >= kSlowFramesToShare) {
      shared_ = true;
      frames_ = 0;
    }
  }
}

}  // namespace vandrel::shell
