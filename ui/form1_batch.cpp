// Export and import of all slots at once, through a folder of slotNN files
// and manifest.json, the same folder ptool's export-all and import-all use.
#include <QTreeWidgetItem>

#include "batch/slot_batch.h"
#include "ui/form1.h"
#include "ui/qt_paths.h"
#include "ui/slot_list.h"
#include "ui/undo_commands.h"

namespace varnholt {

namespace {

// One question for every file export-all would replace, naming the first few.
QString overwriteQuestion(const std::vector<std::filesystem::path>& existing, std::size_t planned,
                          const QString& folder) {
  constexpr std::size_t kNamed = 5;
  QStringList names;
  for (std::size_t i = 0; i < existing.size() && i < kNamed; ++i) names << fromPath(existing[i].filename());
  QString list = names.join(", ");
  if (existing.size() > kNamed) list += QString(" and %1 more").arg(existing.size() - kNamed);
  return QString("%1 of the %2 files to write exist already in %3:\n%4\nOverwrite them?")
      .arg(existing.size())
      .arg(planned)
      .arg(folder, list);
}

}  // namespace

void Form1::exportAllSlots() {
  const QString folder = cd.showFolder("Export all slots to folder");
  if (folder.isEmpty()) return;
  const auto failed = [&](const std::string& why) {
    logLine("Export of all slots to " + folder + " failed");
    logNote(std::nullopt, why);
  };
  const auto plan = pt::planExport(ptFile, toPath(containerPath_).filename().string(), toPath(folder),
                                   pt::SlotFileFormat::Png, nullptr);
  if (!plan) return failed(pt::describe(plan.error()));
  // One question for all files; No writes none of them.
  const auto existing = pt::existingTargets(*plan);
  if (!existing.empty() &&
      !prompt.askYesNo("Export all slots", overwriteQuestion(existing, plan->size(), folder).toStdString()))
    return failed("the existing files were kept");
  if (const pt::Status written = pt::writePlannedFiles(toPath(folder), *plan); !written)
    return failed(pt::describe(written.error()));
  logLine("Exported " + QString::number(plan->size() - 1) + " slots to " + folder);
}

void Form1::importAllSlots() {
  const QString folder = cd.showFolder("Import all slots from folder");
  if (folder.isEmpty()) return;
  const pt::ImportOptions options = importOptions();
  const SlotsBefore before = recordAllSlots(ptFile);
  const pt::FolderImport result = pt::importSlotFolder(ptFile, toPath(folder), options);
  if (!result.refusals.empty()) {
    logLine("Import of all slots from " + folder + " failed");
    for (const std::string& why : result.refusals) logNote(std::nullopt, why);
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
