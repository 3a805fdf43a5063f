// Another program holding a file, as an editor or a virus scanner does: opens
// FILE without sharing it (nobody may read, write, delete or rename it) for
// MS milliseconds, then exits. Prints "held" once it holds the file.
//   hold_file.exe FILE MS
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  HANDLE h = CreateFileW(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 1;
  std::puts("held");
  std::fflush(stdout);
  Sleep(static_cast<DWORD>(_wtoi(argv[2])));
  CloseHandle(h);
  return 0;
}
