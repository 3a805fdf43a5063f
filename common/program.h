#pragma once
// What a program takes from the system at its start: its arguments as UTF-8,
// a console that prints UTF-8, and the folder it lies in. One interface,
// built from program_posix.cpp or program_win32.cpp.
#include <filesystem>
#include <string>
#include <vector>

namespace pt {

// Prepares the process and returns its arguments as UTF-8. POSIX: argv as it
// is; a file size limit turns into a failed write, not a killed process.
// Windows: the wide command line (the narrow argv is in the ANSI code page),
// standard output and error in UTF-8 and binary mode, so that what ptool
// prints is byte for byte what it prints on Linux.
std::vector<std::string> startProgram(int argc, char** argv);

// The folder of the running program; the working folder when unknown.
// Linux: /proc/self/exe; Windows: GetModuleFileNameW.
std::filesystem::path programFolder();

// Keeps the memory a long batch frees for its next steps instead of handing
// it back to the system and faulting it in again (glibc's malloc; nothing
// elsewhere). For a run over many containers, which pass through memory one
// after another.
void keepFreedMemory();

// A function that a library loaded into the process provides, or null; used
// to reach the OpenMP runtime that libimagequant may have loaded, without
// linking any. Windows builds link no OpenMP: always null there.
void* loadedFunction(const char* name);

}  // namespace pt
