#include "container/pt_diff.h"

#include "common/file_io.h"
#include "container/pt_parts.h"
#include "container/pt_reader.h"

namespace pt {

namespace {

const char* resolution(std::uint8_t flag) { return flag ? "256x256" : "128x128"; }

}  // namespace

Result<Bytes> readContainerBytes(const std::filesystem::path& path) {
  auto bytes = readFileHead(path, kFileSize);
  if (!bytes) return bytes.error();
  if (auto fits = checkContainerBytes(*bytes); !fits) return fits.error();
  return bytes;
}

std::vector<std::string> diffContainers(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
  const auto differing = [&](const LayoutPart& p) {
    std::size_t n = 0;
    for (std::size_t i = p.offset; i < p.offset + p.size; ++i) n += a[i] != b[i];
    return n;
  };
  std::vector<std::string> lines;
  const auto whole = [&](const LayoutPart& p, const std::string& line) {
    if (differing(p)) lines.push_back(line);
  };
  const auto counted = [&](std::size_t n, const std::string& what) {
    if (n) lines.push_back(what + " (" + std::to_string(n) + " bytes)");
  };
  const auto& parts = layoutParts();
  for (std::size_t k = 0; k < parts.size(); ++k) {
    const LayoutPart& p = parts[k];
    const std::string slot = "slot " + std::to_string(p.slot) + ":";
    switch (p.part) {
      case Part::Header: whole(p, "header block differs"); break;
      case Part::PreFlag1: whole(p, "pre-flag byte 1 differs"); break;
      case Part::PreFlag2: whole(p, "pre-flag byte 2 differs"); break;
      case Part::PostFlag1: whole(p, "post-flag byte 1 differs"); break;
      case Part::PostFlag2: whole(p, "post-flag byte 2 differs"); break;
      case Part::UsedFlags:
        for (std::size_t i = 0; i < p.size; ++i)
          if (a[p.offset + i] != b[p.offset + i])
            lines.push_back("slot " + std::to_string(i) + ": used " + std::to_string(a[p.offset + i]) + " → " +
                            std::to_string(b[p.offset + i]));
        break;
      case Part::ResFlags:
        for (std::size_t i = 0; i < p.size; ++i) {
          const std::uint8_t x = a[p.offset + i];
          const std::uint8_t y = b[p.offset + i];
          if (x == y) continue;
          const std::string res = "slot " + std::to_string(i) + ": resolution ";
          if ((x != 0) != (y != 0)) lines.push_back(res + resolution(x) + " → " + resolution(y));
          else lines.push_back(res + "flag " + std::to_string(x) + " → " + std::to_string(y));  // both high
        }
        break;
      case Part::Palette: counted(differing(p), slot + " palette differs"); break;
      case Part::Pixels: {
        // Slot 10's pixel data is one, around the gap: its second part counts here.
        std::size_t n = differing(p);
        if (p.slot == kSplitSlot) n += differing(parts[k + 2]);
        counted(n, slot + " pixels differ");
        break;
      }
      case Part::Gap: whole(p, "gap block differs"); break;
      case Part::Extra: break;
      case Part::Trailer: whole(p, slot + " trailer differs"); break;
      case Part::Tail: whole(p, "tail block differs"); break;
    }
  }
  return lines;
}

}  // namespace pt
