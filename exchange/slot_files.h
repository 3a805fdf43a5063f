#pragma once
// Exporting a slot as a file, and the export and import routines of the
// window's commands.
#include <filesystem>
#include <span>

#include "bitmap/bmp_header.h"
#include "common/error.h"
#include "container/pt_file.h"
#include "container/user_prompt.h"
#include "exchange/raw_tex.h"  // buildRawTex, for the raw export

namespace pt {

// Writes `content` (a slot file built from slot `slot`) to path. NotUsed when
// the slot holds no texture (nothing asked, nothing written); Declined when
// the answer to "File exists. Overwrite?" is No; otherwise the operating
// system's error. The file is replaced as a whole and flushed. Shows nothing.
Status exportSlotFile(const PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                      std::span<const std::uint8_t> content, UserPrompt& prompt);

// The written status, after showing the operating system's refusal through
// the prompt with the application's title (not a used-slot or overwrite No).
Status showingIoError(Status written, UserPrompt& prompt);

// The commands' yes/no routines. An input/output error of an export is shown
// through the prompt with the application's title; imports show nothing.
bool exportRawTex(const PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                  UserPrompt& prompt);
bool exportBitmap(const PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                  const BmpHeader& header, UserPrompt& prompt);
bool importRawTex(PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                  UserPrompt& prompt);

}  // namespace pt
