#pragma once
// The fonts of the program's forms: "MS Sans Serif" where it is installed, otherwise the
// nearest sans-serif face, always at a pixel size (the layouts are in pixels and not scaled).
// Used by the progress window and the correspondence dialog.
#include <QFont>

namespace dialog {

QFont ClassicFont(int pixelSize, bool bold = false);

}  // namespace dialog
