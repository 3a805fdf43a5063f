#include "cli/core_calls.h"

#include "common/data_files.h"
#include "common/file_io.h"
#include "common/program.h"
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
                  const BmpHeader* header, bool alphaView, UserPrompt& prompt) {
  Status written = exportSlotFile(file, slot, path, format, header, alphaView, prompt);
  if (!written && written.error().kind == ErrorKind::Declined) return declined();
  return written;
}

Status writeAskedFile(const fs::path& path, std::span<const std::uint8_t> bytes, UserPrompt& prompt) {
  if (!checkFile(path, 0, prompt)) return declined();
  return safeWriteFile(path, bytes);
}

Result<BmpHeader> headerBesideProgram() {
  auto loaded = loadBmpHeader(findDataFile(programFolder(), kBmpHeaderFileName));
  if (loaded) return *loaded;
  return Error{loaded.error().kind, describe(loaded.error()) + "\nBitmap work needs " +
                                        std::string(kBmpHeaderFileName) + " beside the program."};
}

}  // namespace pt::cli
