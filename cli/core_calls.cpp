#include "cli/core_calls.h"

#include "common/file_io.h"
#include "container/pt_reader.h"
#include "container/pt_writer.h"
#include "exchange/check_file.h"
#include "exchange/slot_files.h"

namespace pt::cli {

namespace fs = std::filesystem;

namespace {

Error declined() { return Error{ErrorKind::Declined, "File exists. Overwrite? No (give --force to replace it)"}; }

}  // namespace

Result<PtFile> readContainer(const fs::path& path) { return loadPtFile(path); }

Status saveContainer(const PtFile& file, const fs::path& path, UserPrompt& prompt) {
  Status saved = savePtFile(file, path, prompt);
  if (!saved && saved.error().kind == ErrorKind::Declined) return declined();
  return saved;
}

Status exportSlot(const PtFile& file, std::uint8_t slot, const fs::path& path, SlotFileFormat format,
                  bool alphaView, UserPrompt& prompt) {
  Status written = exportSlotFile(file, slot, path, format, nullptr, alphaView, prompt);
  if (!written && written.error().kind == ErrorKind::Declined) return declined();
  return written;
}

Status writeAskedFile(const fs::path& path, std::span<const std::uint8_t> bytes, UserPrompt& prompt) {
  if (!checkFile(path, 0, prompt)) return declined();
  return safeWriteFile(path, bytes);
}

}  // namespace pt::cli
