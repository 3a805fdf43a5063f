#pragma once
#include <filesystem>
#include <span>
#include <string>

#include "common/error.h"
#include "container/pt_file.h"
#include "common/user_prompt.h"

namespace pt {

// One character per byte, byte n as the character with that code.
std::string bytesToString(std::span<const std::uint8_t> bytes);

// A container from the bytes of a ".pt" file. Invalid when the bytes do not
// start with the magic or end before the layout does; bytes after the layout
// are ignored.
Result<PtFile> parsePtFile(std::span<const std::uint8_t> bytes);

// The same from a file: its bytes go straight into the container's arrays.
Result<PtFile> loadPtFile(const std::filesystem::path& path);

// Opens a container into ptFile: true when the file had the magic and every
// block was read. Every error but a missing magic is shown through the
// prompt with the application's title. ptFile changes only on success.
bool readPtFile(PtFile& ptFile, const std::filesystem::path& path, UserPrompt& prompt);

}  // namespace pt
