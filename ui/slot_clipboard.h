#pragma once
// A slot on the clipboard: as a PNG with alpha, which image editors paste,
// and in the program's own exact form (container/slot_clip.h).
#include <QByteArray>
#include <cstdint>

#include "container/pt_file.h"

class QMimeData;

namespace varnholt {

inline constexpr char kSlotMimeType[] = "application/x-varnholt-slot";
inline constexpr char kPngMimeType[] = "image/png";

// Both forms of slot `index`, for QClipboard::setMimeData.
QMimeData* slotMimeData(const pt::PtSlot& slot, std::uint8_t index);

// What a paste can take from the clipboard: the exact form first, else a
// PNG (an image in another form is handed over as a PNG), else nothing.
struct ClipboardSlot {
  enum class Kind { None, Exact, Png } kind = Kind::None;
  QByteArray bytes;
};
ClipboardSlot slotOnClipboard(const QMimeData* data);

}  // namespace varnholt
