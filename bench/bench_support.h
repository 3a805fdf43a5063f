#pragma once
// Shared pieces of the benchmarks: a scratch folder, a prompt that answers
// Yes, and the plain system-call reads and writes every operation is compared
// against.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "bitmap/bmp_header.h"
#include "container/pt_file.h"
#include "common/user_prompt.h"

namespace pt::bench {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder ($TMPDIR), removed at
// the end. The benchmarks write there, so TMPDIR picks the disk measured.
class BenchDir {
 public:
  BenchDir();
  ~BenchDir();
  BenchDir(const BenchDir&) = delete;
  BenchDir& operator=(const BenchDir&) = delete;
  const fs::path& path() const { return path_; }
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
};

// Answers every question with Yes and remembers what went wrong.
class YesPrompt final : public UserPrompt {
 public:
  long questions = 0;
  long errors = 0;
  std::string lastError;

  bool askYesNo(const std::string&, const std::string&) override {
    ++questions;
    return true;
  }
  void showError(const std::string&, const std::string& text) override {
    ++errors;
    lastError = text;
  }
  void showInfo(const std::string&, const std::string&) override {}
};

// Baseline read: open, read the whole file into `buffer` in one call (looping
// only on a short read), close. Returns the number of bytes read; throws
// std::system_error on failure.
std::size_t plainRead(const fs::path& path, std::span<std::uint8_t> buffer);

// Baseline write, as durable as the program's: an unnamed file (O_TMPFILE)
// in the target's folder, write `data`, fsync, name it `temp` (linkat),
// rename onto `target`, fsync the folder. `temp` must lie in the target's
// folder. Throws std::system_error on failure.
void plainWriteFsyncRename(const fs::path& temp, const fs::path& target,
                           std::span<const std::uint8_t> data);

// Whole-file helpers for setting up and checking, never timed.
Bytes readWholeFile(const fs::path& path);
void writeWholeFile(const fs::path& path, std::span<const std::uint8_t> data);

// The folder the running executable lies in.
fs::path programDir();

// The bitmap header template shipped beside the executables; throws when it
// is missing or invalid.
BmpHeader shippedBmpHeader();

}  // namespace pt::bench
