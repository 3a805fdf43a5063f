#include "ui/file_dialog.h"

#include <QFileInfo>

namespace varnholt {

QStringList qtNameFilters(const QString& filter) {
  QStringList out;
  const QStringList parts = filter.split(QLatin1Char('|'));
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString desc = parts[i].trimmed();
    QString patterns = parts[i + 1].trimmed();
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    if (patterns.isEmpty()) continue;
    out << (desc.isEmpty() || desc == patterns ? patterns : desc + " (" + patterns + ")");
  }
  return out;
}

QString withDefaultExt(const QString& path, const QString& ext) {
  if (path.isEmpty() || ext.isEmpty()) return path;
  if (QFileInfo(path).fileName().contains(QLatin1Char('.'))) return path;
  return path + "." + ext;
}

}  // namespace varnholt
