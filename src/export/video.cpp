#include "export/video.h"

#include <sys/stat.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "geometry/mesh_state.h"
#include "platform/os/files.h"
#include "platform/os/image_output.h"
#include "render/device_setup.h"
#include "scene/scene_store.h"

namespace vandrel::exporting {

struct VideoWriter::Output {
  virtual ~Output() = default;
  virtual bool write(const std::uint32_t* pixels, std::string* error) = 0;
  virtual bool finish(std::string* error) = 0;
};

namespace {

using Output = VideoWriter::Output;
namespace fs = std::filesystem;

// A sequence's name around its frame number field.
struct FramePattern {
  std::string before, after;
  int width = 0;  // digits, zero-padded; 0 = as many as the number has
};

std::optional<FramePattern> framePattern(const std::string& path) {
  if (!path.ends_with(".png")) return std::nullopt;
  const std::size_t percent = path.find('%');
  if (percent == std::string::npos || path.find('%', percent + 1) != std::string::npos) return std::nullopt;
  std::size_t k = percent + 1;
  FramePattern p;
  if (k < path.size() && path[k] == '0') {
    ++k;
    if (k >= path.size() || path[k] < '1' || path[k] > '9') return std::nullopt;
    p.width = path[k++] - '0';
  }
  if (k >= path.size() || path[k] != 'd') return std::nullopt;
  p.before = path.substr(0, percent);
  p.after = path.substr(k + 1);
  return p;
}

std::string writeFailure(const std::string& path, const std::string& reason) {
  return "Не удалось записать файл «" + path + "»: " + reason;
}

// FFmpeg passes system errors on as negated errno values; those read as the
// program's other file errors do.
std::string describeAvError(int code) {
  if (code < 0 && code > -4096) return os::describeError(-code);
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

// Frames written as PNG files, each as `vandrel render` writes one. Each goes to
// a hidden name beside its place first, and all take their places only when the
// last is written: a sequence not finished leaves the old frames of its names
// as they were.
class PngSequence : public Output {
 public:
  explicit PngSequence(std::string pattern) : pattern_(std::move(pattern)) {}
  ~PngSequence() override {
    for (const Frame& f : frames_)
      if (!f.hidden.empty()) std::remove(f.hidden.c_str());
  }
  bool write(const std::uint32_t* pixels, std::string* error) override {
    const std::string path = sequenceFramePath(pattern_, static_cast<int>(frames_.size()));
    // What a save would refuse (a folder in the way, no folder to write in) is
    // told at this frame, as the save would tell it.
    os::FileWriter probe;
    if (!probe.open(path, error)) return false;
    std::error_code failed;
    fs::path target = fs::path(path);
    if (fs::is_symlink(target, failed)) target = fs::weakly_canonical(target, failed);  // a link's file is written
    const std::string hidden = (target.parent_path() / (".vandrel-frame-" + target.filename().string())).string();
    if (!os::writeImage(hidden, pixels, kVideoWidth, kVideoHeight, error)) return false;
    frames_.push_back({hidden, target.string()});
    return true;
  }
  bool finish(std::string* error) override {
    for (std::size_t k = 0; k < frames_.size(); ++k) {
      Frame& f = frames_[k];
      struct stat old {};
      if (::stat(f.target.c_str(), &old) == 0) ::chmod(f.hidden.c_str(), old.st_mode & 07777);  // keeps its mode
      if (std::rename(f.hidden.c_str(), f.target.c_str()) != 0) {
        if (error) *error = writeFailure(sequenceFramePath(pattern_, static_cast<int>(k)), os::describeError(errno));
        return false;
      }
      f.hidden.clear();
    }
    frames_.clear();
    return true;
  }

 private:
  struct Frame {
    std::string hidden, target;
  };
  std::string pattern_;
  std::vector<Frame> frames_;
};

// VP9 in WebM or H.264 in MP4, through libavcodec and libavformat.
class EncodedVideo : public Output {
 public:
  ~EncodedVideo() override { release(); }  // the file, unless committed, goes with file_

  bool open(const std::string& path, VideoKind kind, int rate, std::string* error) {
    target_ = path;
    // Failures come back as one message of ours; the libraries' own chatter on
    // stderr would only bury it.
    av_log_set_level(AV_LOG_QUIET);
    if (!file_.open(path, error)) return false;
    const char* newFile = file_.newFilePath().c_str();
    const bool webm = kind == VideoKind::webm;
    if (int code = avformat_alloc_output_context2(&format_, nullptr, webm ? "webm" : "mp4", newFile);
        code < 0)
      return fail(code, error);
    const AVCodec* codec = avcodec_find_encoder_by_name(webm ? "libvpx-vp9" : "libx264");
    if (!codec) return fail(std::string("нет кодировщика ") + (webm ? "VP9" : "H.264"), error);
    stream_ = avformat_new_stream(format_, nullptr);
    codec_ = avcodec_alloc_context3(codec);
    if (!stream_ || !codec_) return fail(AVERROR(ENOMEM), error);
    codec_->width = kVideoWidth;
    codec_->height = kVideoHeight;
    codec_->pix_fmt = AV_PIX_FMT_YUV420P;
    codec_->time_base = AVRational{1, rate};
    codec_->framerate = AVRational{rate, 1};
    codec_->gop_size = std::max(rate * 2, 1);  // a key frame every two seconds to seek by
    // libswscale's conversion: BT.601 coefficients, studio range.
    codec_->color_range = AVCOL_RANGE_MPEG;
    codec_->colorspace = AVCOL_SPC_SMPTE170M;
    codec_->thread_count = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    if (format_->oformat->flags & AVFMT_GLOBALHEADER) codec_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* options = nullptr;
    if (webm) {
      // Constant quality at the encoder's real-time speed, rows on every core, no
      // look-ahead: encoding keeps pace with drawing.
      codec_->bit_rate = 0;
      av_dict_set(&options, "deadline", "realtime", 0);
      av_dict_set(&options, "cpu-used", "8", 0);
      av_dict_set(&options, "row-mt", "1", 0);
      av_dict_set(&options, "tile-columns", "1", 0);
      av_dict_set(&options, "lag-in-frames", "0", 0);
      av_dict_set(&options, "crf", "28", 0);
    } else {
      av_dict_set(&options, "preset", "veryfast", 0);
      av_dict_set(&options, "crf", "18", 0);
    }
    const int opened = avcodec_open2(codec_, codec, &options);
    av_dict_free(&options);
    if (opened < 0) return fail(opened, error);
    if (int code = avcodec_parameters_from_context(stream_->codecpar, codec_); code < 0) return fail(code, error);
    stream_->time_base = codec_->time_base;
    stream_->avg_frame_rate = codec_->framerate;

    if (int code = avio_open(&format_->pb, newFile, AVIO_FLAG_WRITE); code < 0) return fail(code, error);
    AVDictionary* muxing = nullptr;
    // The index first, so that a player can start before the whole file is there.
    if (!webm) av_dict_set(&muxing, "movflags", "+faststart", 0);
    const int header = avformat_write_header(format_, &muxing);
    av_dict_free(&muxing);
    if (header < 0) return fail(header, error);

    scale_ = sws_getContext(kVideoWidth, kVideoHeight, AV_PIX_FMT_BGRA, kVideoWidth, kVideoHeight,
                            AV_PIX_FMT_YUV420P, SWS_BICUBIC | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
    frame_ = av_frame_alloc();
    packet_ = av_packet_alloc();
    if (!scale_ || !frame_ || !packet_) return fail(AVERROR(ENOMEM), error);
    frame_->format = AV_PIX_FMT_YUV420P;
    frame_->width = kVideoWidth;
    frame_->height = kVideoHeight;
    frame_->color_range = codec_->color_range;
    frame_->colorspace = codec_->colorspace;
    if (int code = av_frame_get_buffer(frame_, 0); code < 0) return fail(code, error);
    return true;
  }

  bool write(const std::uint32_t* pixels, std::string* error) override {
    if (int code = av_frame_make_writable(frame_); code < 0) return fail(code, error);
    const std::uint8_t* source[1] = {reinterpret_cast<const std::uint8_t*>(pixels)};
    const int stride[1] = {kVideoWidth * 4};
    sws_scale(scale_, source, stride, 0, kVideoHeight, frame_->data, frame_->linesize);
    frame_->pts = next_++;
    if (int code = avcodec_send_frame(codec_, frame_); code < 0) return fail(code, error);
    return writePackets(error);
  }

  bool finish(std::string* error) override {
    if (int code = avcodec_send_frame(codec_, nullptr); code < 0) return fail(code, error);
    if (!writePackets(error)) return false;
    if (int code = av_write_trailer(format_); code < 0) return fail(code, error);
    if (int code = avio_closep(&format_->pb); code < 0) return fail(code, error);
    return file_.commit(error);
  }

 private:
  bool writePackets(std::string* error) {
    for (;;) {
      const int received = avcodec_receive_packet(codec_, packet_);
      if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return true;
      if (received < 0) return fail(received, error);
      av_packet_rescale_ts(packet_, codec_->time_base, stream_->time_base);
      packet_->stream_index = stream_->index;
      if (int code = av_interleaved_write_frame(format_, packet_); code < 0) return fail(code, error);
    }
  }

  bool fail(int code, std::string* error) { return fail(describeAvError(code), error); }
  bool fail(const std::string& reason, std::string* error) {
    if (error) *error = writeFailure(target_, reason);
    return false;
  }

  void release() {
    sws_freeContext(scale_);
    av_frame_free(&frame_);
    av_packet_free(&packet_);
    avcodec_free_context(&codec_);
    if (format_ && format_->pb) avio_closep(&format_->pb);
    avformat_free_context(format_);
    format_ = nullptr;
  }

  std::string target_;
  os::FileWriter file_;  // the new file beside the target, put in its place when finished
  AVFormatContext* format_ = nullptr;
  AVStream* stream_ = nullptr;
  AVCodecContext* codec_ = nullptr;
  SwsContext* scale_ = nullptr;
  AVFrame* frame_ = nullptr;
  AVPacket* packet_ = nullptr;
  std::int64_t next_ = 0;
};

// Frames drawn one after another, each as if it were the only one: a frame leaves
// behind its image in texture entry 0, the device's states, clone copies and the
// modifier marker in the scene's slots, and the view toggles it read. Those are
// taken before the first frame, put back before each, and put back for good at
// the end together with the frame state, tau and the back buffer.
class LoneFrames {
 public:
  explicit LoneFrames(const render::ViewToggles& view) : view_(view) {
    gfx::Device& d = *render::deviceSetup.device;
    frame_ = render::frameState;
    animationTime_ = geometry::animationTime;
    device_ = d.state();
    present_ = d.presentHandler();
    backBuffer_.assign(d.backBuffer(), d.backBuffer() + kVideoWidth * kVideoHeight);
    entry0_ = render::deviceSetup.textures[render::kRenderTargetTexture];
    if (entry0_) entry0Pixels_.assign(entry0_->pixels(), entry0_->pixels() + entry0_->edge() * entry0_->edge());
    scene_ = scene::sceneStore.currentScene;
    sceneRecord_ = scene::sceneStore.scenes[scene_];
    const std::size_t first = static_cast<std::size_t>(scene_) * scene::kObjectSlots;
    objects_.assign(scene::sceneStore.objects + first, scene::sceneStore.objects + first + scene::kObjectSlots);
    lists_.assign(scene::sceneStore.modifierLists + first,
                  scene::sceneStore.modifierLists + first + scene::kObjectSlots);
    d.setPresentHandler([this](const std::uint32_t* pixels, int width, int height) {
      presented_.assign(pixels, pixels + static_cast<std::size_t>(width) * height);
    });
  }

  ~LoneFrames() {
    putBack();
    gfx::Device& d = *render::deviceSetup.device;
    d.setPresentHandler(present_);
    std::copy(backBuffer_.begin(), backBuffer_.end(), static_cast<std::uint32_t*>(d.lockBackBuffer().pBits));
    d.unlockBackBuffer();
    render::frameState = frame_;
    geometry::animationTime = animationTime_;
  }

  LoneFrames(const LoneFrames&) = delete;
  LoneFrames& operator=(const LoneFrames&) = delete;

  // The presented image at tau, opaque as the view shows it.
  const std::uint32_t* draw(float tau) {
    putBack();
    render::frameState = render::FrameState{};
    render::frameState.view = view_;
    presented_.assign(static_cast<std::size_t>(kVideoWidth) * kVideoHeight, 0);
    render::renderFrameAt(tau);
    for (std::uint32_t& p : presented_) p |= 0xFF000000u;
    return presented_.data();
  }

 private:
  void putBack() {
    render::deviceSetup.device->setState(device_);
    render::deviceSetup.textures[render::kRenderTargetTexture] = entry0_;
    if (entry0_) std::copy(entry0Pixels_.begin(), entry0Pixels_.end(), entry0_->pixels());
    scene::sceneStore.currentScene = static_cast<std::uint8_t>(scene_);
    scene::sceneStore.scenes[scene_] = sceneRecord_;
    const std::size_t first = static_cast<std::size_t>(scene_) * scene::kObjectSlots;
    std::copy(objects_.begin(), objects_.end(), scene::sceneStore.objects + first);
    std::copy(lists_.begin(), lists_.end(), scene::sceneStore.modifierLists + first);
  }

  render::ViewToggles view_;
  render::FrameState frame_;
  float animationTime_ = 0;
  gfx::DeviceState device_;
  gfx::Device::PresentHandler present_;
  std::vector<std::uint32_t> backBuffer_;
  std::shared_ptr<gfx::Texture> entry0_;
  std::vector<std::uint32_t> entry0Pixels_;
  int scene_ = 0;
  scene::Scene sceneRecord_;
  std::vector<scene::SceneObject> objects_;
  std::vector<scene::ModifierList> lists_;
  std::vector<std::uint32_t> presented_;
};

}  // namespace

VideoKind videoKindOf(const std::string& path) {
  if (path.ends_with(".webm")) return VideoKind::webm;
  if (path.ends_with(".mp4")) return VideoKind::mp4;
  if (framePattern(path)) return VideoKind::pngSequence;
  return VideoKind::unknown;
}

std::string sequenceFramePath(const std::string& pattern, int frame) {
  const std::optional<FramePattern> p = framePattern(pattern);
  if (!p) return pattern;
  char number[32];
  std::snprintf(number, sizeof number, "%0*d", p->width, frame);
  return p->before + number + p->after;
}

int videoFrameCount(const VideoRange& range) {
  // A hair of slack, so that a range of whole frames is not one short when its
  // product rounds a hair under the whole number.
  const double span = (range.to - range.from) * range.rate / kTauPerSecond;
  if (!(span >= 0)) return 0;
  return static_cast<int>(std::min(std::floor(span + 1e-9), static_cast<double>(kMaxVideoFrames))) + 1;
}

bool videoRangeTooLong(const VideoRange& range) {
  return (range.to - range.from) * range.rate / kTauPerSecond >= kMaxVideoFrames;
}

double videoFrameTime(const VideoRange& range, int frame) {
  return range.from + static_cast<double>(frame) * kTauPerSecond / range.rate;
}

VideoWriter::VideoWriter() = default;
VideoWriter::~VideoWriter() = default;

bool VideoWriter::open(const std::string& path, int rate, std::string* error) {
  output_.reset();
  const VideoKind kind = videoKindOf(path);
  if (kind == VideoKind::unknown) {
    if (error) *error = "«" + path + "»: видео пишется в .webm, .mp4 или в PNG по шаблону вида кадр_%04d.png";
    return false;
  }
  if (kind == VideoKind::pngSequence) {
    output_ = std::make_unique<PngSequence>(path);
    return true;
  }
  auto video = std::make_unique<EncodedVideo>();
  if (!video->open(path, kind, rate, error)) return false;
  output_ = std::move(video);
  return true;
}

bool VideoWriter::write(const std::uint32_t* pixels, std::string* error) {
  if (!output_) return false;
  if (output_->write(pixels, error)) return true;
  output_.reset();
  return false;
}

bool VideoWriter::finish(std::string* error) {
  if (!output_) return false;
  const bool finished = output_->finish(error);
  output_.reset();
  return finished;
}

bool writeVideo(const std::string& path, const VideoRange& range, const render::ViewToggles& view,
                const VideoProgress& progress, std::string* error) {
  if (!render::deviceSetup.device) {
    if (error) *error = "«" + path + "»: нет устройства, на котором рисуются кадры";
    return false;
  }
  const int total = videoFrameCount(range);
  VideoWriter writer;
  if (!writer.open(path, range.rate, error)) return false;
  LoneFrames frames(view);
  for (int k = 0; k < total; ++k) {
    if (!writer.write(frames.draw(static_cast<float>(videoFrameTime(range, k))), error)) return false;
    if (progress.frameWritten) progress.frameWritten(k + 1, total);
    if (progress.stop && progress.stop()) return false;
  }
  return writer.finish(error);
}

}  // namespace vandrel::exporting
