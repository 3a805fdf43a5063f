#pragma once
#include <filesystem>
#include <span>
#include <string>

#include "container/pt_file.h"
#include "container/user_prompt.h"

namespace pt {

enum class ReadStatus { Ok, WrongMagic, TooShort, IoFailure };

struct ReadResult {
  ReadStatus status = ReadStatus::Ok;
  std::string message;  // empty for Ok and WrongMagic
  bool ok() const { return status == ReadStatus::Ok; }
};

// One character per byte, byte n as the character with that code.
std::string bytesToString(std::span<const std::uint8_t> bytes);

// Parses the bytes of a container file into `out`, which is replaced only on
// success. Bytes after the end of the layout are ignored.
ReadResult parsePtBytes(std::span<const std::uint8_t> bytes, PtFile& out);

// Reads a container file into `out` (replaced only on success); shows nothing.
ReadResult loadPtFile(const std::filesystem::path& path, PtFile& out);

// Opens a container: true when the file had the magic and every block was
// read. Errors other than a wrong magic are shown through the prompt with the
// application's title. `ptFile` is left as it was unless the read succeeds.
bool readPtFile(PtFile& ptFile, const std::filesystem::path& path, UserPrompt& prompt);

}  // namespace pt
