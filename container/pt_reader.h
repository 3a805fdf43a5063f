#pragma once
#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "common/error.h"
#include "container/pt_file.h"
#include "common/user_prompt.h"

namespace pt {

// One character per byte, byte n as the character with that code.
std::string bytesToString(std::span<const std::uint8_t> bytes);

// Success when the bytes start with the magic and reach the layout's end;
// otherwise NotAContainer or Invalid with the reason.
Status checkContainerBytes(std::span<const std::uint8_t> bytes);

// A container from the bytes of a ".pt" file. NotAContainer when the bytes
// do not start with the magic, Invalid when they end before the layout does;
// bytes after the layout are ignored.
Result<PtFile> parsePtFile(std::span<const std::uint8_t> bytes);

// The same from a file: its bytes go straight into the container's arrays.
Result<PtFile> loadPtFile(const std::filesystem::path& path);

// The used flag bytes of the container at path as stored (the reader takes
// any non-zero byte as used), without reading its pictures. A file that is
// not a whole container is read in full for the reader's reason.
using UsedFlags = std::array<std::uint8_t, kSlotCount>;
Result<UsedFlags> readUsedFlags(const std::filesystem::path& path);

// Opens a container into ptFile: success when the file had the magic and
// every block was read. Every error but NotAContainer is also shown through
// the prompt with the application's title. ptFile changes only on success.
Status readPtFile(PtFile& ptFile, const std::filesystem::path& path, UserPrompt& prompt);

}  // namespace pt
