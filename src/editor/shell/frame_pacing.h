#pragma once
// How many cores an idle frame of the 3D view gets. Sharing a frame among the
// cores costs about a third more processor time than drawing it on one, so an
// idle editor draws on one core while that keeps at least every second refresh
// of the display (a frame that misses a refresh waits for the next, as with a
// present that waits for it), and shares the frames out only once a scene needs
// more.

namespace vandrel::shell {

class FramePacing {
 public:
  // intervalMs: the display's refresh interval; threads: the cores loops may use.
  FramePacing(double intervalMs, int threads) : interval_(intervalMs), threads_(threads) {}

  bool shareNextFrame() const { return threads_ > 1 && shared_ && !trial_; }

  // How long the frame just drawn took. One core draws until several frames in a
  // row take longer than two intervals; then the frames are shared, and now and
  // then one is drawn on one core again to see whether the scene got lighter.
  void frameTook(double milliseconds);

 private:
  double interval_;
  int threads_;
  bool shared_ = false;
  bool trial_ = false;
  int frames_ = 0;  // slow frames in a row on one core, or shared frames since the last trial
};

}  // namespace vandrel::shell
