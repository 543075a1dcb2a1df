#pragma once
// Videos of the 3D view: a range of animation times drawn frame by frame and
// written as VP9 in WebM, H.264 in MP4 or a numbered PNG sequence.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "render/frame.h"

namespace vandrel::exporting {

inline constexpr int kVideoWidth = 640;
inline constexpr int kVideoHeight = 480;
inline constexpr int kMaxVideoRate = 240;            // frames per second
// An hour at 24 frames a second; a longer range is likelier a slip of the keys.
inline constexpr int kMaxVideoFrames = 60 * 60 * 24;

enum class VideoKind { unknown, webm, mp4, pngSequence };

// By the output's name: ".webm", ".mp4", or a ".png" name holding one frame
// number field, %d or %0Nd (N 1..9), such as "shot_%04d.png".
VideoKind videoKindOf(const std::string& path);

// Frame i of a sequence: the number field of the pattern filled with i.
std::string sequenceFramePath(const std::string& pattern, int frame);

// A video plays the animation at the speed the 3D view's clock runs it:
// pi / 1024 of tau a millisecond, about 3.07 a second.
inline constexpr double kTauPerSecond = 1000 * render::kTauPerMillisecond;

// Frame i shows tau = from + i x kTauPerSecond / rate, for i = 0, 1, ... while
// that is at most `to`: `to` itself is the last frame when a frame falls on it.
struct VideoRange {
  double from = 0;
  double to = 0;
  int rate = 30;
};
int videoFrameCount(const VideoRange& range);
// More frames than kMaxVideoFrames: refused rather than cut.
bool videoRangeTooLong(const VideoRange& range);
double videoFrameTime(const VideoRange& range, int frame);

// Opens an output, takes 640 x 480 frames and finishes the file. A video is
// written under a hidden name beside the target and takes its place only when
// finished; so are a sequence's frames, all of them at the end. So a failed or
// abandoned output leaves nothing behind, and the old files of its names whole.
class VideoWriter {
 public:
  VideoWriter();
  ~VideoWriter();
  VideoWriter(const VideoWriter&) = delete;
  VideoWriter& operator=(const VideoWriter&) = delete;

  bool open(const std::string& path, int rate, std::string* error);
  // 0xAARRGGBB pixels, rows 640 apart; alpha is not written.
  bool write(const std::uint32_t* pixels, std::string* error);
  bool finish(std::string* error);

  struct Output;  // a video or a sequence, in video.cpp

 private:
  std::unique_ptr<Output> output_;
};

struct VideoProgress {
  // After each frame written: how many so far, and of how many.
  std::function<void(int written, int total)> frameWritten;
  // Asked after each frame: true abandons the video (false returned, no message),
  // which then leaves nothing behind, as a failed one does.
  std::function<bool()> stop;
};

// Draws the current scene at every time of the range with the view toggles
// given and no texture animation, each frame as a lone frame at its tau would
// be, and writes them to path. The frame state, the device, texture entry 0 and
// the current scene's records are as they were afterwards, and the device's
// present handler sees none of the frames. Returns false with a message on the
// first failure.
bool writeVideo(const std::string& path, const VideoRange& range, const render::ViewToggles& view,
                const VideoProgress& progress, std::string* error);

}  // namespace vandrel::exporting
