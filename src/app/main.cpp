// vandrel: the editor by default, headless subcommands for pipelines and tests.

#include <CLI/CLI.hpp>

#include <unistd.h>

#include <iostream>
#include <memory>
#include <string>
#include <tuple>

#include "app/command_line_errors.h"
#include "app/export_command.h"
#include "app/file_commands.h"
#include "app/memory_guard.h"
#include "app/scene_commands.h"
#include "app/texture_command.h"
#include "app/video_command.h"
#include "editor/shell/editor.h"

namespace {

bool isSubcommand(const std::string& word) {
  for (const char* name : {"texture", "mesh", "render", "export", "info", "resave"})
    if (word == name) return true;
  return false;
}

// One line of help per option: the options an option excludes follow its
// description instead of pushing the description onto a line of its own.
class OneLineFormatter : public CLI::Formatter {
 public:
  std::string make_option_opts(const CLI::Option* option) const override {
    const std::string opts = Formatter::make_option_opts(option);
    return opts.substr(0, opts.find(" " + get_label("Excludes") + ":"));
  }
  std::string make_option_desc(const CLI::Option* option) const override {
    std::string description = Formatter::make_option_desc(option);
    const char* separator = " (not with ";
    for (const CLI::Option* excluded : option->get_excludes()) {
      description += separator + excluded->get_name();
      separator = ", ";
    }
    if (!option->get_excludes().empty()) description += ")";
    return description;
  }
};

}  // namespace

