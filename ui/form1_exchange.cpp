// Export and import of the selected slot, with the format dialog.
#include <QCoreApplication>
#include <QEventLoop>

#include "exchange/slot_files.h"
#include "ui/ex_dialog.h"
#include "ui/form1.h"
#include "ui/import_options_menu.h"
#include "ui/qt_paths.h"
#include "ui/undo_commands.h"

namespace varnholt {

bool Form1::askFormat(std::uint8_t mode) {
  auto* dialog = new ExDialog(ExDialog_Return, this);
  exDialog_ = dialog;
  dialog->SetMode(mode);
  ExDialog_Return.reset();

  // The main window stays usable meanwhile. The wait ends with the answer,
  // or when the dialog is closed or destroyed without one.
  QEventLoop wait;
  formatWait_ = &wait;
  updateActions();
  connect(dialog, &ExDialog::answered, &wait, &QEventLoop::quit);
  connect(dialog, &QDialog::finished, &wait, &QEventLoop::quit);
  connect(dialog, &QObject::destroyed, &wait, &QEventLoop::quit);
  dialog->show();
  if (!closing_) wait.exec();
  formatWait_ = nullptr;
  if (!closing_) updateActions();

  delete exDialog_.data();
  QCoreApplication::processEvents();
  return !closing_ && ExDialog_Return.has_value();
}

void Form1::endFormatWait() {
  if (formatWait_) formatWait_->quit();
}

void Form1::prepareSlotDialog(pt::SlotFileFormat format) {
  const QString pattern = QString("*") + pt::extensionOf(format);  // "*.tex"
  cd.setDefaultExt(pattern.mid(2));
  cd.setFilter(pattern + "|" + pattern);
  cd.setFileName("");
}

void Form1::cbEx_Click() {
  if (!askFormat(0)) return;
  saveTex(*ExDialog_Return);
}

void Form1::saveTex(pt::SlotFileFormat ty) {
  const auto n = selectedSlot();
  if (!n) return;
  prepareSlotDialog(ty);
  cd.setTitle("Extract slot " + QString::number(*n));
  const QString name = cd.showSave();
  if (name.isEmpty()) return;

  // The same routines as ptool's export; every refusal but an unused slot
  // or a kept file says why after the specified line.
  const pt::Status written = pt::exportSlotFile(ptFile, *n, toPath(name), ty, &bmpHeader, false, prompt);
  if (!written) {
    logLine("Slot " + QString::number(*n) + " not extracted");
    logNote(*n, written.error());
    return;
  }
  // A bitmap shows the slot's resolution in the option buttons.
  if (ty == pt::SlotFileFormat::Bmp) showResolution(*n);
  logLine("Slot " + QString::number(*n) + " extracted as " + name);
}

void Form1::Command2_Click() {
  // Without an answer nothing was imported, so there is nothing to refresh.
  if (!askFormat(1)) return;
  importTex(*ExDialog_Return);
  if (const auto n = selectedSlot()) {
    showPreview(*n);
    showResolution(*n);
  }
}

void Form1::importTex(pt::SlotFileFormat ty) {
  const auto n = selectedSlot();
  if (!n) return;
  prepareSlotDialog(ty);
  cd.setTitle("Import into slot " + QString::number(*n) + " from...");
  const QString name = cd.showOpen();
  if (!name.isEmpty()) importFile(ty, name);
}

pt::ImportOptions Form1::importOptions() const { return importOptionsMenu->options(); }

void Form1::importFile(pt::SlotFileFormat format, const QString& path) {
  const auto n = selectedSlot();
  if (!n) return;
  const pt::ImportOptions options = importOptions();
  const SlotsBefore before = recordSlots(ptFile, *n);
  const pt::Result<pt::ImportNotes> notes =
      pt::importSlotFile(ptFile, *n, toPath(path), format, options);
  const QString slot = "Slot " + QString::number(*n);
  if (!notes) {
    logLine(slot + " not loaded with new file");
    logNote(*n, notes.error());
    return;
  }
  recordChange("Import into slot " + QString::number(*n), before, true);
  logLine(slot + " loaded with " + path);
  for (const std::string& line : pt::describeNotes(*notes, options)) logNote(*n, line);
}

}  // namespace varnholt
