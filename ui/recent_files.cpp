#include "ui/recent_files.h"

#include <QDir>
#include <QFileInfo>

#include "ui/app_settings.h"

namespace varnholt {

RecentFiles::RecentFiles(QWidget* parent) : QMenu("Open recent", parent) {
  setObjectName("recentMenu");
  paths_ = settings::open().value(settings::kRecentFiles).toStringList().mid(0, settings::kRecentCount);
  rebuild();
}

void RecentFiles::add(const QString& path) {
  const QString full = QFileInfo(path).absoluteFilePath();
  paths_.removeAll(full);
  paths_.prepend(full);
  paths_ = paths_.mid(0, settings::kRecentCount);
  store();
}

void RecentFiles::remove(const QString& path) {
  if (paths_.removeAll(QFileInfo(path).absoluteFilePath()) > 0) store();
}

void RecentFiles::store() {
  settings::open().setValue(settings::kRecentFiles, paths_);
  rebuild();
}

void RecentFiles::rebuild() {
  clear();
  for (int i = 0; i < paths_.size(); ++i) {
    const QString path = paths_[i];
    QAction* a = addAction(QString("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(path).replace("&", "&&")));
    connect(a, &QAction::triggered, this, [this, path] { Q_EMIT chosen(path); });
  }
  setEnabled(!paths_.isEmpty());
}

}  // namespace varnholt
