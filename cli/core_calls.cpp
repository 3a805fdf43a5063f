#include "cli/core_calls.h"

#include <algorithm>
#include <cctype>

#include "bitmap/bitmap_import.h"
#include "bitmap/slot_bitmap_writer.h"
#include "common/data_files.h"
#include "common/file_io.h"
#include "container/pt_reader.h"
#include "container/pt_writer.h"
#include "exchange/slot_files.h"
#include "png/png_import.h"
#include "png/slot_png_writer.h"

namespace pt::cli {

namespace fs = std::filesystem;

namespace {

// Passes questions on and keeps errors to itself: the Status the routine
// returns carries the same reason, which the command prints after its own line.
class QuietPrompt final : public UserPrompt {
 public:
  explicit QuietPrompt(UserPrompt& outer) : outer_(outer) {}
  bool askYesNo(const std::string& t, const std::string& q) override { return outer_.askYesNo(t, q); }
  void showError(const std::string&, const std::string&) override {}
  void showInfo(const std::string& c, const std::string& t) override { outer_.showInfo(c, t); }

 private:
  UserPrompt& outer_;
};

Error declined() { return Error{ErrorKind::Declined, "File exists. Overwrite? No (give --force to replace it)"}; }

}  // namespace

std::optional<SlotFormat> formatOf(const fs::path& path) {
  std::string ext = path.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  if (ext == ".tex") return SlotFormat::Tex;
  if (ext == ".bmp") return SlotFormat::Bmp;
  if (ext == ".png") return SlotFormat::Png;
  return std::nullopt;
}

const char* extensionOf(SlotFormat format) {
  switch (format) {
    case SlotFormat::Tex: return ".tex";
    case SlotFormat::Bmp: return ".bmp";
    case SlotFormat::Png: return ".png";
  }
  return "";
}

Result<PtFile> readContainer(const fs::path& path) { return loadPtFile(path); }

Status saveContainer(const PtFile& file, const fs::path& path, UserPrompt& prompt) {
  QuietPrompt quiet(prompt);
  Status saved = savePtFile(file, path, quiet);
  if (!saved && saved.error().kind == ErrorKind::Declined) return declined();
  return saved;
}

Result<Bytes> slotFileBytes(const PtFile& file, std::uint8_t slot, SlotFormat format,
                            const BmpHeader* header, bool alphaView) {
  if (file.slots[slot].used != 1)
    return Error{ErrorKind::NotUsed, "slot " + std::to_string(slot) + " holds no texture (not used)"};
  switch (format) {
    case SlotFormat::Tex: return buildRawTex(file.slots[slot]);
    case SlotFormat::Bmp: return buildSlotBitmap(file, slot, *header, alphaView);
    case SlotFormat::Png: break;
  }
  Bytes png = encodeSlotPng(file.slots[slot], slot, alphaView);
  if (png.empty()) return Error{ErrorKind::Incomplete, "the slot's data is incomplete"};
  return png;
}

Status exportSlotFile(const PtFile& file, std::uint8_t slot, const fs::path& path,
                      SlotFormat format, const BmpHeader* header, bool alphaView,
                      UserPrompt& prompt) {
  auto bytes = slotFileBytes(file, slot, format, header, alphaView);
  if (!bytes) return bytes.error();
  QuietPrompt quiet(prompt);
  Status written = pt::exportSlotFile(file, slot, path, *bytes, quiet);
  if (!written && written.error().kind == ErrorKind::Declined) return declined();
  return written;
}

Result<ImportNotes> importSlotFile(PtFile& file, std::uint8_t slot, const fs::path& path,
                                   SlotFormat format, const ImportOptions& options) {
  PtSlot& target = file.slots[slot];
  switch (format) {
    case SlotFormat::Tex: return importRawTexFile(path, target);
    case SlotFormat::Bmp: return importBitmapFile(path, target, slot, options);
    case SlotFormat::Png: break;
  }
  return importPngFile(path, target, slot, options);
}

Result<BmpHeader> headerBesideProgram() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  const fs::path folder = ec ? fs::current_path() : exe.parent_path();
  auto loaded = loadBmpHeader(findDataFile(folder, kBmpHeaderFileName));
  if (loaded) return *loaded;
  return Error{loaded.error().kind, describe(loaded.error()) + "\nBitmap work needs " +
                                        std::string(kBmpHeaderFileName) + " beside the program."};
}

}  // namespace pt::cli
