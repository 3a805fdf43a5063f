#pragma once
// The shared open/save file dialog. Its settings (title, filter, default
// extension, file name) stay as the last command left them; each command
// sets only the ones it needs.
#include <QString>
#include <QStringList>

namespace varnholt {

class FileDialog {
 public:
  virtual ~FileDialog() = default;

  void setTitle(const QString& title) { title_ = title; }
  // Pairs of description and pattern separated by "|", e.g. "*.pt|*.pt".
  void setFilter(const QString& filter) { filter_ = filter; }
  // Extension (without the dot) added when the user types a name without one.
  void setDefaultExt(const QString& ext) { defaultExt_ = ext; }
  void setFileName(const QString& name) { fileName_ = name; }
  // Folder the dialog starts in when the file name setting names none.
  void setDirectory(const QString& folder) { directory_ = folder; }

  const QString& title() const { return title_; }
  const QString& filter() const { return filter_; }
  const QString& defaultExt() const { return defaultExt_; }
  const QString& fileName() const { return fileName_; }
  const QString& directory() const { return directory_; }

  // Modal dialogs. Return the chosen path, which also becomes the file name
  // setting, or "" when the user cancelled (the setting is then kept).
  QString showOpen() { return keep(runOpen()); }
  QString showSave() { return keep(runSave()); }
  // A folder chooser with its own title. It starts at the folder it last
  // gave (setFolder), else in the directory setting; the other settings are
  // neither used nor changed. "" when cancelled.
  QString showFolder(const QString& title) {
    const QString chosen = runFolder(title);
    if (!chosen.isEmpty()) folder_ = chosen;
    return chosen;
  }
  void setFolder(const QString& folder) { folder_ = folder; }
  const QString& folder() const { return folder_; }

 protected:
  virtual QString runOpen() = 0;
  virtual QString runSave() = 0;
  virtual QString runFolder(const QString& title) = 0;

 private:
  QString keep(QString chosen) {
    if (!chosen.isEmpty()) fileName_ = chosen;
    return chosen;
  }

  QString title_;
  QString filter_;
  QString defaultExt_;
  QString fileName_;
  QString directory_;
  QString folder_;
};

// "desc|pattern|desc|pattern" as Qt name filters; a description that is the
// pattern itself is not repeated, and ";" between patterns becomes a blank.
QStringList qtNameFilters(const QString& filter);

// The path with ".ext" appended when its file name has no extension.
QString withDefaultExt(const QString& path, const QString& ext);

}  // namespace varnholt
