// ptool diff: prints the differences the core finds (container/pt_diff.h).
#include <iostream>
#include <string>

#include "cli/command_support.h"
#include "cli/ptool_commands.h"
#include "common/paths.h"
#include "container/pt_diff.h"

namespace pt::cli {

int cmdDiff(const std::string& pathA, const std::string& pathB) {
  const auto a = readContainerBytes(pathFromUtf8(pathA));
  const auto b = readContainerBytes(pathFromUtf8(pathB));
  for (const auto& [path, read] : {std::pair{&pathA, &a}, std::pair{&pathB, &b}})
    if (!read->ok()) {
      std::cerr << "ptool: " << *path << ": " << describe(read->error()) << '\n';
      return kUsage;
    }
  const std::vector<std::string> lines = diffContainers(*a, *b);
  for (const auto& line : lines) std::cout << line << '\n';
  return lines.empty() ? kOk : kFailed;
}

}  // namespace pt::cli
