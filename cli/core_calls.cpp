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

Result<PtFile> readContainer(const fs::path& path) { return loadPtFile(path); }

Status saveContainer(const PtFile& file, const fs::path& path, UserPrompt& prompt) {
  QuietPrompt quiet(prompt);
  Status saved = savePtFile(file, path, quiet);
  if (!saved && saved.error().kind == ErrorKind::Declined) return declined();
  return saved;
}

Status exportSlotFile(const PtFile& file, std::uint8_t slot, const fs::path& path,
                      SlotFileFormat format, const BmpHeader* header, bool alphaView,
                      UserPrompt& prompt) {
  auto bytes = slotFileBytes(file, slot, format, header, alphaView);
  if (!bytes) return bytes.error();
  QuietPrompt quiet(prompt);
  Status written = pt::exportSlotFile(file, slot, path, *bytes, quiet);
  if (!written && written.error().kind == ErrorKind::Declined) return declined();
  return written;
}

Status writeAskedFile(const fs::path& path, std::span<const std::uint8_t> bytes, UserPrompt& prompt) {
  QuietPrompt quiet(prompt);
  if (!checkFile(path, 0, quiet)) return declined();
  return safeWriteFile(path, bytes);
}

Result<BmpHeader> headerBesideProgram() {
  auto loaded = loadBmpHeader(findDataFile(programFolder(), kBmpHeaderFileName));
  if (loaded) return *loaded;
  return Error{loaded.error().kind, describe(loaded.error()) + "\nBitmap work needs " +
                                        std::string(kBmpHeaderFileName) + " beside the program."};
}

}  // namespace pt::cli