int main(int argc, char** argv) {
  // No arguments, or a pack to open, after an optional --desktop: the editor.
  // Anything else is a headless command.
  const bool fromDesktop = argc >= 2 && std::string(argv[1]) == "--desktop";
  const int first = fromDesktop ? 2 : 1;
  if (argc == first || (argc == first + 1 && argv[first][0] != '-' && !isSubcommand(argv[first]))) {
    vandrel::shell::EditorOptions options;
    options.userConfigFolder = fromDesktop;
    if (argc == first + 1) options.pack = argv[first];
    return vandrel::app::runWithinMemory(std::cerr, [&] { return vandrel::shell::runEditor(argc, argv, options); });
  }

  CLI::App app{"VandreL: procedural textures and scenes. Without arguments, or with a .vsc pack, "
               "opens the editor.", "vandrel"};
  app.formatter(std::make_shared<OneLineFormatter>());  // before the subcommands, which copy it
  app.failure_message(CLI::FailureMessage::simple);
  app.require_subcommand(1);
  app.set_help_flag("-h,--help", "print this help and exit");  // the subcommands copy it
  app.set_version_flag("--version", "vandrel " VANDREL_VERSION, "print the version and exit");
  // Handled above; listed so that the help names it.
  const std::string desktopHelp = "open the editor keeping window layouts in ~/.config/vandrel";
  app.add_flag("--desktop", desktopHelp);

  vandrel::app::TextureCommandOptions texture;
  CLI::App* textureCommand =
      app.add_subcommand("texture", "Replay a texture log (.vtx) and write its final image, or a pack's every texture");
  textureCommand->add_option("input", texture.input, "texture log (.vtx), or a pack (.vsc) with --all")->required();
  textureCommand->add_option("--size", texture.size,
                             "edge size instead of the file's: 32, 64, 128, 256 or 512");
  textureCommand->add_flag("--alpha", texture.alpha,
                           "write a .png with its alpha channel (RGBA, not RGB)");
  textureCommand->add_flag("--all", texture.all,
                           "every slot of a pack with a log, as FOLDER/slot_NNN.png at its stored size");
  textureCommand->add_option("-o,--output", texture.output, "output image (.png or .raw), or FOLDER with --all")
      ->required();

  std::string infoPath;
  CLI::App* infoCommand = app.add_subcommand("info", "Summarise a .vsc, .vsl, .vtx, .vmt, .vrs or .sna file");
  infoCommand->add_option("file", infoPath, "file to summarise")->required();

  std::string resaveInput, resaveOutput;
  CLI::App* resaveCommand =
      app.add_subcommand("resave", "Read a file with the program's reader and write it back");
  resaveCommand->add_option("input", resaveInput, "file to read")->required();
  resaveCommand->add_option("-o,--output", resaveOutput, "file to write (same kind)")->required();

  vandrel::app::SceneCommandOptions mesh;
  std::string eye, target;
  int object = -1;
  bool allObjects = false;
  CLI::App* meshCommand =
      app.add_subcommand("mesh", "Build objects of a scene and write their vertices (.raw or .obj)");
  meshCommand->add_option("input", mesh.input, "scene (.vsc or .vsl)")->required();
  meshCommand->add_option("--scene", mesh.scene, "scene number (default 0)");
  auto* objectOption = meshCommand->add_option("--object", object, "object number");
  auto* allOption = meshCommand->add_flag("--all", allObjects, "every object of the scene, in order");
  objectOption->excludes(allOption);
  meshCommand->add_option("--quality", mesh.quality, "render quality 0..255 (default 128)");
  meshCommand->add_option("--tau", mesh.tau, "animation time (default 0)");
  auto* cameraOption = meshCommand->add_option("--camera", mesh.camera, "camera list entry 0..254");
  auto* eyeOption = meshCommand->add_option("--eye", eye, "camera eye x,y,z");
  auto* targetOption = meshCommand->add_option("--target", target, "camera target x,y,z");
  auto* angleOption = meshCommand->add_option("--angle", mesh.angle, "camera angle (radians)");
  auto* zoomOption = meshCommand->add_option("--zoom", mesh.zoom, "camera zoom");
  for (auto* explicitCamera : {eyeOption, targetOption, angleOption, zoomOption})
    cameraOption->excludes(explicitCamera);
  meshCommand->add_option("-o,--output", mesh.output, "output (.raw or .obj)")->required();

  vandrel::app::SceneCommandOptions renderOptions;
  vandrel::app::VideoCommandOptions video;
  CLI::App* renderCommand = app.add_subcommand(
      "render", "Draw one frame of a scene into a 640 x 480 PNG, or with --from, --to and --fps a video");
  renderCommand->add_option("input", renderOptions.input, "scene (.vsc or .vsl)")->required();
  renderCommand->add_option("--scene", renderOptions.scene, "scene number (default 0)");
  auto* tauOption = renderCommand->add_option("--tau", renderOptions.tau, "animation time (default 0)");
  auto* fromOption = renderCommand->add_option("--from", video.from, "video: tau of the first frame");
  auto* toOption = renderCommand->add_option(
      "--to", video.to, "video: tau of the last frame when one falls on it; the video plays at the 3D view's "
                        "speed, frame i at from + i x 3.068 / fps (pi/1024 of tau a millisecond)");
  auto* fpsOption = renderCommand->add_option("--fps", video.fps, "video: frames per second, 1..240");
  for (auto* videoOption : {fromOption, toOption, fpsOption}) tauOption->excludes(videoOption);
  renderCommand->add_option("--camera", renderOptions.camera, "camera list entry 0..254");
  renderCommand->add_flag("--clean", renderOptions.cleanView,
                          "clean view: no suns, lamps, invisible objects or guides");
  renderCommand->add_option("-o,--output", renderOptions.output,
                            "output image (.png); a video: .webm (VP9), .mp4 (H.264) or frames as OUT_%04d.png")
      ->required();

  vandrel::app::SceneCommandOptions exportOptions;
  CLI::App* exportCommand = app.add_subcommand("export", "Write a scene of a pack as glTF 2.0 (.glb or .gltf)");
  exportCommand->add_option("input", exportOptions.input, "pack (.vsc) or scene layer (.vsl)")->required();
  exportCommand->add_option("--scene", exportOptions.scene, "scene number (default 0)");
  exportCommand->add_option("--tau", exportOptions.tau, "animation time (default 0)");
  exportCommand->add_option("--quality", exportOptions.quality, "render quality 0..255 (default 128)");
  exportCommand->add_option("--camera", exportOptions.camera, "camera list entry 0..254 as the current camera");
  exportCommand->add_option("-o,--output", exportOptions.output,
                            "output: .glb, or .gltf with NAME.bin and its textures beside it")
      ->required();

  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& e) {  // --help or --version
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::cerr << "vandrel: " << vandrel::app::parseErrorText(e) << "; справка: vandrel --help\n";
    return 2;
  }

  return vandrel::app::runWithinMemory(std::cerr, [&]() -> int {
    if (*textureCommand)
      return texture.input.ends_with(".vsc") ? vandrel::app::runTextureSetCommand(texture, std::cerr, isatty(2))
                                              : vandrel::app::runTextureCommand(texture, std::cerr);
    if (*meshCommand) {
      if (!allObjects && object < 0) {
        std::cerr << "vandrel: mesh: укажите --object O или --all\n";
        return 2;
      }
      if (!allObjects) mesh.object = object;
      for (auto [text, vector, name] : {std::tuple{&eye, &mesh.eye, "--eye"}, std::tuple{&target, &mesh.target, "--target"}}) {
        if (text->empty()) continue;
        vandrel::app::Vector3 v;
        if (!vandrel::app::parseVector3(*text, &v)) {
          std::cerr << "vandrel: " << name << ": нужны три числа через запятую, x,y,z\n";
          return 2;
        }
        *vector = v;
      }
      return vandrel::app::runMeshCommand(mesh, std::cerr);
    }
    if (*renderCommand)
      return video.any() ? vandrel::app::runVideoCommand(renderOptions, video, std::cerr, isatty(2))
                         : vandrel::app::runRenderCommand(renderOptions, std::cerr);
    if (*exportCommand) return vandrel::app::runExportCommand(exportOptions, std::cerr);
    if (*infoCommand) return vandrel::app::runInfoCommand(infoPath, std::cout, std::cerr);
    if (*resaveCommand) return vandrel::app::runResaveCommand(resaveInput, resaveOutput, std::cerr);
    return 2;
  });
}
