#include "ui/startup.h"

#include "ui/qt_paths.h"

namespace varnholt {

std::optional<pt::BmpHeader> loadProgramHeader(const QString& programFolder,
                                               pt::UserPrompt& prompt) {
  // Beside the program in a build tree, under share/varnholt when installed.
  auto header = pt::loadBmpHeaderOf(toPath(programFolder));
  if (!header) {
    prompt.showError(pt::kAppTitle, pt::describe(header.error()));
    return std::nullopt;
  }
  return *header;
}

}  // namespace varnholt
