#include "ui/components/PillButton.h"

#include "ui/components/DS.h"
#include "ui/components/Glow.h"
#include "ui/components/Symbols.h"

#include <QLinearGradient>
#include <QPainter>

#include <cmath>

namespace vp::ui {

namespace {
constexpr double kSymbolGap = 5;
}

PillButton::PillButton(const QString& text, PillButtonStyle style, const std::string& symbol, QWidget* parent)
    : QAbstractButton(parent), style_(style), symbol_(symbol) {
    setText(text);
    setFont(DS::font(style.fontSize(), QFont::DemiBold));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
}

QColor PillButton::labelColor() const {
    return style_.primary ? QColor(0, 0, 0, int(std::lround(0.85 * 255))) : DS::text;
}

double PillButton::symbolSize() const {
    return symbol_.empty() ? 0 : std::ceil(style_.fontSize() * 1.1);
}

QSize PillButton::sizeHint() const {
    QFontMetricsF fm(font());
    double content = fm.horizontalAdvance(text());
    if (!symbol_.empty()) content += symbolSize() + (text().isEmpty() ? 0 : kSymbolGap);
    double w = content + 2 * style_.padX() + 2 * style_.glowMargin();
    double h = std::max(fm.height(), symbolSize()) + 2 * style_.padY() + 2 * style_.glowMargin();
    return QSize(int(std::ceil(w)), int(std::ceil(h)));
}

QRectF PillButton::capsuleRect() const {
    double m = style_.glowMargin();
    return QRectF(rect()).adjusted(m, m, -m, -m);
}

void PillButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setOpacity(drawOpacity());
    QRectF box = capsuleRect();
    QPainterPath shape = capsule(box);
    if (style_.primary) {
        paintGlow(p, shape, DS::withAlpha(DS::primary, 0.35), 8);
        QLinearGradient gradient(box.topLeft(), box.bottomLeft());
        gradient.setColorAt(0, DS::primary);
        gradient.setColorAt(1, DS::primaryDeep);
        p.setPen(Qt::NoPen);
        p.setBrush(gradient);
        p.drawPath(shape);
    } else {
        p.setPen(QPen(DS::border, 1));
        p.setBrush(DS::surface2);
        p.drawPath(capsule(box.adjusted(0.5, 0.5, -0.5, -0.5)));
    }

    QRectF content = box.adjusted(style_.padX(), style_.padY(), -style_.padX(), -style_.padY());
    QColor color = labelColor();
    double x = content.x();
    if (!symbol_.empty()) {
        double s = symbolSize();
        if (text().isEmpty()) x = content.center().x() - s / 2;
        Symbols::paint(p, QRectF(x, content.center().y() - s / 2, s, s), symbol_, color);
        x += s + kSymbolGap;
    }
    if (!text().isEmpty()) {
        p.setPen(color);
        p.drawText(QRectF(x, content.y(), content.right() - x, content.height()), Qt::AlignLeft | Qt::AlignVCenter,
                   text());
    }
}

}  // namespace vp::ui
