// Export and import of the selected slot, with the format dialog.
#include <QCoreApplication>
#include <QEventLoop>

#include "bitmap/bitmap_import.h"
#include "exchange/ex_dialog.h"
#include "exchange/slot_files.h"
#include "ui/form1.h"
#include "ui/qt_paths.h"
#include "ui/slot_list.h"

namespace varnholt {

namespace {

void setFormatFilter(FileDialog& cd, std::uint8_t ty) {
  if (ty == 0) {
    cd.setDefaultExt("tex");
    cd.setFilter("*.tex|*.tex");
  } else if (ty == 1) {
    cd.setDefaultExt("bmp");
    cd.setFilter("*.bmp|*.bmp");
  }
}

}  // namespace

bool Form1::askFormat(std::uint8_t mode) {
  auto* dialog = new ExDialog(ExDialog_Return, this);
  exDialog_ = dialog;
  dialog->SetMode(mode);
  ExDialog_Return = 255;

  // The main window stays usable meanwhile. The wait ends with the answer,
  // or when the dialog is closed or destroyed without one.
  QEventLoop wait;
  formatWait_ = &wait;
  connect(dialog, &ExDialog::answered, &wait, &QEventLoop::quit);
  connect(dialog, &QDialog::finished, &wait, &QEventLoop::quit);
  connect(dialog, &QObject::destroyed, &wait, &QEventLoop::quit);
  dialog->show();
  if (!closing_) wait.exec();
  formatWait_ = nullptr;

  delete exDialog_.data();
  QCoreApplication::processEvents();
  return !closing_ && ExDialog_Return != 255;
}

void Form1::endFormatWait() {
  if (formatWait_) formatWait_->quit();
}

void Form1::cbEx_Click() {
  if (formatWait_) return;
  if (!askFormat(0)) return;
  saveTex(ExDialog_Return);
}

void Form1::saveTex(std::uint8_t ty) {
  if (lv->topLevelItemCount() == 0) return;
  const int n = selectedSlot();
  if (n < 0) return;
  setFormatFilter(cd, ty);
  cd.setTitle("Extract slot " + QString::number(n));
  cd.setFileName("");
  const QString name = cd.showSave();
  if (name.isEmpty()) return;

  const auto slot = static_cast<std::uint8_t>(n);
  const QString extracted = "Slot " + QString::number(n) + " extracted as " + name;
  const QString notExtracted = "Slot " + QString::number(n) + " not extracted";
  if (ty == 0) {
    logLine(pt::exportRawTex(ptFile, slot, toPath(name), prompt) ? extracted : notExtracted);
  } else if (ty == 1) {
    if (pt::exportBitmap(ptFile, slot, toPath(name), bmpHeader, prompt)) {
      showResolution(slot);
      logLine(extracted);
    } else {
      logLine(notExtracted);
    }
  }
}

void Form1::Command2_Click() {
  if (formatWait_) return;
  // Without an answer nothing was imported, so there is nothing to refresh.
  if (!askFormat(1)) return;
  importTex(ExDialog_Return);
  const int n = selectedSlot();
  if (n < 0) return;
  showPreview(static_cast<std::uint8_t>(n));
  showResolution(static_cast<std::uint8_t>(n));
}

void Form1::importTex(std::uint8_t ty) {
  if (lv->topLevelItemCount() == 0) return;
  setFormatFilter(cd, ty);
  const int n = selectedSlot();
  if (n < 0) return;
  cd.setTitle("Import into slot " + QString::number(n) + " from...");
  cd.setFileName("");
  const QString name = cd.showOpen();
  if (name.isEmpty()) return;

  const auto slot = static_cast<std::uint8_t>(n);
  bool loaded = false;
  if (ty == 0)
    loaded = pt::importRawTex(ptFile, slot, toPath(name), prompt);
  else if (ty == 1)
    loaded = pt::importBitmap(ptFile, slot, toPath(name), prompt);
  else
    return;
  logLine(loaded ? "Slot " + QString::number(n) + " loaded with " + name
                 : "Slot " + QString::number(n) + " not loaded with new file");
}

}  // namespace varnholt
