#include "ui/slot_format.h"

#include "ui/qt_paths.h"

namespace varnholt {

std::optional<pt::SlotFileFormat> slotFormatFromAnswer(std::uint8_t answer) {
  switch (answer) {
    case 0: return pt::SlotFileFormat::Tex;
    case 1: return pt::SlotFileFormat::Bmp;
    case 2: return pt::SlotFileFormat::Png;
    default: return std::nullopt;
  }
}

std::optional<pt::SlotFileFormat> slotFormatOfFile(const QString& path) {
  return pt::slotFileFormatOf(toPath(path));
}

}  // namespace varnholt
