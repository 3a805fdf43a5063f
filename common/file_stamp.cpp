#include "common/file_stamp.h"

#include <array>
#include <system_error>

#include "common/file_io.h"

namespace pt {

namespace {
constexpr std::uint64_t kFnvBasis = 14695981039346656037ull;
constexpr std::uint64_t kFnvPrime = 1099511628211ull;

std::uint64_t addToChecksum(std::uint64_t hash, std::span<const std::uint8_t> bytes) {
  for (std::uint8_t b : bytes) hash = (hash ^ b) * kFnvPrime;
  return hash;
}

Result<std::int64_t> modifiedTime(const std::filesystem::path& path) {
  std::error_code ec;
  const auto time = std::filesystem::last_write_time(path, ec);
  if (ec) return errnoError(ec.value());
  return static_cast<std::int64_t>(time.time_since_epoch().count());
}
}  // namespace

Result<FileStamp> stampFile(const std::filesystem::path& path) {
  FileReader reader;
  if (Status opened = reader.open(path); !opened) return opened.error();
  const Result<std::int64_t> modified = modifiedTime(path);
  if (!modified) return modified.error();
  FileStamp stamp{reader.size(), *modified, kFnvBasis};
  std::array<std::uint8_t, 1 << 16> buffer{};
  for (std::uint64_t at = 0;;) {
    const Result<std::size_t> got = reader.readAt(at, buffer);
    if (!got) return got.error();
    if (*got == 0) break;
    stamp.checksum = addToChecksum(stamp.checksum, std::span(buffer).first(*got));
    at += *got;
  }
  return stamp;
}

Result<FileStamp> stampWritten(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  const Result<std::int64_t> modified = modifiedTime(path);
  if (!modified) return modified.error();
  return FileStamp{bytes.size(), *modified, addToChecksum(kFnvBasis, bytes)};
}

}  // namespace pt
