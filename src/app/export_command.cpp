#include "app/export_command.h"

#include <ostream>

#include "export/gltf_export.h"

namespace vandrel::app {

int runExportCommand(const SceneCommandOptions& o, std::ostream& err) {
  const bool glb = o.output.ends_with(".glb");
  if (!glb && !o.output.ends_with(".gltf")) {
    err << "vandrel: «" << o.output << "»: выход должен оканчиваться на .glb или .gltf\n";
    return 1;
  }
  if (const std::string problem = prepareScene(o); !problem.empty()) {
    err << "vandrel: " << problem << '\n';
    return 1;
  }
  exporting::GltfReport report;
  std::string error;
  if (!exporting::writeGltfScene(o.output, {}, &report, &error)) {
    err << "vandrel: " << error << '\n';
    return 1;
  }
  if (!report.leftOut.empty()) err << "vandrel: " << report.leftOut << '\n';
  return 0;
}

}  // namespace vandrel::app
