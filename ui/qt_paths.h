#pragma once
// QString paths to std::filesystem paths and back, without loss.
#include <QString>
#include <filesystem>

namespace varnholt {

inline std::filesystem::path toPath(const QString& s) {
  return std::filesystem::path(s.toStdU16String());
}
inline QString fromPath(const std::filesystem::path& p) {
  return QString::fromStdU16String(p.u16string());
}

}  // namespace varnholt
