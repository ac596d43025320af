#include "ui/components/Badge.h"

#include "ui/components/DS.h"
#include "ui/components/Glow.h"

#include <QPainter>

#include <cmath>

namespace vp::ui {

namespace {
constexpr double kPadX = 6, kPadY = 2;
}

Badge::Badge(const QString& text, const QColor& color, QWidget* parent) : QWidget(parent), text_(text), color_(color) {
    setFont(DS::font(9, QFont::DemiBold));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize Badge::sizeHint() const {
    QFontMetricsF fm(font());
    return QSize(int(std::ceil(fm.horizontalAdvance(text_) + 2 * kPadX)), int(std::ceil(fm.height() + 2 * kPadY)));
}

void Badge::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(DS::withAlpha(color_, 0.16));
    p.drawPath(capsule(rect()));
    p.setPen(color_);
    p.drawText(rect(), Qt::AlignCenter, text_);
}

}  // namespace vp::ui
