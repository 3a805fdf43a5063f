#pragma once
// The file formats a slot is exported to and imported from, by the format
// dialog's answer (0, 1, ...) and by file extension.
#include <QString>
#include <cstdint>
#include <optional>

namespace varnholt {

enum class SlotFormat : std::uint8_t { RawTex = 0, Bitmap = 1, Png = 2 };

struct SlotFormatInfo {
  const char* extension;  // without the dot
  const char* filter;     // for FileDialog::setFilter
};

inline std::optional<SlotFormat> slotFormatFromAnswer(std::uint8_t answer) {
  if (answer > static_cast<std::uint8_t>(SlotFormat::Png)) return std::nullopt;
  return static_cast<SlotFormat>(answer);
}

inline SlotFormatInfo formatInfo(SlotFormat format) {
  switch (format) {
    case SlotFormat::RawTex:
      return {"tex", "*.tex|*.tex"};
    case SlotFormat::Bitmap:
      return {"bmp", "*.bmp|*.bmp"};
    case SlotFormat::Png:
      return {"png", "*.png|*.png"};
  }
  return {"", ""};
}

// The format a file name's extension names, if any (case-insensitive).
std::optional<SlotFormat> slotFormatOfFile(const QString& path);

}  // namespace varnholt
