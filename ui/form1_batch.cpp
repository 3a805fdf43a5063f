// Export and import of all slots at once, through a folder of slotNN files
// and manifest.json, the same folder ptool's export-all and import-all use.
#include <QTreeWidgetItem>

#include "batch/slot_batch.h"
#include "common/paths.h"
#include "ui/form1.h"
#include "ui/qt_paths.h"
#include "ui/slot_list.h"
#include "ui/undo_commands.h"

namespace varnholt {

void Form1::exportAllSlots() {
  const QString folder = cd.showFolder("Export all slots to folder");
  if (folder.isEmpty()) return;
  const auto written = pt::exportSlotFolder(ptFile, pt::utf8(toPath(containerPath_).filename()), toPath(folder),
                                            pt::SlotFileFormat::Png, nullptr, prompt);
  if (!written) {
    logLine("Export of all slots to " + folder + " failed");
    return logNote(std::nullopt, written.error());
  }
  logLine("Exported " + QString::number(*written) + " slots to " + folder);
}

void Form1::importAllSlots() {
  const QString folder = cd.showFolder("Import all slots from folder");
  if (folder.isEmpty()) return;
  const pt::ImportOptions options = importOptions();
  const SlotsBefore before = recordAllSlots(ptFile);
  const pt::FolderImport result = pt::importSlotFolder(ptFile, toPath(folder), options);
  if (!result.refusals.empty()) {
    logLine("Import of all slots from " + folder + " failed");
    for (const pt::Error& why : result.refusals) logNote(std::nullopt, why);
    return;
  }
  logLine("Imported " + QString::number(result.loaded.size()) + " slots from " + folder);
  recordChange("Import all slots", before);
  for (const pt::LoadedSlotFile& loaded : result.loaded)
    for (const std::string& line : pt::describeNotes(loaded.notes, options))
      logNote(loaded.file.slot, line);
  // The rows show the new sizes and used flags; the selection stays.
  for (std::size_t i = 0; i < pt::kSlotCount; ++i) {
    QTreeWidgetItem* item = lv->topLevelItem(static_cast<int>(i));
    if (!item) continue;
    const pt::SlotRow row = pt::slotRow(ptFile, i);
    item->setText(1, QString::number(row.used));
    item->setText(2, QString::number(row.width));
    item->setText(3, QString::number(row.height));
  }
  if (const auto n = selectedSlot()) {
    showPreview(*n);
    showResolution(*n);
  }
}

}  // namespace varnholt
