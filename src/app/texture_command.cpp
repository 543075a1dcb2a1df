#include "app/texture_command.h"

#include <algorithm>
#include <ostream>

#include "export/texture_set.h"
#include "pack/complex_pack.h"
#include "pack/document.h"
#include "platform/os/image_output.h"
#include "platform/os/files.h"
#include "platform/os/text_checks.h"
#include "texgen/catalogue.h"
#include "texgen/dispatcher.h"
#include "texgen/editor_hooks.h"
#include "texgen/texture_log_file.h"
#include "texgen/texture_store.h"

namespace vandrel::app {

using namespace vandrel::texgen;

namespace {

constexpr std::size_t kUnknownLinesShown = 20;

int fail(std::ostream& err, const std::string& message) {
  err << "vandrel: " << message << '\n';
  return 1;
}

}  // namespace

void reportLogWarnings(const LogReadResult& read, const std::string& input, std::ostream& err) {
  // Each such line is skipped, as the editor skips it; a file of thousands of
  // them is told of by its first few and a count.
  const std::size_t shown = std::min(read.unknownLines.size(), kUnknownLinesShown);
  for (std::size_t i = 0; i < shown; ++i)
    err << "vandrel: предупреждение: " << input << ":" << read.unknownLines[i] << ": неизвестная команда\n";
  if (read.unknownLines.size() > shown)
    err << "vandrel: предупреждение: " << input << ": и ещё неизвестных команд: " << read.unknownLines.size() - shown
        << "\n";
  if (read.stoppedAtCapacity) err << "vandrel: предупреждение: " << input << ": " << leftOutText(read) << "\n";
}

int runTextureCommand(const TextureCommandOptions& options, std::ostream& err) {
  if (options.all) return fail(err, "--all берёт пакет (.vsc), а «" + options.input + "» — один лог");
  if (!os::isImageOutputPath(options.output))
    return fail(err, "«" + options.output + "»: выход должен оканчиваться на .png или .raw");
  if (options.size != 0 && edgeSizeIndex(options.size) < 0)
    return fail(err, "--size " + std::to_string(options.size) + ": допустимы 32, 64, 128, 256 и 512");

  std::string text, error;
  if (!os::readFile(options.input, &text, &error)) return fail(err, error);
  // The editor's own check: what it refuses to load is refused here too.
  if (const os::TextProblem problem = checkLogText(text))
    return fail(err, options.input + ": " + os::describeProblem(text, problem));

  fillCatalogue();
  resetTextureHooks();
  resetTextureStore();
  createLayerStack();

  const LogReadResult read = readLog(text);
  reportLogWarnings(read, options.input, err);

  if (options.size != 0 && options.size != textureStore.edgeSize) {
    const int capacity = maxEntryCount(options.size);
    if (textureStore.entryCount > capacity) {
      err << "vandrel: предупреждение: " << options.input << ": "
          << logFullText(options.size, capacity - 1, textureStore.entryCount - capacity + read.operationsLeftOut)
          << "\n";
      textureStore.entryCount = capacity;
    }
    textureStore.edgeSize = options.size;
  }
  replayCurrentSlot();

  const int edge = textureStore.edgeSize;
  const os::PngChannels channels = options.alpha ? os::PngChannels::rgba : os::PngChannels::rgb;
  if (!os::writeImage(options.output, layer(textureStore.entryCount), edge, edge, &error, channels))
    return fail(err, error);
  return 0;
}

int runTextureSetCommand(const TextureCommandOptions& options, std::ostream& err, bool terminal) {
  if (!options.all) return fail(err, "в пакете много текстур: укажите --all и папку после -o");
  if (options.size != 0) return fail(err, "--size не сочетается с --all: каждая текстура сохраняет свой размер");
  std::string text, error;
  if (!pack::readPackFile(options.input, &text, &error)) return fail(err, error);
  pack::resetDocument();
  pack::readPack(text, pack::TextureRebuild::Skip);

  exporting::TextureSetProgress progress;
  if (terminal)
    progress.fileWritten = [&](int slot, int written, int total) {
      err << "\rтекстуры: " << written << "/" << total << " (слот " << slot << ")" << std::flush;
    };
  const bool written = exporting::writeTextureSet(
      options.output, options.alpha ? os::PngChannels::rgba : os::PngChannels::rgb, progress, &error);
  if (terminal && exporting::textureSetSize() > 0) err << '\n';
  if (!written) return fail(err, error);
  return 0;
}

}  // namespace vandrel::app
