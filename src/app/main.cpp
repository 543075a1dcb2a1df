// vandrel: the editor by default, headless subcommands for pipelines and tests.

#include <CLI/CLI.hpp>

#include <iostream>

#include "app/file_commands.h"
#include "app/texture_command.h"

int main(int argc, char** argv) {
  CLI::App app{"VandreL: procedural textures and scenes", "vandrel"};
  app.failure_message(CLI::FailureMessage::simple);
  app.require_subcommand(1);

  vandrel::app::TextureCommandOptions texture;
  CLI::App* textureCommand =
      app.add_subcommand("texture", "Replay a texture log (.vtx) and write its final image");
  textureCommand->add_option("input", texture.input, "texture log (.vtx)")->required();
  textureCommand->add_option("--size", texture.size, "edge size instead of the file's (32..512)");
  textureCommand->add_option("-o,--output", texture.output, "output image (.png or .raw)")
      ->required();

  std::string infoPath;
  CLI::App* infoCommand = app.add_subcommand("info", "Summarise a .vsc, .vsl, .vtx, .vmt, .vrs or .sna file");
  infoCommand->add_option("file", infoPath, "file to summarise")->required();

  std::string resaveInput, resaveOutput;
  CLI::App* resaveCommand =
      app.add_subcommand("resave", "Read a file with the program's reader and write it back");
  resaveCommand->add_option("input", resaveInput, "file to read")->required();
  resaveCommand->add_option("-o,--output", resaveOutput, "file to write (same kind)")->required();

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::cerr << "vandrel: " << e.what() << '\n';
    return 2;
  }

  if (*textureCommand) return vandrel::app::runTextureCommand(texture, std::cerr);
  if (*infoCommand) return vandrel::app::runInfoCommand(infoPath, std::cout, std::cerr);
  if (*resaveCommand) return vandrel::app::runResaveCommand(resaveInput, resaveOutput, std::cerr);
  return 2;
}
