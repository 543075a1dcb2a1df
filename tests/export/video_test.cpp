#include "export/video.h"

#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "app/scene_commands.h"
#include "app/scratch_folder.h"
#include "geometry/mesh_state.h"
#include "pack/complex_pack.h"
#include "pack/document.h"
#include "render/device_setup.h"
#include "scene/scene_store.h"

namespace vandrel::exporting {
namespace {

namespace fs = std::filesystem;

const std::string kDemo = std::string(VANDREL_SOURCE_DIR) + "/examples/demo.vsc";

// What a decoder makes of a file: its frames as 0xAARRGGBB pixels and the rate
// the container states.
struct Decoded {
  std::vector<std::vector<std::uint32_t>> frames;
  AVRational rate{0, 1};
  std::string codec;
};

Decoded decode(const std::string& path) {
  Decoded out;
  AVFormatContext* format = nullptr;
  if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return out;
  avformat_find_stream_info(format, nullptr);
  const int index = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (index < 0) {
    avformat_close_input(&format);
    return out;
  }
  const AVStream* stream = format->streams[index];
  out.rate = stream->avg_frame_rate;
  const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
  out.codec = codec->name;
  AVCodecContext* context = avcodec_alloc_context3(codec);
  avcodec_parameters_to_context(context, stream->codecpar);
  avcodec_open2(context, codec, nullptr);
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  SwsContext* scale = nullptr;
  auto take = [&] {
    while (avcodec_receive_frame(context, frame) == 0) {
      scale = sws_getCachedContext(scale, frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                                   kVideoWidth, kVideoHeight, AV_PIX_FMT_BGRA,
                                   SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT,
                                   nullptr, nullptr, nullptr);
      std::vector<std::uint32_t> pixels(kVideoWidth * kVideoHeight);
      std::uint8_t* target[1] = {reinterpret_cast<std::uint8_t*>(pixels.data())};
      const int stride[1] = {kVideoWidth * 4};
      sws_scale(scale, frame->data, frame->linesize, 0, frame->height, target, stride);
      out.frames.push_back(std::move(pixels));
    }
  };
  while (av_read_frame(format, packet) >= 0) {
    if (packet->stream_index == index && avcodec_send_packet(context, packet) >= 0) take();
    av_packet_unref(packet);
  }
  avcodec_send_packet(context, nullptr);
  take();
  sws_freeContext(scale);
  av_frame_free(&frame);
  av_packet_free(&packet);
  avcodec_free_context(&context);
  avformat_close_input(&format);
  return out;
}

// Over the red, green and blue bytes.
double psnr(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
  double squares = 0;
  for (std::size_t k = 0; k < a.size(); ++k)
    for (int shift = 0; shift < 24; shift += 8) {
      const double d = static_cast<double>((a[k] >> shift) & 0xFF) - static_cast<double>((b[k] >> shift) & 0xFF);
      squares += d * d;
    }
  const double mse = squares / (a.size() * 3.0);
  return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

std::string tauText(double tau) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", tau);
  return text;
}

class VideoCommand : public app::test::ScratchFolderTest {
 protected:
  // Runs the program with the arguments; its exit code, stderr in errors_.
  int vandrel(const std::string& arguments, const std::string& shellPrefix = "") {
    const std::string command = shellPrefix + "\"" + VANDREL_BINARY + "\" " + arguments + " 2>\"" + path("err.txt") + "\"";
    const int status = std::system(command.c_str());
    errors_ = slurp(path("err.txt"));
    fs::remove(path("err.txt"));
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  // `vandrel render` at tau, as a file.
  std::string render(const std::string& pack, double tau, const std::string& name) {
    EXPECT_EQ(vandrel("render \"" + pack + "\" --tau " + tauText(tau) + " -o \"" + path(name) + "\""), 0) << errors_;
    return path(name);
  }
  std::vector<std::string> folderNames() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  std::string errors_;
};

TEST(VideoRangeTest, FramesPlayAtTheViewsSpeedUpToAndWithTo) {
  const double second = 1000 * render::kTauPerMillisecond;  // of tau, on the 3D view's clock
  EXPECT_EQ(videoFrameCount({0, second, 30}), 31);
  EXPECT_EQ(videoFrameCount({0, 0.99 * second, 1}), 1);
  EXPECT_EQ(videoFrameCount({0.1 * second, 0.3 * second, 10}), 3);  // a hair under 2 seconds' worth
  EXPECT_EQ(videoFrameCount({2, 2, 60}), 1);
  EXPECT_DOUBLE_EQ(videoFrameTime({1, 2, 24}, 12), 1 + second / 2);

  EXPECT_EQ(videoKindOf("a.webm"), VideoKind::webm);
  EXPECT_EQ(videoKindOf("a.mp4"), VideoKind::mp4);
  EXPECT_EQ(videoKindOf("dir/a_%04d.png"), VideoKind::pngSequence);
  for (const char* refused : {"a.png", "a_%s.png", "a_%d_%d.png", "a_%00d.png", "a_%4d.png", "a.avi", "a_%d.jpg"})
    EXPECT_EQ(videoKindOf(refused), VideoKind::unknown) << refused;
  EXPECT_EQ(sequenceFramePath("dir/a_%04d.png", 7), "dir/a_0007.png");
  EXPECT_EQ(sequenceFramePath("%d.png", 12), "12.png");
}

// 4:2:0 colour alone takes the demo's frames down to about 45 dB; VP9 at its
// real-time speed measures 42.3 to 43.7 dB, H.264 41.6 to 42.7, so 39 dB leaves
// room for other library versions and still catches a wrong colour or frame.
TEST_F(VideoCommand, WebmAndMp4HoldEveryFrameAtTheStatedRateCloseToSingleRenders) {
  const VideoRange range{1, 4, 24};
  const int rate = range.rate, count = 24;
  ASSERT_EQ(videoFrameCount(range), count);
  std::vector<std::vector<std::uint32_t>> singles;
  for (int k : {0, count / 2, count - 1}) {
    const Decoded png = decode(render(kDemo, videoFrameTime(range, k), "single.png"));
    ASSERT_EQ(png.frames.size(), 1u);
    singles.push_back(png.frames[0]);
  }
  for (auto [name, codec, threshold] : {std::tuple{"demo.webm", "vp9", 39.0}, std::tuple{"demo.mp4", "h264", 39.0}}) {
    SCOPED_TRACE(name);
    ASSERT_EQ(vandrel("render \"" + kDemo + "\" --from 1 --to 4 --fps 24 -o \"" + path(name) + "\""), 0) << errors_;
    EXPECT_EQ(errors_, "");  // no progress bar into a file, no chatter from the libraries
    const Decoded video = decode(path(name));
    EXPECT_EQ(video.codec, codec);
    EXPECT_EQ(av_cmp_q(video.rate, AVRational{rate, 1}), 0) << video.rate.num << "/" << video.rate.den;
    ASSERT_EQ(video.frames.size(), static_cast<std::size_t>(count));
    int s = 0;
    for (int k : {0, count / 2, count - 1}) {
      const double quality = psnr(video.frames[k], singles[s++]);
      EXPECT_GT(quality, threshold) << "frame " << k;
      std::printf("%s frame %d: %.1f dB\n", name, k, quality);
    }
  }
  // The MP4's index comes before its data.
  const std::string mp4 = slurp(path("demo.mp4"));
  EXPECT_LT(mp4.find("moov"), mp4.find("mdat"));
}

// Each frame is drawn as a lone frame would be: here a cube shows texture entry 0,
// the previous frame's image, which a single render has not got.
TEST_F(VideoCommand, PngSequenceIsByteEqualToSingleRendersAndLeavesTheEditorsStateAlone) {
  const std::string pack = path("entry0.vsc");
  {
    pack::Document document;
    std::string error;
    ASSERT_TRUE(pack::loadPack(kDemo, &error)) << error;
    scene::objectRecord(0, 2).texture = render::kRenderTargetTexture;
    ASSERT_TRUE(pack::savePack(pack, &error)) << error;
  }
  ASSERT_EQ(vandrel("render \"" + pack + "\" --from 0.25 --to 1.8 --fps 8 -o \"" + path("f_%02d.png") + "\""), 0)
      << errors_;
  ASSERT_EQ(videoFrameCount({0.25, 1.8, 8}), 5);
  for (int k = 0; k < 5; ++k) {
    SCOPED_TRACE(k);
    ASSERT_TRUE(exists(sequenceFramePath("f_%02d.png", k)));
    EXPECT_TRUE(slurp(path(sequenceFramePath("f_%02d.png", k))) ==
                slurp(render(pack, videoFrameTime({0.25, 1.8, 8}, k), "single.png")));
  }
  EXPECT_FALSE(exists("f_05.png"));

  // The editor's own frame, view and present handler are as they were after a video.
  pack::Document document;
  app::SceneCommandOptions o;
  o.input = pack;
  ASSERT_EQ(app::prepareScene(o), "");
  render::frameState.view.guideGridMode = 2;
  int presented = 0;
  render::deviceSetup.device->setPresentHandler([&](const std::uint32_t*, int, int) { ++presented; });
  render::renderFrameAt(3);
  const gfx::Texture& entry0 = *render::deviceSetup.textures[render::kRenderTargetTexture];
  const std::vector<std::uint32_t> image(entry0.pixels(), entry0.pixels() + entry0.edge() * entry0.edge());
  const std::vector<std::uint32_t> back(render::deviceSetup.device->backBuffer(),
                                        render::deviceSetup.device->backBuffer() + kVideoWidth * kVideoHeight);
  std::string error;
  ASSERT_TRUE(writeVideo(path("g_%d.png"), {0, 1, 2}, render::ViewToggles{}, {}, &error)) << error;
  EXPECT_EQ(presented, 1);
  EXPECT_EQ(render::frameState.view.guideGridMode, 2);
  EXPECT_EQ(geometry::animationTime, 3.0f);
  EXPECT_TRUE(std::equal(image.begin(), image.end(), entry0.pixels()));
  EXPECT_TRUE(std::equal(back.begin(), back.end(), render::deviceSetup.device->backBuffer()));
  render::releaseDevice();
}

TEST_F(VideoCommand, BadInputIsOneMessageAndLeavesNoFileBehind) {
  fs::create_directory(path("f_002.png"));  // the third frame of a sequence cannot be written
  const std::string demo = "\"" + kDemo + "\" ";
  const std::string out = " -o \"" + path("out.webm") + "\"";
  struct Case {
    std::string arguments, shellPrefix = "";
  };
  const Case cases[] = {
      {demo + "--scene 3 --from 0 --to 1 --fps 10" + out},
      {demo + "--camera 300 --from 0 --to 1 --fps 10" + out},
      {demo + "--from 2 --to 1 --fps 10" + out},
      {demo + "--from 0 --to 1 --fps 0" + out},
      {demo + "--from 0 --to 1 --fps 241" + out},
      {demo + "--from 0 --to 100000 --fps 240" + out},
      {demo + "--from 0 --to 1" + out},
      {demo + "--fps 10" + out},
      {demo + "--from 0 --to 1 --fps 10 -o \"" + path("out.avi") + "\""},
      {demo + "--from 0 --to 1 --fps 10 -o \"" + path("no/such/folder/out.mp4") + "\""},
      {demo + "--from 0 --to 1 --fps 10 -o \"" + path("f_%03d.png") + "\""},
      // A full disk, as a file size limit: the write fails with the disk half filled.
      {demo + "--from 0 --to 3 --fps 30" + out, "ulimit -f 40; trap '' XFSZ; "},
      {demo + "--from 0 --to 3 --fps 30 -o \"" + path("out.mp4") + "\"", "ulimit -f 40; trap '' XFSZ; "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    EXPECT_NE(vandrel("render " + c.arguments, c.shellPrefix), 0);
    EXPECT_EQ(errors_.rfind("vandrel: ", 0), 0u) << errors_;
    EXPECT_EQ(std::count(errors_.begin(), errors_.end(), '\n'), 1) << errors_;
    EXPECT_EQ(folderNames(), std::vector<std::string>{"f_002.png"});
  }
}

}  // namespace
}  // namespace vandrel::exporting
