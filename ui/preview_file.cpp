#include "ui/preview_file.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "bitmap/slot_bitmap_writer.h"
#include "common/data_files.h"
#include "ui/qt_paths.h"

namespace varnholt {

QString previewFolder(const QString& programFolder) {
  const auto header = pt::findDataFile(toPath(programFolder), pt::kBmpHeaderFileName);
  if (header.parent_path() == toPath(programFolder) && QFileInfo(programFolder).isWritable()) return programFolder;
  const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
  if (cache.isEmpty()) return programFolder;
  QDir().mkpath(cache);  // a failure shows when the preview is written
  return cache;
}

PreviewFile::PreviewFile(const QString& programFolder)
    : path_(QDir(programFolder).filePath(kPreviewFileName)) {}

std::optional<QString> PreviewFile::write(const pt::PtFile& file, std::uint8_t slot,
                                          const pt::BmpHeader& header, bool alphaView,
                                          QString& moved) {
  auto written = pt::writeSlotBitmap(file, slot, toPath(path_), header, alphaView);
  if (!written && !moved_) {
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (!cache.isEmpty() && QDir().mkpath(cache)) {
      moved_ = true;
      const QString first = path_;
      path_ = QDir(cache).filePath(kPreviewFileName);
      moved = "the preview cannot be written to " + first + " (" +
              QString::fromStdString(pt::describe(written.error())) + "); previews go to " + path_;
      written = pt::writeSlotBitmap(file, slot, toPath(path_), header, alphaView);
    }
  }
  if (!written) return QString::fromStdString(pt::describe(written.error()));
  return std::nullopt;
}

}  // namespace varnholt
