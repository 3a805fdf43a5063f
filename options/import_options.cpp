#include "options/import_options.h"

#include <array>
#include <utility>

#include "container/pt_layout.h"

namespace pt {

namespace {

template <class T, std::size_t N>
std::optional<T> named(const std::array<std::pair<T, const char*>, N>& names, const std::string& name) {
  for (const auto& [value, text] : names)
    if (name == text) return value;
  return std::nullopt;
}

template <class T, std::size_t N>
const char* nameOf(const std::array<std::pair<T, const char*>, N>& names, T value) {
  for (const auto& [v, text] : names)
    if (v == value) return text;
  return "";
}

constexpr std::array<std::pair<PaletteChoice, const char*>, 3> kPaletteNames{
    {{PaletteChoice::Auto, "auto"}, {PaletteChoice::Keep, "keep"}, {PaletteChoice::New, "new"}}};
constexpr std::array<std::pair<AlphaChoice, const char*>, 3> kAlphaNames{
    {{AlphaChoice::Auto, "auto"}, {AlphaChoice::File, "file"}, {AlphaChoice::Slot, "slot"}}};
constexpr std::array<std::pair<RowOrder, const char*>, 2> kRowNames{
    {{RowOrder::Declared, "declared"}, {RowOrder::File, "file"}}};

}  // namespace

std::vector<std::string> describeNotes(const ImportNotes& notes, const ImportOptions& /*options*/) {
  std::vector<std::string> lines = notes.lines;
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

const char* optionName(PaletteChoice choice) { return nameOf(kPaletteNames, choice); }
const char* optionName(AlphaChoice choice) { return nameOf(kAlphaNames, choice); }
const char* optionName(RowOrder order) { return nameOf(kRowNames, order); }
std::optional<PaletteChoice> paletteChoiceNamed(const std::string& name) { return named(kPaletteNames, name); }
std::optional<AlphaChoice> alphaChoiceNamed(const std::string& name) { return named(kAlphaNames, name); }
std::optional<RowOrder> rowOrderNamed(const std::string& name) { return named(kRowNames, name); }

}  // namespace pt
