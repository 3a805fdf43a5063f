#include "ui/startup.h"

#include <QDir>

#include "ui/qt_paths.h"

namespace varnholt {

std::optional<pt::BmpHeader> loadProgramHeader(const QString& programFolder,
                                               pt::UserPrompt& prompt) {
  const QString path = QDir(programFolder).filePath(pt::kBmpHeaderFileName);
  auto header = pt::loadBmpHeader(toPath(path));
  if (!header) {
    prompt.showError(pt::kAppTitle, pt::describe(header.error()));
    return std::nullopt;
  }
  return *header;
}

}  // namespace varnholt
