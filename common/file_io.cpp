// The parts of file access that are the same on every system.
#include "common/file_io.h"

#include <algorithm>
#include <system_error>

namespace pt {

namespace fs = std::filesystem;

Result<Bytes> readFileHead(const fs::path& path, std::size_t maxBytes) {
  FileReader reader;
  if (auto opened = reader.open(path); !opened) return opened.error();
  Bytes out(std::min<std::uint64_t>(maxBytes, reader.size()));
  auto got = reader.readAt(0, out);
  if (!got) return got.error();
  out.resize(*got);
  return out;
}

fs::path resolveLinks(fs::path path) {
  for (int depth = 0; depth < 40; ++depth) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(path, ec))) return path;
    fs::path next = fs::read_symlink(path, ec);
    if (ec) return path;
    path = next.is_absolute() ? next : path.parent_path() / next;
  }
  return path;
}

Status safeWriteFile(const fs::path& requested, std::span<const std::uint8_t> data,
                     Durability durability) {
  const std::span<const std::uint8_t> parts[] = {data};
  return safeWriteFile(requested, std::span<const std::span<const std::uint8_t>>(parts), durability);
}

}  // namespace pt
