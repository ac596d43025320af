#pragma once
// Pictures of the interface without a display: the panel, the manager window,
// the HUD at a few levels and the components in their states, written as PNG
// files (at twice the point size) by the offscreen platform.

#include <QString>
#include <QStringList>

namespace vp::ui {

// Writes the pictures into `dir` (made when missing); returns the files
// written, or throws std::runtime_error naming the file that failed.
QStringList writeSnapshots(const QString& dir);

}  // namespace vp::ui
