#pragma once
// The slot file format a dropped file's name gives.
#include <QString>
#include <cstdint>
#include <optional>

#include "exchange/slot_files.h"

namespace varnholt {

// The format a file name's extension names, if any (case-insensitive).
std::optional<pt::SlotFileFormat> slotFormatOfFile(const QString& path);

}  // namespace varnholt
