#pragma once
// System symbols by name ("sun.max.fill", "display", "pip", …), drawn from the
// vendored SVG icons and tinted with the caller's colour.

#include <QColor>
#include <QPixmap>
#include <QRectF>

#include <string>

class QPainter;

namespace vp::ui::Symbols {

// The resource path of a symbol's icon; empty for an unknown name.
QString file(const std::string& name);
// Draws the symbol tinted with `color`, fitted into `rect` keeping its
// aspect. An unknown name draws nothing.
void paint(QPainter& painter, const QRectF& rect, const std::string& name, const QColor& color);
// The symbol as a pixmap of `size` logical pixels (for icons of buttons and
// the tray); null for an unknown name.
QPixmap pixmap(const std::string& name, const QColor& color, int size, double devicePixelRatio = 1.0);

}  // namespace vp::ui::Symbols
