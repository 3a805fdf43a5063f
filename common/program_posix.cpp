// The program's start on Linux and other POSIX systems.
#include <dlfcn.h>

#include <csignal>
#include <system_error>

#include "common/program.h"

namespace pt {

std::vector<std::string> startProgram(int argc, char** argv) {
  std::signal(SIGXFSZ, SIG_IGN);
  return std::vector<std::string>(argv, argv + argc);
}

std::filesystem::path programFolder() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::current_path(ec) : exe.parent_path();
}

void* loadedFunction(const char* name) { return dlsym(RTLD_DEFAULT, name); }

}  // namespace pt
