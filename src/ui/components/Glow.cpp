#include "ui/components/Glow.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace vp::ui {

void paintGlow(QPainter& painter, const QPainterPath& shape, const QColor& color, double radius) {
    if (radius <= 0 || color.alphaF() <= 0) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    int steps = std::max(2, int(std::ceil(radius)));
    // Outermost first, so the inner, denser rings sit on top.
    for (int i = steps; i >= 1; --i) {
        double reach = radius * i / steps;
        QColor ring = color;
        double falloff = 1.0 - double(i - 1) / steps;
        ring.setAlphaF(float(color.alphaF() * falloff * falloff / steps * 2.0));
        painter.setPen(QPen(ring, 2 * reach, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(shape);
    }
    painter.restore();
}

QPainterPath capsule(const QRectF& rect) {
    QPainterPath path;
    double r = std::min(rect.width(), rect.height()) / 2;
    path.addRoundedRect(rect, r, r);
    return path;
}

}  // namespace vp::ui
