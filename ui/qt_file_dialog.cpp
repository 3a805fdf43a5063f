#include "ui/qt_file_dialog.h"

#include <QFileDialog>
#include <QFileInfo>

namespace varnholt {

namespace {

// Qt's own folder chooser refuses a name that is not an existing folder; this
// one also takes the name of a new folder, which the export then makes.
class FolderChooser final : public QFileDialog {
 public:
  using QFileDialog::QFileDialog;
  QString newFolder;

  void accept() override {
    const QStringList chosen = selectedFiles();
    if (chosen.size() != 1 || QFileInfo::exists(chosen.front())) return QFileDialog::accept();
    newFolder = chosen.front();
    QDialog::accept();
  }
};

}  // namespace

QString QtFileDialog::runOpen() { return run(false); }
QString QtFileDialog::runSave() { return run(true); }

QString QtFileDialog::runFolder(const QString& title) {
  FolderChooser dialog(owner_, title);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly, true);
  if (nonNative_) dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  if (!folder().isEmpty()) {
    // Inside its parent, with the folder itself chosen.
    dialog.setDirectory(QFileInfo(folder()).absolutePath());
    dialog.selectFile(QFileInfo(folder()).fileName());
  } else if (const QString start = directory().isEmpty() ? lastFolder_ : directory(); !start.isEmpty()) {
    dialog.setDirectory(start);
  }
  if (dialog.exec() != QDialog::Accepted) return {};
  if (!dialog.newFolder.isEmpty()) return dialog.newFolder;
  return dialog.selectedFiles().value(0);
}

QString QtFileDialog::run(bool save) {
  QFileDialog dialog(owner_, title());
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  // Any name goes through, also for opening: the file routines say why a
  // name cannot be read, in the program's own words.
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  if (nonNative_) dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  const QStringList filters = qtNameFilters(filter());
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
  dialog.setDefaultSuffix(defaultExt());
  const QString folder = directory().isEmpty() ? lastFolder_ : directory();
  if (!folder.isEmpty()) dialog.setDirectory(folder);
  if (!fileName().isEmpty()) dialog.selectFile(fileName());
  if (dialog.exec() != QDialog::Accepted) return {};
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty() || chosen.front().isEmpty()) return {};
  QString path = chosen.front();
  // Native dialogs may ignore the default suffix; an existing file that
  // has no extension is taken as it is.
  if (save || !QFileInfo::exists(path)) path = withDefaultExt(path, defaultExt());
  lastFolder_ = QFileInfo(path).absolutePath();
  return path;
}

}  // namespace varnholt
