#pragma once
// What the window remembers between runs, in one QSettings file of the
// user's (on Linux ~/.config/Varnholt/Varnholt.conf). Every key is named
// here, so that one look shows what is kept.
#include <QSettings>

namespace varnholt::settings {

inline constexpr char kOrganisation[] = "Varnholt";
inline constexpr char kApplication[] = "Varnholt";

// The program's settings file.
inline QSettings open() { return QSettings(kOrganisation, kApplication); }

// Window: QMainWindow::saveGeometry, saveState, and the splitters' sizes.
inline constexpr char kGeometry[] = "window/geometry";
inline constexpr char kWindowState[] = "window/state";
inline constexpr char kSplitters[] = "window/splitters";
// Preview: the zoom factor (1, 2, 4, 8, or 0 for fit) and the transparency view.
inline constexpr char kZoom[] = "view/zoom";
inline constexpr char kTransparency[] = "view/transparency";
// Folders the file dialogs start in: containers, and all-slots folders.
inline constexpr char kContainerFolder[] = "folders/containers";
inline constexpr char kSlotsFolder[] = "folders/allSlots";
// File > Import options: ptool's names of the palette (auto, keep, new),
// alpha (auto, file, slot) and row order (declared, file); dither on or off.
inline constexpr char kImportPalette[] = "import/palette";
inline constexpr char kImportAlpha[] = "import/alpha";
inline constexpr char kImportRows[] = "import/rows";
inline constexpr char kImportDither[] = "import/dither";
// File > Open recent, newest first, at most kRecentCount paths.
inline constexpr char kRecentFiles[] = "recent/containers";
inline constexpr int kRecentCount = 8;

}  // namespace varnholt::settings
