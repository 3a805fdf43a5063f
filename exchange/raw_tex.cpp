#include "exchange/raw_tex.h"

#include <algorithm>

#include "common/file_io.h"

namespace pt {

Bytes buildRawTex(const PtSlot& slot) {
  Bytes out = slot.palette;
  out.insert(out.end(), slot.pixels.begin(), slot.pixels.end());
  out.insert(out.end(), slot.extra.begin(), slot.extra.end());
  return out;
}

ImportNotes importRawTexBytes(std::span<const std::uint8_t> bytes, PtSlot& slot) {
  std::size_t taken = 0;
  for (Bytes* array : {&slot.palette, &slot.pixels, &slot.extra}) {
    const std::size_t n = std::min(array->size(), bytes.size() - taken);
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(taken), n, array->begin());
    taken += n;
  }
  slot.used = 1;
  ImportNotes notes;
  notes.bytesFromFile = taken;
  return notes;
}

Result<ImportNotes> importRawTexFile(const std::filesystem::path& path, PtSlot& slot) {
  auto bytes = readFileHead(path, kRawTexSize);
  if (!bytes) return bytes.error();
  return importRawTexBytes(*bytes, slot);
}

}  // namespace pt
