#include "options/import_options.h"

#include "container/pt_layout.h"

namespace pt {

std::vector<std::string> describeNotes(const ImportNotes& notes, const ImportOptions& options) {
  std::vector<std::string> lines;
  if (notes.alphaDropped && !options.keepAlpha)
    lines.emplace_back(
        "Warning: every palette entry of the file has alpha 0 (transparent) while the slot's "
        "alpha had other values; an image editor may have dropped the alpha. Import again with "
        "the option to keep the slot's alpha to take the colours only.");
  if (notes.bottomUp)
    lines.emplace_back(
        "Note: the bitmap is stored bottom-up; its rows land in the slot in file order, so the "
        "picture is upside down. Save it top-down or as a PNG.");
  if (notes.quantized)
    lines.emplace_back(options.palette == PaletteChoice::Keep
                           ? "Note: the picture's colours were mapped onto the slot's palette."
                           : "Note: the picture's colours were quantized into a new palette.");
  // A raw file carries the palette, then the pixel data; a shorter one (a
  // palette swap, say) leaves the rest of the slot as it was.
  constexpr std::size_t rawSize = kPaletteSize + kPixelDataSize;
  if (notes.bytesFromFile && *notes.bytesFromFile < rawSize)
    lines.push_back("Note: " + std::to_string(*notes.bytesFromFile) + " of the " +
                    std::to_string(rawSize) +
                    " bytes of a raw texture came from the file; the rest of the slot kept its "
                    "bytes.");
  return lines;
}

}  // namespace pt
