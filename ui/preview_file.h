#pragma once
// Where the preview bitmap "pre.bmp" is written. Beside a build it belongs in
// the program's folder; an installed program keeps it in the user's cache
// folder. When the chosen folder cannot be written, previews move to the
// cache folder for the rest of the run.
#include <QString>
#include <optional>

#include "bitmap/bmp_header.h"
#include "container/pt_file.h"

namespace varnholt {

inline constexpr const char* kPreviewFileName = "pre.bmp";

// The folder for "pre.bmp": `programFolder` when the program runs from a
// build (its header template lies beside it) and the user may write there;
// otherwise (installed under a prefix, where the template is in
// share/varnholt, or a folder the user cannot write) the user's cache folder.
QString previewFolder(const QString& programFolder);

class PreviewFile {
 public:
  explicit PreviewFile(const QString& programFolder);

  const QString& path() const { return path_; }

  // Writes the slot's bitmap; returns the reason when no preview file could
  // be written. `moved` gets a message the first time previews move.
  std::optional<QString> write(const pt::PtFile& file, std::uint8_t slot,
                               const pt::BmpHeader& header, bool alphaView, QString& moved);

 private:
  QString path_;
  bool moved_ = false;
};

}  // namespace varnholt
