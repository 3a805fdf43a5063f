// The program's start on Linux and other POSIX systems.
#include <dlfcn.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

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

void keepFreedMemory() {
#ifdef __GLIBC__
  mallopt(M_MMAP_THRESHOLD, 64 << 20);
  mallopt(M_TRIM_THRESHOLD, 512 << 20);
#endif
}

void* loadedFunction(const char* name) { return dlsym(RTLD_DEFAULT, name); }

}  // namespace pt
