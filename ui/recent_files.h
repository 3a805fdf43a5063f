#pragma once
// File > Open recent: the containers opened or saved last, newest first,
// kept in the settings file.
#include <QMenu>
#include <QStringList>

namespace varnholt {

class RecentFiles final : public QMenu {
  Q_OBJECT
 public:
  explicit RecentFiles(QWidget* parent = nullptr);

  // Puts `path` first (once), drops the oldest past the limit, and stores it.
  void add(const QString& path);
  // Takes `path` off the list, as after it could not be opened.
  void remove(const QString& path);
  const QStringList& paths() const { return paths_; }

 Q_SIGNALS:
  void chosen(const QString& path);

 private:
  void store();
  void rebuild();

  QStringList paths_;
};

}  // namespace varnholt
