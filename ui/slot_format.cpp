#include "ui/slot_format.h"

#include <QFileInfo>

namespace varnholt {

std::optional<SlotFormat> slotFormatOfFile(const QString& path) {
  const QString ext = QFileInfo(path).suffix().toLower();
  for (SlotFormat f : {SlotFormat::RawTex, SlotFormat::Bitmap, SlotFormat::Png})
    if (ext == QLatin1String(formatInfo(f).extension)) return f;
  return std::nullopt;
}

}  // namespace varnholt
