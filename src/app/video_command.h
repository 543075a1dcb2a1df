#pragma once
// `vandrel render PACK.vsc --from T0 --to T1 --fps N [...] -o OUT.(webm|mp4) | OUT_%04d.png`

#include <iosfwd>
#include <optional>

#include "app/scene_commands.h"

namespace vandrel::app {

// The three go together; without them render draws one frame.
struct VideoCommandOptions {
  std::optional<double> from, to;
  std::optional<int> fps;
  bool any() const { return from || to || fps; }
};

// Frame i at tau = from + i / fps for i = 0 .. floor((to - from) x fps), each as
// `vandrel render --tau` draws it. A terminal on err sees a progress bar.
int runVideoCommand(const SceneCommandOptions& scene, const VideoCommandOptions& video, std::ostream& err,
                    bool terminal);

}  // namespace vandrel::app
