#include "ui/hud/HUDView.h"

#include "ui/components/DS.h"
#include "ui/components/Glow.h"
#include "ui/components/Symbols.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace vp::ui {

namespace {
constexpr double kPadX = 18;
constexpr double kSpacing = 12;
constexpr double kIconWidth = 22;
constexpr double kIconSize = 18;
constexpr double kPercentWidth = 28;
constexpr double kBarHeight = 6;
constexpr double kMinBar = 6;
constexpr double kCornerRadius = 18;
}  // namespace

HUDView::HUDView(QWidget* parent) : WindowContent(parent) {
    setFixedSize(viewWidth, viewHeight);
    setAttribute(Qt::WA_TranslucentBackground);
}

void HUDView::setLevel(double value, const std::string& icon) {
    if (value == value_ && icon == icon_) return;
    value_ = value;
    icon_ = icon;
    update();
}

QString HUDView::percentText() const {
    // std::lround rounds halves away from zero.
    return QString::number(std::isfinite(value_) ? std::lround(value_ * 100) : 0);
}

QRectF HUDView::iconRect() const {
    return QRectF(kPadX, 0, kIconWidth, viewHeight);
}

QRectF HUDView::trackRect() const {
    double x = kPadX + kIconWidth + kSpacing;
    double right = viewWidth - kPadX - kPercentWidth - kSpacing;
    return QRectF(x, (viewHeight - kBarHeight) / 2, right - x, kBarHeight);
}

QRectF HUDView::barRect() const {
    QRectF track = trackRect();
    double level = std::isfinite(value_) ? value_ : 0;
    // Never wider than the track, whatever level the caller passes.
    double w = std::min(std::max(track.width() * level, kMinBar), track.width());
    return QRectF(track.x(), track.y(), w, track.height());
}

QRectF HUDView::percentRect() const {
    return QRectF(viewWidth - kPadX - kPercentWidth, 0, kPercentWidth, viewHeight);
}

void HUDView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);

    QRectF panel = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(DS::border, 1));
    p.setBrush(DS::withAlpha(DS::bg, 0.92));
    p.drawRoundedRect(panel, kCornerRadius, kCornerRadius);

    QRectF icon = iconRect();
    Symbols::paint(p, QRectF(icon.center().x() - kIconSize / 2, icon.center().y() - kIconSize / 2, kIconSize, kIconSize),
                   icon_, DS::glow);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, int(std::lround(0.12 * 255))));
    p.drawPath(capsule(trackRect()));

    QRectF bar = barRect();
    QPainterPath barPath = capsule(bar);
    paintGlow(p, barPath, DS::withAlpha(DS::primary, 0.6), 4);
    QLinearGradient gradient(bar.topLeft(), bar.topRight());
    gradient.setColorAt(0, DS::primaryDeep);
    gradient.setColorAt(1, DS::primary);
    p.setPen(Qt::NoPen);
    p.setBrush(gradient);
    p.drawPath(barPath);

    p.setFont(DS::font(12, QFont::DemiBold));
    p.setPen(DS::text);
    p.drawText(percentRect(), Qt::AlignRight | Qt::AlignVCenter, percentText());
}

}  // namespace vp::ui
