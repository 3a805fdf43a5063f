#include "exchange/slot_files.h"

#include <algorithm>
#include <cctype>

#include "bitmap/bitmap_import.h"
#include "bitmap/slot_bitmap_writer.h"
#include "common/file_io.h"
#include "exchange/check_file.h"
#include "exchange/raw_tex.h"
#include "png/png_import.h"
#include "png/slot_png_writer.h"

namespace pt {

namespace fs = std::filesystem;

std::optional<SlotFileFormat> slotFileFormatOf(const fs::path& path) {
  std::string ext = path.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  if (ext == ".tex") return SlotFileFormat::Tex;
  if (ext == ".bmp") return SlotFileFormat::Bmp;
  if (ext == ".png") return SlotFileFormat::Png;
  return std::nullopt;
}

const char* extensionOf(SlotFileFormat format) {
  switch (format) {
    case SlotFileFormat::Tex: return ".tex";
    case SlotFileFormat::Bmp: return ".bmp";
    case SlotFileFormat::Png: return ".png";
  }
  return "";
}

Result<Bytes> slotFileBytes(const PtFile& file, std::uint8_t slot, SlotFileFormat format,
                            const BmpHeader* header, bool alphaView) {
  if (file.slots[slot].used != 1)
    return Error{ErrorKind::NotUsed, "slot " + std::to_string(slot) + " holds no texture (not used)"};
  switch (format) {
    case SlotFileFormat::Tex: return buildRawTex(file.slots[slot]);
    case SlotFileFormat::Bmp:
      if (!header) return Error{ErrorKind::Unsupported, "bitmaps need the bitmap header template"};
      return buildSlotBitmap(file, slot, *header, alphaView);
    case SlotFileFormat::Png: break;
  }
  return encodeSlotPng(file.slots[slot], slot, alphaView);
}

Result<ImportNotes> importSlotFile(PtFile& file, std::uint8_t slot, const fs::path& path,
                                   SlotFileFormat format, const ImportOptions& options) {
  switch (format) {
    case SlotFileFormat::Tex: return importRawTexFile(path, file.slots[slot]);
    case SlotFileFormat::Bmp: return importBitmapFile(path, file.slots[slot], slot, options);
    case SlotFileFormat::Png: break;
  }
  return importPngFile(path, file.slots[slot], slot, options);
}

Status showingIoError(Status written, UserPrompt& prompt) {
  const ErrorKind kind = written.error().kind;
  if (!written && kind != ErrorKind::NotUsed && kind != ErrorKind::Declined)
    prompt.showError(kAppTitle, describe(written.error()));
  return written;
}

Status exportSlotFile(const PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                      std::span<const std::uint8_t> content, UserPrompt& prompt) {
  if (file.slots[slot].used != 1)
    return Error{ErrorKind::NotUsed, "slot " + std::to_string(slot) + " holds no texture (not used)"};
  if (!checkFile(path, 0, prompt)) return Error{ErrorKind::Declined, "the existing file was kept"};
  return safeWriteFile(path, content);
}

bool exportRawTex(const PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                  UserPrompt& prompt) {
  return showingIoError(exportSlotFile(file, slot, path, buildRawTex(file.slots[slot]), prompt), prompt).ok();
}

bool exportBitmap(const PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                  const BmpHeader& header, UserPrompt& prompt) {
  const Bytes content = buildSlotBitmap(file, slot, header, false);
  return showingIoError(exportSlotFile(file, slot, path, content, prompt), prompt).ok();
}

bool importRawTex(PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                  UserPrompt& /*prompt: a file that is only read needs no question*/) {
  return importRawTexFile(path, file.slots[slot]).ok();
}

Status exportSlotPng(const PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                     UserPrompt& prompt, bool alphaView) {
  if (slot >= kSlotCount) return Error{ErrorKind::Invalid, "there is no slot " + std::to_string(slot)};
  if (file.slots[slot].used != 1) return exportSlotFile(file, slot, path, {}, prompt);
  Result<Bytes> png = encodeSlotPng(file.slots[slot], slot, alphaView);
  if (!png) return png.error();
  return showingIoError(exportSlotFile(file, slot, path, *png, prompt), prompt);
}

}  // namespace pt
