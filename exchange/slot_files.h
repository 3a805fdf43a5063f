#pragma once
// Slot files in every format, chosen by format, by ptool's format name or by
// a file name's extension: one export and one import entry per format, and
// one export and one import for any format, which the window and ptool call
// alike. Only the per-format exports of the window's commands show
// anything, by one rule (showingIoError).
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>

#include "bitmap/bmp_header.h"
#include "common/error.h"
#include "common/user_prompt.h"
#include "container/pt_file.h"
#include "exchange/raw_tex.h"  // buildRawTex, for the raw export
#include "options/import_options.h"

namespace pt {

enum class SlotFileFormat { Tex, Bmp, Png };

// The format a file name's extension names (any letter case), if any.
std::optional<SlotFileFormat> slotFileFormatOf(const std::filesystem::path& path);
// The format a name such as ptool's --format gives: "tex", "bmp" or "png".
std::optional<SlotFileFormat> slotFileFormatNamed(std::string_view name);
const char* extensionOf(SlotFileFormat format);  // ".tex", ".bmp", ".png"

// Whether a file in `format` can hold the alpha map instead of the picture
// (the alpha view); a raw file holds the slot's data as it is.
bool holdsAlphaView(SlotFileFormat format);

// The header template a file in `format` needs: `given` when there is one,
// else for bitmaps the template the running program ships with
// (loadBmpHeaderOf), with the reason it is missing; none for other formats.
Result<std::optional<BmpHeader>> slotFileHeader(SlotFileFormat format, const BmpHeader* given = nullptr);

// The bytes of a used slot's file; NotUsed for an unused slot. `header` is
// needed for bitmaps only.
Result<Bytes> slotFileBytes(const PtFile& file, std::uint8_t slot, SlotFileFormat format,
                            const BmpHeader* header, bool alphaView);

// Writes `content` (a slot file built from slot `slot`) to path. NotUsed when
// the slot holds no texture (nothing asked, nothing written); Declined when
// the answer to "File exists. Overwrite?" is No; otherwise the operating
// system's error. The file is replaced as a whole and flushed.
Status writeSlotFile(const PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                     std::span<const std::uint8_t> content, UserPrompt& prompt);

// Export of slot `slot` as a file in `format` (`header`: bitmaps only; the
// program's own when null, see slotFileHeader): slotFileBytes, then
// writeSlotFile. The error of either, with its reason; shows nothing.
Status exportSlotFile(const PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                      SlotFileFormat format, const BmpHeader* header, bool alphaView,
                      UserPrompt& prompt);

// The same for one format each, for the window's commands: a write the
// system refuses is also shown (showingIoError); a slot that cannot be
// encoded is not.
Status exportRawTex(const PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                    UserPrompt& prompt);
Status exportBitmap(const PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                    const BmpHeader& header, UserPrompt& prompt, bool alphaView = false);
Status exportSlotPng(const PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                     UserPrompt& prompt, bool alphaView = false);

// Far more than a slot's file of any format (a bitmap is about 260 KB at 32
// bits): a larger file is refused before it is read whole.
inline constexpr std::size_t kSlotFileMaxBytes = 64 << 20;

// Import of one slot from the bytes of a slot file in `format`; a refused
// file leaves the slot as it was. A bitmap or PNG of more than
// kSlotFileMaxBytes is refused unread (a PNG of more than kMaxPngFileSize
// too, by importPngBytes); a raw file gives only the bytes the slot holds.
Result<ImportNotes> importSlotBytes(PtFile& file, std::uint8_t slot, std::span<const std::uint8_t> bytes,
                                    SlotFileFormat format, const ImportOptions& options);

// The same from a file: its bytes, read up to the limit, to importSlotBytes.
Result<ImportNotes> importSlotFile(PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                                   SlotFileFormat format, const ImportOptions& options);

// The same for one format each. A raw file is refused only for an
// input/output error (see importRawTexBytes).
Result<ImportNotes> importRawTex(PtFile& file, std::uint8_t slot, const std::filesystem::path& path);
Result<ImportNotes> importBitmap(PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                                 const ImportOptions& options = {});
Result<ImportNotes> importSlotPng(PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                                  const ImportOptions& options = {});

// The status of an export, after showing its refusal through the prompt with
// the application's title; an unused slot and a kept file are not shown.
Status showingIoError(Status written, UserPrompt& prompt);

}  // namespace pt
