#include "cli/command_support.h"

#include <algorithm>
#include <iostream>

#include "cli/cli_prompt.h"
#include "cli/core_calls.h"
#include "common/paths.h"
#include "container/pt_layout.h"
#include "exchange/raw_tex.h"

namespace pt::cli {

int usageError(const std::string& message) {
  std::cerr << "ptool: " << message << "\nTry 'ptool --help'.\n";
  return kUsage;
}

std::optional<std::uint8_t> parseSlot(const std::string& text) {
  if (text.empty() || text.size() > 2 ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  const int n = std::stoi(text);
  if (n >= static_cast<int>(kSlotCount)) return std::nullopt;
  return static_cast<std::uint8_t>(n);
}

void printReason(const Error& error) { std::cerr << describe(error) << '\n'; }

std::optional<OpenContainer> openContainer(const std::string& in, const std::string* out) {
  std::vector<std::filesystem::path> paths{pathFromUtf8(in)};
  if (out) paths.emplace_back(pathFromUtf8(*out));
  auto locks = ContainerLocks::lock(paths);
  if (!locks) {
    std::cerr << "Open failed of " << in << '\n';
    printReason(locks.error());
    return std::nullopt;
  }
  auto file = readContainer(pathFromUtf8(in));
  if (!file) {
    std::cerr << "Open failed of " << in << '\n';
    printReason(file.error());
    return std::nullopt;
  }
  return OpenContainer{std::move(*locks), std::move(*file)};
}

int saveAndReport(const PtFile& file, const std::string& out, bool force) {
  CliPrompt prompt(force);
  const Status saved = saveContainer(file, pathFromUtf8(out), prompt);
  if (saved) {
    std::cout << "Saved : " << out << '\n';
    return kOk;
  }
  std::cerr << "Save not completed of " << out << '\n';
  printReason(saved.error());
  return kFailed;
}

void printImportNotes(const ImportNotes& notes, const ImportOptions& options) {
  for (const auto& line : describeNotes(notes, options)) std::cerr << line << '\n';
}

}  // namespace pt::cli
