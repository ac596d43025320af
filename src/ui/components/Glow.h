#pragma once
// Soft shadows ("glows") around a shape: the toolkit has no cheap blurred
// shadow for painted shapes, so a glow is drawn as a few widening, fading
// strokes of the shape's outline under it.

#include <QColor>
#include <QPainterPath>

class QPainter;

namespace vp::ui {

// Draws a glow of `color` (its alpha is the glow's opacity at the shape's
// edge) reaching `radius` points out from `shape`. Nothing for radius ≤ 0.
void paintGlow(QPainter& painter, const QPainterPath& shape, const QColor& color, double radius);

// A capsule (fully rounded rectangle) as a path.
QPainterPath capsule(const QRectF& rect);

}  // namespace vp::ui
