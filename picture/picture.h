#pragma once
// A picture as a slot file shows it, decoded from a PNG or a bitmap, and how
// it is brought into a slot: compared with what the slot holds, place by
// place, so that only what the user changed changes.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/error.h"
#include "container/pt_file.h"
#include "options/import_options.h"

namespace pt {

// What the file tells about alpha.
enum class FileAlpha {
  Carried,  // every pixel or palette entry has an alpha of its own
  Dropped,  // the file has no alpha, or shows that an editor dropped it
};

struct Picture {
  std::uint32_t side = 0;  // 128 or 256: a square picture
  // Indexed pictures: one index per pixel and the palette as red, green,
  // blue, alpha (four bytes an entry, at most 256 entries). Indices past the
  // palette show opaque black. Truecolour pictures: red, green, blue, alpha
  // per pixel, and no indices.
  bool indexed = false;
  Bytes indices;
  Bytes palette;
  Bytes rgba;
  FileAlpha alpha = FileAlpha::Carried;
  std::string alphaWhy;  // with Dropped: what shows it, e.g. "the PNG has no tRNS chunk"
};

// The slot's new palette and picture.
struct Reconciled {
  Bytes palette;   // 1024 bytes, entries alpha, red, green, blue
  Bytes indices;   // side x side
  std::vector<std::string> notes;  // one line per decision worth telling
  bool quantized = false;          // the picture was brought to a new palette
};

// Compares the picture with slot `index`'s palette and picture and chooses
// the indices and palette by the options:
// - a pixel whose colour is the colour of the slot's index at the same place
//   keeps that index; fully transparent pixels compare by alpha alone;
// - other pixels take an entry of exactly their colour, else (PaletteChoice)
//   a free entry (Auto), the nearest entry (Keep), or a quantized palette;
// - alpha (AlphaChoice) from the file, or from the slot by colour and place
//   when the file shows that an editor dropped or collapsed it (Auto).
// Places compare only when the slot's picture has the picture's size.
Result<Reconciled> reconcilePicture(const Picture& picture, const PtSlot& slot, std::uint8_t index,
                                    const ImportOptions& options);

// Writes a reconciled picture into the slot: palette, size, and the start of
// the pixel data (slot 10's second part included); `after` (bytes that the
// file holds past the picture) follows it, and what neither reaches keeps
// the slot's bytes. `used` is not touched.
void storePicture(PtSlot& slot, std::uint8_t index, std::uint32_t side, const Reconciled& picture,
                  std::span<const std::uint8_t> after = {});

}  // namespace pt
