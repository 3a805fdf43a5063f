#include "ui/startup.h"

#include "common/data_files.h"
#include "ui/qt_paths.h"

namespace varnholt {

std::optional<pt::BmpHeader> loadProgramHeader(const QString& programFolder,
                                               pt::UserPrompt& prompt) {
  // Beside the program in a build tree, under share/varnholt when installed.
  auto header = pt::loadBmpHeader(pt::findDataFile(toPath(programFolder), pt::kBmpHeaderFileName));
  if (!header) {
    prompt.showError(pt::kAppTitle, pt::describe(header.error()));
    return std::nullopt;
  }
  return *header;
}

}  // namespace varnholt
