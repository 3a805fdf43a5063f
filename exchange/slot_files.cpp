#include "exchange/slot_files.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "bitmap/bitmap_import.h"
#include "bitmap/slot_bitmap_writer.h"
#include "common/paths.h"
#include "common/file_io.h"
#include "common/program.h"
#include "exchange/check_file.h"
#include "png/png_import.h"
#include "png/slot_png_writer.h"

namespace pt {

namespace fs = std::filesystem;

namespace {

Error notUsed(std::uint8_t slot) {
  return Error{ErrorKind::NotUsed, "slot " + std::to_string(slot) + " holds no texture (not used)"};
}

Error noSlot(std::uint8_t slot) {
  return Error{ErrorKind::Invalid, "there is no slot " + std::to_string(slot)};
}

// The window's exports: a slot that cannot be encoded is refused without a
// message box; a write the system refuses is shown.
Status shownExport(const PtFile& file, std::uint8_t slot, const fs::path& path, SlotFileFormat format,
                   const BmpHeader* header, bool alphaView, UserPrompt& prompt);

}  // namespace

std::optional<SlotFileFormat> slotFileFormatNamed(std::string_view name) {
  if (name == "tex") return SlotFileFormat::Tex;
  if (name == "bmp") return SlotFileFormat::Bmp;
  if (name == "png") return SlotFileFormat::Png;
  return std::nullopt;
}

std::optional<SlotFileFormat> slotFileFormatOf(const fs::path& path) {
  std::string ext = utf8(path.extension());
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  if (ext.empty()) return std::nullopt;
  return slotFileFormatNamed(std::string_view(ext).substr(1));
}

const char* extensionOf(SlotFileFormat format) {
  switch (format) {
    case SlotFileFormat::Tex: return ".tex";
    case SlotFileFormat::Bmp: return ".bmp";
    case SlotFileFormat::Png: return ".png";
  }
  return "";
}

bool holdsAlphaView(SlotFileFormat format) { return format != SlotFileFormat::Tex; }

Result<std::optional<BmpHeader>> slotFileHeader(SlotFileFormat format, const BmpHeader* given) {
  if (given) return std::optional<BmpHeader>(*given);
  if (format != SlotFileFormat::Bmp) return std::optional<BmpHeader>();
  auto loaded = loadBmpHeaderOf(programFolder());
  if (!loaded) return loaded.error();
  return std::optional<BmpHeader>(*loaded);
}

Result<Bytes> slotFileBytes(const PtFile& file, std::uint8_t slot, SlotFileFormat format,
                            const BmpHeader* header, bool alphaView) {
  if (slot >= kSlotCount) return noSlot(slot);
  if (file.slots[slot].used != 1) return notUsed(slot);
  switch (format) {
    case SlotFileFormat::Tex: return buildRawTex(file.slots[slot]);
    case SlotFileFormat::Bmp:
      if (!header) return Error{ErrorKind::Unsupported, "bitmaps need the bitmap header template"};
      return buildSlotBitmap(file, slot, *header, alphaView);
    case SlotFileFormat::Png: break;
  }
  return encodeSlotPng(file.slots[slot], slot, alphaView);
}

Status writeSlotFile(const PtFile& file, std::uint8_t slot, const fs::path& path,
                     std::span<const std::uint8_t> content, UserPrompt& prompt) {
  if (slot >= kSlotCount) return noSlot(slot);
  if (file.slots[slot].used != 1) return notUsed(slot);
  if (auto asked = checkFile(path, 0, prompt); !asked) return asked;
  return safeWriteFile(path, content);
}

Status exportSlotFile(const PtFile& file, std::uint8_t slot, const fs::path& path, SlotFileFormat format,
                      const BmpHeader* header, bool alphaView, UserPrompt& prompt) {
  const auto templ = slotFileHeader(format, header);
  if (!templ) return templ.error();
  auto bytes = slotFileBytes(file, slot, format, templ->has_value() ? &**templ : nullptr, alphaView);
  if (!bytes) return bytes.error();
  return writeSlotFile(file, slot, path, *bytes, prompt);
}

Status exportRawTex(const PtFile& file, std::uint8_t slot, const fs::path& path, UserPrompt& prompt) {
  return shownExport(file, slot, path, SlotFileFormat::Tex, nullptr, false, prompt);
}

Status exportBitmap(const PtFile& file, std::uint8_t slot, const fs::path& path, const BmpHeader& header,
                    UserPrompt& prompt, bool alphaView) {
  return shownExport(file, slot, path, SlotFileFormat::Bmp, &header, alphaView, prompt);
}

Status exportSlotPng(const PtFile& file, std::uint8_t slot, const fs::path& path, UserPrompt& prompt,
                     bool alphaView) {
  return shownExport(file, slot, path, SlotFileFormat::Png, nullptr, alphaView, prompt);
}

Result<ImportNotes> importSlotBytes(PtFile& file, std::uint8_t slot, std::span<const std::uint8_t> bytes,
                                    SlotFileFormat format, const ImportOptions& options) {
  if (slot >= kSlotCount) return noSlot(slot);
  if (format != SlotFileFormat::Tex && bytes.size() > kSlotFileMaxBytes)
    return Error{ErrorKind::Unsupported, "the file has more than " + std::to_string(kSlotFileMaxBytes) +
                                             " bytes, far more than a slot's file"};
  switch (format) {
    case SlotFileFormat::Tex: return importRawTexBytes(bytes, file.slots[slot]);
    case SlotFileFormat::Bmp: return importBitmapBytes(bytes, file.slots[slot], slot, options);
    case SlotFileFormat::Png: break;
  }
  return importPngBytes(bytes, file.slots[slot], slot, options);
}

Result<ImportNotes> importSlotFile(PtFile& file, std::uint8_t slot, const fs::path& path,
                                   SlotFileFormat format, const ImportOptions& options) {
  if (slot >= kSlotCount) return noSlot(slot);
  // A raw file's bytes past the slot's are never used; of any other file one
  // byte past the limit is enough to refuse it.
  auto bytes = readFileHead(path, format == SlotFileFormat::Tex ? kRawTexSize : kSlotFileMaxBytes + 1);
  if (!bytes) return bytes.error();
  return importSlotBytes(file, slot, *bytes, format, options);
}

Result<ImportNotes> importRawTex(PtFile& file, std::uint8_t slot, const fs::path& path) {
  return importSlotFile(file, slot, path, SlotFileFormat::Tex, ImportOptions{});
}

Result<ImportNotes> importBitmap(PtFile& file, std::uint8_t slot, const fs::path& path,
                                 const ImportOptions& options) {
  return importSlotFile(file, slot, path, SlotFileFormat::Bmp, options);
}

Result<ImportNotes> importSlotPng(PtFile& file, std::uint8_t slot, const fs::path& path,
                                  const ImportOptions& options) {
  return importSlotFile(file, slot, path, SlotFileFormat::Png, options);
}

namespace {

Status shownExport(const PtFile& file, std::uint8_t slot, const fs::path& path, SlotFileFormat format,
                   const BmpHeader* header, bool alphaView, UserPrompt& prompt) {
  auto bytes = slotFileBytes(file, slot, format, header, alphaView);
  if (!bytes) return bytes.error();
  return showingIoError(writeSlotFile(file, slot, path, *bytes, prompt), prompt);
}

}  // namespace

Status showingIoError(Status written, UserPrompt& prompt) {
  const ErrorKind kind = written.error().kind;
  if (!written && kind != ErrorKind::NotUsed && kind != ErrorKind::Declined)
    prompt.showError(kAppTitle, describe(written.error()));
  return written;
}

}  // namespace pt
