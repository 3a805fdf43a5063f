// Export and import of the selected slot, with the format dialog.
#include <QCoreApplication>
#include <QEventLoop>

#include "bitmap/bitmap_import.h"
#include "exchange/ex_dialog.h"
#include "exchange/slot_files.h"
#include "ui/form1.h"
#include "ui/qt_paths.h"

namespace varnholt {

bool Form1::askFormat(std::uint8_t mode) {
  auto* dialog = new ExDialog(ExDialog_Return, this);
  exDialog_ = dialog;
  dialog->SetMode(mode);
  ExDialog_Return = 255;

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
  return !closing_ && slotFormatFromAnswer(ExDialog_Return).has_value();
}

void Form1::endFormatWait() {
  if (formatWait_) formatWait_->quit();
}

void Form1::prepareSlotDialog(SlotFormat format) {
  const SlotFormatInfo info = formatInfo(format);
  cd.setDefaultExt(info.extension);
  cd.setFilter(info.filter);
  cd.setFileName("");
}

void Form1::cbEx_Click() {
  if (formatWait_) return;
  if (!askFormat(0)) return;
  saveTex(ExDialog_Return);
}

void Form1::saveTex(std::uint8_t ty) {
  const auto n = selectedSlot();
  const auto format = slotFormatFromAnswer(ty);
  if (!n || !format) return;
  prepareSlotDialog(*format);
  cd.setTitle("Extract slot " + QString::number(*n));
  const QString name = cd.showSave();
  if (name.isEmpty()) return;

  const QString extracted = "Slot " + QString::number(*n) + " extracted as " + name;
  const QString notExtracted = "Slot " + QString::number(*n) + " not extracted";
  switch (*format) {
    case SlotFormat::RawTex:
      logLine(pt::exportRawTex(ptFile, *n, toPath(name), prompt) ? extracted : notExtracted);
      break;
    case SlotFormat::Bitmap:
      if (pt::exportBitmap(ptFile, *n, toPath(name), bmpHeader, prompt)) {
        showResolution(*n);
        logLine(extracted);
      } else {
        logLine(notExtracted);
      }
      break;
    case SlotFormat::Png:
      logLine(notExtracted);
      logLine("PNG files cannot be written yet");
      break;
  }
}

void Form1::Command2_Click() {
  if (formatWait_) return;
  // Without an answer nothing was imported, so there is nothing to refresh.
  if (!askFormat(1)) return;
  importTex(ExDialog_Return);
  if (const auto n = selectedSlot()) {
    showPreview(*n);
    showResolution(*n);
  }
}

void Form1::importTex(std::uint8_t ty) {
  const auto n = selectedSlot();
  const auto format = slotFormatFromAnswer(ty);
  if (!n || !format) return;
  prepareSlotDialog(*format);
  cd.setTitle("Import into slot " + QString::number(*n) + " from...");
  const QString name = cd.showOpen();
  if (!name.isEmpty()) importFile(*format, name);
}

void Form1::importFile(SlotFormat format, const QString& path) {
  const auto n = selectedSlot();
  if (!n) return;
  bool loaded = false;
  switch (format) {
    case SlotFormat::RawTex:
      loaded = static_cast<bool>(pt::importRawTex(ptFile, *n, toPath(path), prompt));
      break;
    case SlotFormat::Bitmap:
      loaded = static_cast<bool>(pt::importBitmap(ptFile, *n, toPath(path), prompt));
      break;
    case SlotFormat::Png:
      break;
  }
  const QString slot = "Slot " + QString::number(*n);
  if (!loaded) {
    logLine(slot + " not loaded with new file");
    if (format == SlotFormat::Png) logLine("PNG files cannot be read yet");
    return;
  }
  markModified();
  logLine(slot + " loaded with " + path);
}

}  // namespace varnholt
