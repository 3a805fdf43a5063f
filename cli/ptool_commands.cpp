#include "cli/ptool_commands.h"

#include <iostream>

#include <nlohmann/json.hpp>

#include "cli/cli_prompt.h"
#include "cli/command_support.h"
#include "cli/core_calls.h"
#include "common/paths.h"
#include "sample/sample_container.h"

namespace pt::cli {

int cmdInfo(const std::string& in, bool json) {
  auto opened = openContainer(in);
  if (!opened) return kFailed;
  nlohmann::ordered_json rows = nlohmann::ordered_json::array();
  for (std::size_t i = 0; i < kSlotCount; ++i) {
    const SlotRow r = slotRow(opened->file, i);
    if (json)
      rows.push_back({{"slot", r.slot}, {"used", r.used}, {"width", r.width}, {"height", r.height}});
    else
      std::cout << r.slot << ' ' << r.used << ' ' << r.width << ' ' << r.height << '\n';
  }
  if (json) std::cout << rows.dump() << '\n';
  return kOk;
}

int cmdCopy(const std::string& in, const std::string& out, bool force) {
  auto opened = openContainer(in);
  if (!opened) return kFailed;
  return saveAndReport(opened->file, out, force);
}

int cmdSample(const std::string& out, bool force) {
  return saveAndReport(makeSamplePtFile(), out, force);
}

int cmdExport(const std::string& in, std::uint8_t slot, const std::string& out, bool alpha,
              bool force) {
  const auto format = slotFileFormatOf(out);
  if (!format) return usageError("OUT must end in .tex, .bmp or .png");
  if (alpha && !holdsAlphaView(*format)) return usageError("--alpha needs a .bmp or .png file");
  auto opened = openContainer(in);
  if (!opened) return kFailed;
  const std::string n = std::to_string(slot);
  CliPrompt prompt(force);
  const Status done = exportSlot(opened->file, slot, pathFromUtf8(out), *format, alpha, prompt);
  if (done) {
    std::cout << "Slot " << n << " extracted as " << out << '\n';
    return kOk;
  }
  std::cerr << "Slot " << n << " not extracted\n";
  printReason(done.error());
  return kFailed;
}

int cmdImport(const std::string& in, std::uint8_t slot, const std::string& source,
              const std::string& out, const ImportOptions& options, bool force) {
  const auto format = slotFileFormatOf(source);
  if (!format) return usageError("FILE must end in .tex, .bmp or .png");
  auto opened = openContainer(in, &out);
  if (!opened) return kFailed;
  const std::string n = std::to_string(slot);
  const auto notes = importSlotFile(opened->file, slot, pathFromUtf8(source), *format, options);
  if (!notes) {
    std::cerr << "Slot " << n << " not loaded with new file\n" << source << ": ";
    printReason(notes.error());
    return kFailed;
  }
  std::cout << "Slot " << n << " loaded with " << source << '\n';
  printImportNotes(*notes, options);
  return saveAndReport(opened->file, out, force);
}

int cmdSetRes(const std::string& in, std::uint8_t slot, const std::string& res,
              const std::string& out, bool force) {
  if (res != "high" && res != "low") return usageError("the resolution must be high or low");
  auto opened = openContainer(in, &out);
  if (!opened) return kFailed;
  setSlotResolution(opened->file.slots[slot], res == "low");
  std::cout << "Set slot " << int(slot) << " to new resolution\n";
  return saveAndReport(opened->file, out, force);
}

}  // namespace pt::cli
