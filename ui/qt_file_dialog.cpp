#include "ui/qt_file_dialog.h"

#include <QFileDialog>
#include <QFileInfo>

namespace varnholt {

QString QtFileDialog::runOpen() { return run(false); }
QString QtFileDialog::runSave() { return run(true); }

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
