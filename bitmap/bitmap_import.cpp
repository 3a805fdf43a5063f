#include "bitmap/bitmap_import.h"

#include "bitmap/bitmap_decode.h"
#include "common/file_io.h"

namespace pt {

namespace {

// Far more than any bitmap of a slot needs (about 260 KB at 32 bits), so
// that a huge file is refused before it is read into memory.
constexpr std::uint64_t kMaxBitmapFileSize = 64ull << 20;

}  // namespace

Result<ImportNotes> importBitmapBytes(std::span<const std::uint8_t> bytes, PtSlot& slot,
                                      std::uint8_t index, const ImportOptions& options) {
  if (index >= kSlotCount || !slotArraysComplete(slot, index))
    return Error{ErrorKind::Incomplete, "the slot's data is incomplete"};
  const auto decoded = decodeBitmap(bytes, options.rows);
  if (!decoded) return decoded.error();
  auto reconciled = reconcilePicture(decoded->picture, slot, index, options);
  if (!reconciled) return reconciled.error();
  storePicture(slot, index, decoded->picture.side, *reconciled, decoded->after);
  ImportNotes notes;
  if (decoded->bottomUp)
    notes.lines.push_back(options.rows == RowOrder::Declared
                              ? "Rows: the bitmap is stored bottom-up, as its header declares; it was turned "
                                "upright."
                              : "Rows: the bitmap is stored bottom-up; its rows were taken in file order, as asked, "
                                "so the picture lands upside down.");
  notes.lines.insert(notes.lines.end(), reconciled->notes.begin(), reconciled->notes.end());
  notes.quantized = reconciled->quantized;
  return notes;
}

Result<ImportNotes> importBitmapFile(const std::filesystem::path& path, PtSlot& slot,
                                     std::uint8_t index, const ImportOptions& options) {
  FileReader reader;
  if (auto opened = reader.open(path); !opened) return opened.error();
  if (reader.size() > kMaxBitmapFileSize)
    return Error{ErrorKind::Unsupported, "the file has " + std::to_string(reader.size()) +
                                             " bytes, far more than a slot's bitmap"};
  Bytes bytes(reader.size());
  auto got = reader.readAt(0, bytes);
  if (!got) return got.error();
  bytes.resize(*got);
  return importBitmapBytes(bytes, slot, index, options);
}

}  // namespace pt
