// ptool thumbnail: the used slots as a contact sheet (png/contact_sheet.h),
// for file managers. The picture is written as every export is: an existing
// file is replaced only with --force, and only when it is a regular file.
#include <iostream>

#include "cli/cli_prompt.h"
#include "cli/command_support.h"
#include "cli/core_calls.h"
#include "cli/ptool_commands.h"
#include "common/paths.h"
#include "png/contact_sheet.h"

namespace pt::cli {

int cmdThumbnail(const std::string& in, const std::string& out, int size, bool force) {
  auto opened = openContainer(in);
  if (!opened) return kFailed;
  auto png = contactSheetPng(opened->file, static_cast<std::uint32_t>(size));
  CliPrompt prompt(force);
  Status written = png ? writeAskedFile(pathFromUtf8(out), *png, prompt) : Status(png.error());
  if (!written) {
    std::cerr << "Thumbnail not written of " << in << '\n';
    printReason(written.error());
    return kFailed;
  }
  return kOk;
}

}  // namespace pt::cli
