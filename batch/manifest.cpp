#include "batch/manifest.h"

#include <cstdio>

#include <nlohmann/json.hpp>

#include "exchange/slot_files.h"

namespace pt {

namespace {

using Json = nlohmann::ordered_json;

Error invalid(const std::string& why) { return Error{ErrorKind::Invalid, why}; }

// A manifest names files in its own folder only.
bool plainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\\') == std::string::npos && name.find('\0') == std::string::npos;
}

std::string hex64(std::uint64_t v) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(v));
  return text;
}

std::optional<std::uint64_t> parseHex64(const std::string& text) {
  if (text.size() != 16) return std::nullopt;
  std::uint64_t v = 0;
  for (char c : text) {
    const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                   : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                                          : -1;
    if (digit < 0) return std::nullopt;
    v = v << 4 | static_cast<std::uint64_t>(digit);
  }
  return v;
}

}  // namespace

std::optional<std::uint8_t> slotOfFileName(const std::string& name) {
  const auto digit = [&](std::size_t i) { return name[i] >= '0' && name[i] <= '9'; };
  if (name.size() != 10 || name.compare(0, 4, "slot") != 0 || !digit(4) || !digit(5) || name[6] != '.' ||
      !slotFileFormatOf(name))
    return std::nullopt;
  const unsigned n = (name[4] - '0') * 10u + (name[5] - '0');
  if (n >= kSlotCount) return std::nullopt;
  return static_cast<std::uint8_t>(n);
}

std::uint64_t fnv1a64(std::span<const std::uint8_t> bytes) {
  std::uint64_t h = 0xcbf29ce484222325ull;
  for (std::uint8_t b : bytes) h = (h ^ b) * 0x100000001b3ull;
  return h;
}

std::string buildManifest(const std::string& containerName, const PtFile& file,
                          const std::vector<ManifestFile>& files) {
  Json slots = Json::array();
  for (std::size_t i = 0; i < kSlotCount; ++i) {
    const SlotRow r = slotRow(file, i);
    Json entry{{"slot", r.slot}, {"used", r.used}, {"width", r.width}, {"height", r.height}, {"file", nullptr}};
    for (const auto& f : files)
      if (f.slot == i) {
        entry["file"] = f.name;
        entry["size"] = f.size;
        entry["fnv1a64"] = hex64(f.fnv1a64);
      }
    slots.push_back(std::move(entry));
  }
  // A file name need not be UTF-8: bytes that are not become U+FFFD rather
  // than an exception.
  return Json{{"container", containerName}, {"slots", slots}}.dump(2, ' ', false, Json::error_handler_t::replace) +
         "\n";
}

Result<std::vector<ManifestEntry>> parseManifest(std::span<const std::uint8_t> text) {
  const Json j = Json::parse(text.begin(), text.end(), nullptr, false);
  if (j.is_discarded()) return invalid("not valid JSON");
  if (!j.is_object() || !j.contains("slots") || !j["slots"].is_array()) return invalid("no \"slots\" array");
  std::vector<ManifestEntry> entries;
  bool seen[kSlotCount] = {};
  for (const auto& e : j["slots"]) {
    if (!e.is_object() || !e.contains("slot") || !e["slot"].is_number_unsigned() ||
        e["slot"].get<std::uint64_t>() >= kSlotCount)
      return invalid("a slot entry without a slot number from 0 to 19");
    const auto slot = e["slot"].get<std::uint8_t>();
    const std::string at = "slot " + std::to_string(slot) + ": ";
    if (seen[slot]) return invalid("slot " + std::to_string(slot) + " is listed twice");
    seen[slot] = true;
    if (!e.contains("file") || e["file"].is_null()) continue;
    if (!e["file"].is_string() || !plainName(e["file"].get<std::string>()))
      return invalid(at + "\"file\" must be null or a file name in the folder");
    ManifestEntry entry{slot, e["file"].get<std::string>(), std::nullopt, std::nullopt};
    const bool sized = e.contains("size"), hashed = e.contains("fnv1a64");
    if (sized != hashed) return invalid(at + "\"size\" and \"fnv1a64\" go together");
    if (sized) {
      if (!e["size"].is_number_unsigned()) return invalid(at + "\"size\" must be a number of bytes");
      entry.size = e["size"].get<std::uint64_t>();
      entry.fnv1a64 = e["fnv1a64"].is_string() ? parseHex64(e["fnv1a64"].get<std::string>()) : std::nullopt;
      if (!entry.fnv1a64) return invalid(at + "\"fnv1a64\" must be 16 hexadecimal digits");
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

bool matchesManifest(const ManifestEntry& entry, std::span<const std::uint8_t> bytes) {
  if (!entry.size) return true;
  return bytes.size() == *entry.size && fnv1a64(bytes) == *entry.fnv1a64;
}

}  // namespace pt
