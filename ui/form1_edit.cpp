// The Edit menu: undo and redo of every change to the open container, copy
// and paste of a slot; and palette entries edited in place.
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>
#include <QTreeWidgetItem>
#include <QUndoStack>

#include "container/slot_clip.h"
#include "exchange/slot_files.h"
#include "ui/form1.h"
#include "ui/palette_edit.h"
#include "ui/palette_grid.h"
#include "ui/preview_pane.h"
#include "ui/slot_clipboard.h"
#include "ui/slot_list.h"
#include "ui/undo_commands.h"

namespace varnholt {

void Form1::buildEditMenu() {
  undoStack_ = new QUndoStack(this);
  // The title's mark follows the stack: undoing to the saved state clears it.
  connect(undoStack_, &QUndoStack::cleanChanged, this, [this](bool clean) { setWindowModified(!clean); });
  auto* editMenu = new QMenu("Edit", this);
  editMenu->setObjectName("editMenu");
  menuBar()->insertMenu(findChild<QMenu*>("viewMenu")->menuAction(), editMenu);
  QAction* undo = undoStack_->createUndoAction(this, "Undo");
  undo->setObjectName("undoAction");
  undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  QAction* redo = undoStack_->createRedoAction(this, "Redo");
  redo->setObjectName("redoAction");
  redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
  editMenu->addActions({undo, redo});
  editMenu->addSeparator();
  copySlotAction = editMenu->addAction("Copy slot", QKeySequence::Copy, this, &Form1::copySlot);
  copySlotAction->setObjectName("copySlotAction");
  pasteSlotAction = editMenu->addAction("Paste into slot", QKeySequence::Paste, this, &Form1::pasteSlot);
  pasteSlotAction->setObjectName("pasteSlotAction");
  connect(paletteGrid, &PaletteGrid::entryActivated, this, &Form1::editPaletteEntry);
  auto picker = std::make_unique<QtColourPicker>();
  picker->setOwner(this);
  colourPicker_ = picker.get();
  ownColourPicker_ = std::move(picker);
}

void Form1::recordChange(const QString& text, const SlotsBefore& before, bool always) {
  auto restored = [this, text](const std::vector<std::uint8_t>& slots, bool undone) {
    showRestoredSlots(slots);
    logLine((undone ? "Undone: " : "Redone: ") + text);
  };
  if (auto command = SlotsCommand::made(text, ptFile, before, restored, always))
    undoStack_->push(command.release());
}

void Form1::showRestoredSlots(const std::vector<std::uint8_t>& slots) {
  for (std::uint8_t i : slots) {
    QTreeWidgetItem* item = lv->topLevelItem(i);
    if (!item) continue;
    const pt::SlotRow row = pt::slotRow(ptFile, i);
    item->setText(1, QString::number(row.used));
    item->setText(2, QString::number(row.width));
    item->setText(3, QString::number(row.height));
  }
  // The pane draws the selected slot again in the view it shows.
  const auto n = selectedSlot();
  if (!n || std::find(slots.begin(), slots.end(), *n) == slots.end()) return;
  pane_->redraw();
  paletteGrid->setPalette(ptFile.slots[*n].palette);
  showResolution(*n);
}

void Form1::setColourPicker(ColourPicker* picker) { colourPicker_ = picker; }

void Form1::editPaletteEntry(int entry) {
  const auto n = selectedSlot();
  if (!opened_ || !n || entry < 0 || entry >= static_cast<int>(pt::kPaletteEntries)) return;
  pt::PtSlot& slot = ptFile.slots[*n];
  const QString which = QString("palette entry %1 of slot %2").arg(entry).arg(*n);
  const std::optional<QColor> colour = colourPicker_->pick(paletteEntry(slot.palette, entry), "Edit " + which);
  if (!colour) return;
  const SlotsBefore before = recordSlots(ptFile, *n);
  setPaletteEntry(slot.palette, entry, *colour);
  recordChange("Edit " + which, before);
  showRestoredSlots({*n});
  const QColor set = paletteEntry(slot.palette, entry);
  logLine(QString("Palette entry %1 of slot %2 set to alpha %3, rgb %4 %5 %6")
              .arg(entry)
              .arg(*n)
              .arg(set.alpha())
              .arg(set.red())
              .arg(set.green())
              .arg(set.blue()));
}

void Form1::copySlot() {
  const auto n = selectedSlot();
  if (!opened_ || !n) return;
  QApplication::clipboard()->setMimeData(slotMimeData(ptFile.slots[*n], *n));
  logLine("Slot " + QString::number(*n) + " copied");
}

void Form1::pasteSlot() {
  const auto n = selectedSlot();
  if (!opened_ || !n) return;
  const QString slot = "Slot " + QString::number(*n);
  const ClipboardSlot clip = slotOnClipboard(QApplication::clipboard()->mimeData());
  const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(clip.bytes.constData()),
                               static_cast<std::size_t>(clip.bytes.size()));
  const auto refused = [&](const std::string& why) {
    logLine(slot + " not pasted");
    logNote(*n, why);
  };
  const SlotsBefore before = recordSlots(ptFile, *n);
  const pt::ImportOptions options = importOptions();
  std::vector<std::string> notes;
  switch (clip.kind) {
    case ClipboardSlot::Kind::None:
      return refused("The clipboard holds neither a slot nor a picture.");
    case ClipboardSlot::Kind::Exact:
      if (const pt::Status pasted = pt::pasteSlotClip(bytes, ptFile.slots[*n], *n); !pasted)
        return refused(pt::describe(pasted.error()));
      logLine(slot + " pasted from a copied slot");
      break;
    case ClipboardSlot::Kind::Png:
      const pt::Result<pt::ImportNotes> imported = pt::importSlotBytes(ptFile, *n, bytes, pt::SlotFileFormat::Png, options);
      if (!imported) return refused(pt::describe(imported.error()));
      logLine(slot + " loaded with the clipboard's picture");
      notes = pt::describeNotes(*imported, options);
      break;
  }
  for (const std::string& line : notes) logNote(*n, line);
  recordChange("Paste into slot " + QString::number(*n), before, true);
  showRestoredSlots({*n});
  // As after an import: the normal view of the new picture.
  showPreview(*n);
}

}  // namespace varnholt
