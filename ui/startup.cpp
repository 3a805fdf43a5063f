#include "ui/startup.h"

#include <QDir>

#include "ui/qt_paths.h"

namespace varnholt {

std::optional<pt::BmpHeader> loadProgramHeader(const QString& programFolder,
                                               pt::UserPrompt& prompt) {
  pt::BmpHeader header{};
  std::string error;
  const QString path = QDir(programFolder).filePath(pt::kBmpHeaderFileName);
  if (!pt::loadBmpHeader(toPath(path), header, error)) {
    prompt.showError(pt::kAppTitle, error);
    return std::nullopt;
  }
  return header;
}

}  // namespace varnholt
