#pragma once
// The differences of two containers' bytes, part by part of the layout in
// file order, so that flag bytes other than 0 and 1 and the blocks no slot
// owns count too.
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "common/error.h"

namespace pt {

// The first kFileSize bytes of a container file, refused as the reader
// refuses them (NotAContainer, Invalid when too short); bytes after the
// layout's end are not read.
Result<Bytes> readContainerBytes(const std::filesystem::path& path);

// One line per differing part ("header block differs", "slot 0: pixels
// differ (3 bytes)", "slot 7: used 0 → 1", ...); empty when the bytes are the
// same. Both hold at least kFileSize bytes.
std::vector<std::string> diffContainers(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b);

}  // namespace pt
