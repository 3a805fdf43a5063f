#pragma once
// The slot file formats as the window offers them: by the format dialog's
// answer (0 raw data, 1 bitmap, 2 PNG) and by a file name's extension.
#include <QString>
#include <cstdint>
#include <optional>

#include "exchange/slot_files.h"

namespace varnholt {

std::optional<pt::SlotFileFormat> slotFormatFromAnswer(std::uint8_t answer);

// The format a file name's extension names, if any (case-insensitive).
std::optional<pt::SlotFileFormat> slotFormatOfFile(const QString& path);

}  // namespace varnholt
