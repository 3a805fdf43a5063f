// The slot list, the preview with its alpha view, and the resolution switch.
#include <QHeaderView>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>

#include "ui/form1.h"
#include "ui/slot_list.h"

namespace varnholt {

namespace {
const QStringList kColumns = {"slot", "used", "width", "heigth"};
}

int Form1::selectedSlot() const { return lv->selectedPosition() - 1; }

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

void Form1::showPreview(std::uint8_t slot) { writeAndShowPreview(slot, false); }

bool Form1::writeAndShowPreview(std::uint8_t slot, bool alphaView) {
  QString moved;
  const auto error = preview_.write(ptFile, slot, bmpHeader, alphaView, moved);
  if (!moved.isEmpty()) logLine(moved);
  if (error) {
    logLine("Preview of slot " + QString::number(slot) + " not written: " + *error);
    return false;
  }
  // Read through QImage: a pixmap loaded by path can come from Qt's cache,
  // which does not notice a file rewritten within the same second.
  QImageReader reader(preview_.path());
  const QImage image = reader.read();
  if (image.isNull()) {
    logLine("Preview of slot " + QString::number(slot) + " not shown: " + reader.errorString());
    return false;
  }
  p1->setPixmap(QPixmap::fromImage(image));
  return true;
}

void Form1::showResolution(std::uint8_t slot) {
  if (pt::isLowRes(ptFile.slots[slot].height))
    lowres->setChecked(true);
  else
    highres->setChecked(true);
}

void Form1::lv_Click() {
  if (lv->topLevelItemCount() == 0) return;
  const int n = selectedSlot();
  if (n < 0) return;
  alphaShown = false;
  Command4->setText("View alpha");
  const auto slot = static_cast<std::uint8_t>(n);
  writeAndShowPreview(slot, false);
  showResolution(slot);
  logLine("Preview of slot " + QString::number(n) + " created.");
}

void Form1::Command4_Click() {
  const int n = selectedSlot();
  if (n < 0) return;
  const auto slot = static_cast<std::uint8_t>(n);
  if (!alphaShown) {
    logLine("Creating alpha (transparency) indication in grey scale of slot " + QString::number(n));
    writeAndShowPreview(slot, true);
    Command4->setText("View normal");
    alphaShown = true;
  } else {
    logLine("Creating preview of slot " + QString::number(n));
    writeAndShowPreview(slot, false);
    Command4->setText("View alpha");
    alphaShown = false;
  }
}

void Form1::highres_Click() {
  if (highres->isChecked()) lowres->setChecked(false);
}

void Form1::lowres_Click() {
  if (lowres->isChecked()) highres->setChecked(false);
}

void Form1::Command3_Click() {
  const bool low = lowres->isChecked();
  const int n = selectedSlot();
  if (n < 0) return;
  const auto slot = static_cast<std::uint8_t>(n);
  pt::setSlotResolution(ptFile.slots[slot], low);
  showPreview(slot);
  logLine("Set slot " + QString::number(n) + " to new resolution");
}

}  // namespace varnholt
