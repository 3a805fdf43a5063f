// The slot list, the preview with its alpha view, and the resolution switch.
#include <QPushButton>
#include <QRadioButton>

#include "ui/form1.h"
#include "ui/palette_grid.h"
#include "ui/preview_pane.h"
#include "ui/slot_list.h"
#include "ui/undo_commands.h"

namespace varnholt {

namespace {
const QStringList kColumns = {"slot", "used", "width", "heigth"};
}

std::optional<std::uint8_t> Form1::selectedSlot() const {
  const int position = lv->selectedPosition();
  if (position < 1 || position > static_cast<int>(pt::kSlotCount)) return std::nullopt;
  return static_cast<std::uint8_t>(position - 1);
}

void Form1::fillSlotList() {
  lv->clear();
  if (lv->columnCount() != kColumns.size()) lv->setColumnCount(static_cast<int>(kColumns.size()));
  lv->setHeaderLabels(kColumns);
  const int columnWidth = lv->viewport()->width() / 4;
  for (int c = 0; c < lv->columnCount(); ++c) lv->setColumnWidth(c, columnWidth);

  QList<QTreeWidgetItem*> rows;
  for (std::size_t i = 0; i < pt::kSlotCount; ++i) {
    const pt::SlotRow row = pt::slotRow(ptFile, i);
    auto* item = new QTreeWidgetItem(QStringList{QString::number(row.slot), QString::number(row.used),
                                                 QString::number(row.width),
                                                 QString::number(row.height)});
    item->setData(0, SlotList::kKeyRole, "t" + QString::number(row.slot));
    rows << item;
  }
  lv->addTopLevelItems(rows);
  // Selected by the program: no preview log line for this one.
  lv->setCurrentItem(lv->topLevelItem(0));
  showPreview(0);
  if (ptFile.slots[0].height == pt::kLowResHeightAsRead)
    lowres->setChecked(true);
  else
    highres->setChecked(true);
}

void Form1::showPreview(std::uint8_t slot) { writePreviewFile(slot, false); }

// "pre.bmp" is written for every preview; the pane itself draws the slot from
// memory, which also keeps the palette's alpha that a bitmap reader drops.
// When no preview file can be written the pane keeps its picture.
bool Form1::writePreviewFile(std::uint8_t slot, bool alphaView) {
  QString moved;
  const auto error = preview_.write(ptFile, slot, bmpHeader, alphaView, moved);
  if (!moved.isEmpty()) logNote(slot, moved.toStdString());
  if (error) {
    logNote(slot, "the preview was not written: " + error->toStdString());
    return false;
  }
  pane_->showSlot(ptFile.slots[slot], alphaView);
  paletteGrid->setPalette(ptFile.slots[slot].palette);
  return true;
}

void Form1::setAlphaShown(bool on) {
  alphaShown = on;
  const QString caption = on ? "View normal" : "View alpha";
  alphaAction->setText(caption);
  alphaAction->setIconText(caption);
}

void Form1::showResolution(std::uint8_t slot) {
  if (pt::isLowRes(ptFile.slots[slot].height))
    lowres->setChecked(true);
  else
    highres->setChecked(true);
}

void Form1::lv_Click() {
  const auto n = selectedSlot();
  if (!n) return;
  if (!writePreviewFile(*n, false)) return;
  setAlphaShown(false);
  showResolution(*n);
  logLine("Preview of slot " + QString::number(*n) + " created.");
}

void Form1::Command4_Click() {
  const auto n = selectedSlot();
  if (!n) return;
  const QString number = QString::number(*n);
  logLine(alphaShown ? "Creating preview of slot " + number
                     : "Creating alpha (transparency) indication in grey scale of slot " + number);
  if (writePreviewFile(*n, !alphaShown)) setAlphaShown(!alphaShown);
}

void Form1::highres_Click() {
  if (highres->isChecked()) lowres->setChecked(false);
}

void Form1::lowres_Click() {
  if (lowres->isChecked()) highres->setChecked(false);
}

void Form1::Command3_Click() {
  const auto n = selectedSlot();
  if (!n) return;
  const SlotsBefore before = recordSlots(ptFile, *n);
  pt::setSlotResolution(ptFile.slots[*n], lowres->isChecked());
  recordChange(QString("Set slot %1 to %2").arg(*n).arg(lowres->isChecked() ? "128x128" : "256x256"), before);
  showPreview(*n);
  logLine("Set slot " + QString::number(*n) + " to new resolution");
}

}  // namespace varnholt
