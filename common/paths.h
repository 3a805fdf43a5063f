#pragma once
// Paths and UTF-8 text. Every name the program reads from its command line,
// a manifest or a dialog is UTF-8, and every name it prints is too. On Linux
// a path is those bytes as they are; on Windows it is UTF-16, and GCC's
// path(std::string) would read the bytes in the wrong code page, so text
// always becomes a path through these two.
#include <filesystem>
#include <string>
#include <string_view>

namespace pt {

inline std::filesystem::path pathFromUtf8(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string utf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace pt
