#include "ui/components/GlowSlider.h"

#include "ui/components/DS.h"
#include "ui/components/Glow.h"
#include "ui/components/Symbols.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

namespace vp::ui {

namespace GlowSliderGeometry {

double fraction(double value, double lower, double upper) {
    double span = upper - lower;
    if (!(span > 0) || !std::isfinite(value)) return 0;
    return std::clamp((value - lower) / span, 0.0, 1.0);
}

double fillWidth(double f, double w) {
    return std::max(f * w, railHeight);
}

double thumbOffset(double f, double w) {
    return std::min(std::max(f * w - thumbRestDiameter / 2, 0.0), w - thumbRestDiameter);
}

double valueAt(double x, double w, double lower, double upper) {
    double t = std::clamp(x / std::max(w, 1.0), 0.0, 1.0);
    return lower + t * (upper - lower);
}

long percent(double value, double lower, double upper) {
    double span = upper - lower;
    if (span == 0 || !std::isfinite(value)) return 0;
    return std::lround((value - lower) / span * 100);
}

}  // namespace GlowSliderGeometry

namespace {

namespace G = GlowSliderGeometry;

constexpr double kSpacing = 8;
constexpr double kIconWidth = 14;
constexpr double kPercentWidth = 24;
constexpr double kTrackHeight = 18;
// Room above and below the track for the thumb's glow.
constexpr double kGlowMargin = 4;
constexpr int kDragAnimationMs = 120;

}  // namespace

GlowSlider::GlowSlider(double value, Options options, QWidget* parent)
    : QWidget(parent), value_(value), options_(std::move(options)), dragAnimation_(new QVariantAnimation(this)) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    dragAnimation_->setDuration(kDragAnimationMs);
    dragAnimation_->setEasingCurve(QEasingCurve::OutQuad);
    connect(dragAnimation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        dragAmount_ = v.toDouble();
        update();
    });
}

void GlowSlider::setValue(double value) {
    if (value == value_) return;
    value_ = value;
    update();
}

double GlowSlider::fraction() const {
    return G::fraction(value_, options_.lower, options_.upper);
}

QSize GlowSlider::sizeHint() const {
    return QSize(200, int(kTrackHeight + 2 * kGlowMargin));
}

QSize GlowSlider::minimumSizeHint() const {
    return QSize(0, int(kTrackHeight + 2 * kGlowMargin));
}

QRectF GlowSlider::trackRect() const {
    double left = 0, right = width();
    if (!options_.icon.empty()) left += kIconWidth + kSpacing;
    if (!options_.trailingIcon.empty()) right -= kIconWidth + kSpacing;
    if (options_.showPercent) right -= kPercentWidth + kSpacing;
    double y = (height() - kTrackHeight) / 2;
    return QRectF(left, y, std::max(right - left, 0.0), kTrackHeight);
}

QRectF GlowSlider::fillRect() const {
    QRectF t = trackRect();
    return QRectF(t.x(), t.center().y() - G::railHeight / 2, G::fillWidth(fraction(), t.width()), G::railHeight);
}

QRectF GlowSlider::thumbRect() const {
    QRectF t = trackRect();
    double d = G::thumbRestDiameter + (G::thumbDragDiameter - G::thumbRestDiameter) * dragAmount_;
    return QRectF(t.x() + G::thumbOffset(fraction(), t.width()), t.center().y() - d / 2, d, d);
}

QString GlowSlider::percentText() const {
    return QString::number(G::percent(value_, options_.lower, options_.upper));
}

void GlowSlider::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QRectF track = trackRect();
    double midY = track.center().y();
    auto iconRect = [&](double x) { return QRectF(x, midY - 5, kIconWidth, 10); };
    if (!options_.icon.empty()) Symbols::paint(p, iconRect(0), options_.icon, DS::muted);
    if (!options_.trailingIcon.empty())
        Symbols::paint(p, iconRect(track.right() + kSpacing), options_.trailingIcon, DS::muted);

    // Rail.
    p.setPen(Qt::NoPen);
    p.setBrush(DS::border);
    p.drawPath(capsule(QRectF(track.x(), midY - G::railHeight / 2, track.width(), G::railHeight)));

    // Fill, with its glow.
    QRectF fill = fillRect();
    QPainterPath fillPath = capsule(fill);
    double a = dragAmount_;
    paintGlow(p, fillPath, DS::withAlpha(options_.tint, 0.3 + 0.3 * a), 3 + 3 * a);
    QLinearGradient gradient(fill.topLeft(), fill.topRight());
    gradient.setColorAt(0, DS::withAlpha(options_.tint, 0.55));
    gradient.setColorAt(1, options_.tint);
    p.setPen(Qt::NoPen);
    p.setBrush(gradient);
    p.drawPath(fillPath);

    // Thumb.
    QPainterPath thumb;
    thumb.addEllipse(thumbRect());
    paintGlow(p, thumb, DS::withAlpha(options_.tint, 0.8), 4 + 3 * a);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(thumb);

    if (options_.showPercent) {
        p.setFont(DS::font(10, QFont::Medium));
        p.setPen(DS::muted);
        QRectF box(width() - kPercentWidth, 0, kPercentWidth, height());
        p.drawText(box, Qt::AlignRight | Qt::AlignVCenter, percentText());
    }
}

void GlowSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    QRectF track = trackRect();
    double x = event->position().x();
    if (x < track.left() || x > track.right()) return;
    setDragging(true);
    dragTo(x);
}

void GlowSlider::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) dragTo(event->position().x());
}

void GlowSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && dragging_) setDragging(false);
}

void GlowSlider::dragTo(double x) {
    QRectF track = trackRect();
    double v = G::valueAt(x - track.x(), track.width(), options_.lower, options_.upper);
    if (options_.write) options_.write(v);
    else setValue(v);
    if (options_.onChange) options_.onChange(v);
}

void GlowSlider::setDragging(bool dragging) {
    if (dragging == dragging_) return;
    dragging_ = dragging;
    dragAnimation_->stop();
    dragAnimation_->setStartValue(dragAmount_);
    dragAnimation_->setEndValue(dragging ? 1.0 : 0.0);
    dragAnimation_->start();
}

}  // namespace vp::ui
