#include "ui/slot_format.h"

#include "ui/qt_paths.h"

namespace varnholt {

std::optional<pt::SlotFileFormat> slotFormatOfFile(const QString& path) {
  return pt::slotFileFormatOf(toPath(path));
}

}  // namespace varnholt
