// The program's start on Windows.
#include "common/win32_support.h"  // windows.h first

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "common/program.h"

extern "C" {
struct StartupInfo {
  int newMode;
};
// msvcrt.dll's wide counterpart of argc and argv.
int __wgetmainargs(int* argc, wchar_t*** argv, wchar_t*** env, int expandWildcards, StartupInfo* startup);
}

namespace pt {

std::vector<std::string> startProgram(int argc, char** argv) {
  // Binary: "\n" stays "\n", as on Linux. UTF-8 for the console's display.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  SetConsoleOutputCP(CP_UTF8);
  // The C runtime's own split of the wide command line (the rules of
  // quotes and backslashes that made argv), without SHELL32.
  int count = 0;
  wchar_t** wide = nullptr;
  wchar_t** environment = nullptr;
  StartupInfo startup{};
  if (__wgetmainargs(&count, &wide, &environment, 0, &startup) != 0 || !wide)
    return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> args;
  for (int i = 0; i < count; ++i) args.push_back(win32::utf8(wide[i]));
  return args;
}

std::filesystem::path programFolder() {
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (n == 0) return std::filesystem::current_path();
    if (n < name.size()) {
      name.resize(n);
      return std::filesystem::path(name).parent_path();
    }
    name.resize(name.size() * 2);
  }
}

void keepFreedMemory() {}

void* loadedFunction(const char*) { return nullptr; }

}  // namespace pt
