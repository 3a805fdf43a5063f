#pragma once
#include <string>
#include <vector>

namespace pt::cli {

enum Exit { kOk = 0, kFailed = 1, kUsage = 2 };

// Runs `ptool` with its arguments (without the program name).
int runPtool(const std::vector<std::string>& args);

}  // namespace pt::cli
