// Geometry text of all scenes and of one scene, from arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "scene/geometry_text.h"
#include "scene/scene_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool ready = (vandrel::scene::resetSceneStore(), true);
  (void)ready;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  vandrel::scene::checkAllScenes(text);
  vandrel::scene::checkCurrentScene(text);
  vandrel::scene::readAllScenes(text);
  vandrel::scene::readCurrentScene(text);
  vandrel::scene::writeAllScenes();
  return 0;
}
