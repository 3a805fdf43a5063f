#pragma once
// manifest.json, the record export-all writes beside a container's slot
// files:
//   {"container": NAME,
//    "slots": [{"slot": n, "used": 0|1, "width": w, "height": h,
//               "file": "slotNN.EXT" or null,
//               "size": BYTES, "fnv1a64": "16 hex digits"}, ...]}
// with "size" and "fnv1a64" (the 64-bit FNV-1a hash of the file's bytes)
// on every entry that names a file. import-all takes a folder only when
// each file matches them, so a folder holding files of two exports is
// refused. Manifests without them (written by earlier versions, or by hand)
// are read as before, unchecked.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "common/error.h"
#include "container/pt_file.h"

namespace pt {

inline constexpr const char* kManifestName = "manifest.json";

// The largest manifest read. export-all writes under 8 KiB (20 entries and
// a container name of at most 255 bytes, escaped); the rest is room for
// hand edits. A larger file is refused as too large.
inline constexpr std::size_t kManifestMaxBytes = 64 << 10;

// The slot that a file named as export-all names them ("slotNN.png",
// ".bmp" or ".tex", the extension in any letter case, NN from 00 to 19) is
// for; nullopt for any other name.
std::optional<std::uint8_t> slotOfFileName(const std::string& name);

std::uint64_t fnv1a64(std::span<const std::uint8_t> bytes);

// A slot file as export-all writes it: its name, size and hash.
struct ManifestFile {
  std::uint8_t slot;
  std::string name;
  std::uint64_t size, fnv1a64;
};

// The manifest of a container's export; `files` are the used slots' files.
std::string buildManifest(const std::string& containerName, const PtFile& file,
                          const std::vector<ManifestFile>& files);

struct ManifestEntry {
  std::uint8_t slot;
  std::string file;  // a plain name in the manifest's folder
  std::optional<std::uint64_t> size, fnv1a64;  // both or neither
};

// The entries of a manifest that name a file, in the manifest's order; an
// error (Invalid) says what is wrong, without the file's name.
Result<std::vector<ManifestEntry>> parseManifest(std::span<const std::uint8_t> text);

// Whether `bytes` are the file the entry records (always, when it records
// no size and hash).
bool matchesManifest(const ManifestEntry& entry, std::span<const std::uint8_t> bytes);

}  // namespace pt
