// Render settings from arbitrary bytes, with as many scenes as the first byte says.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "render/render_settings.h"
#include "scene/scene_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vandrel;
  static const bool ready = (scene::resetSceneStore(), render::resetRenderSettings(), true);
  (void)ready;
  scene::sceneStore.sceneCount = static_cast<std::uint8_t>(1 + (size ? data[0] % 127 : 0));
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  render::checkRenderSettingsText(text);
  render::readRenderSettings(text);
  render::writeRenderSettings();
  return 0;
}
