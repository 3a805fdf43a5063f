#pragma once
// The 54-byte header template "bmp_header.bin" that slot bitmaps start from.
#include <array>
#include <filesystem>

#include "bitmap/bmp_layout.h"
#include "common/error.h"

namespace pt {

using BmpHeader = std::array<std::uint8_t, bmp::kTemplateSize>;

inline constexpr const char* kBmpHeaderFileName = "bmp_header.bin";

// Loads the template; a refusal's detail is fit for a message box.
Result<BmpHeader> loadBmpHeader(const std::filesystem::path& path);

// Loads the template a program in `programFolder` ships with (findDataFile:
// beside it in a build tree, under share/varnholt when installed); a
// refusal says where it belongs.
Result<BmpHeader> loadBmpHeaderOf(const std::filesystem::path& programFolder);

// Whether the template can start an uncompressed 8-bit bitmap with its
// palette at 54 and pixels at 1078; Invalid with the reason when it cannot.
Status checkBmpHeader(const BmpHeader& header);

}  // namespace pt
