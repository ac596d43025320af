#include "ui/components/ScreenMark.h"

#include "ui/components/DS.h"
#include "ui/components/Glow.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

#include <cmath>

namespace vp::ui {

ScreenMark::ScreenMark(double size, QWidget* parent) : QWidget(parent), size_(size), timer_(new QTimer(this)) {
    setFixedSize(sizeHint());
    timer_->setInterval(frameIntervalMs);
    connect(timer_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
    clock_.start();
}

double ScreenMark::pulse(double seconds) {
    return (std::sin(1.6 * seconds) + 1) / 2;
}

bool ScreenMark::isAnimating() const {
    return timer_->isActive();
}

void ScreenMark::freezeAt(double seconds) {
    frozen_ = seconds;
    timer_->stop();
    update();
}

QSize ScreenMark::sizeHint() const {
    int side = int(std::ceil(size_));
    return QSize(side, side);
}

double ScreenMark::seconds() const {
    return frozen_ ? *frozen_ : clock_.elapsed() / 1000.0;
}

void ScreenMark::updateAnimation() {
    bool animate = !frozen_ && isVisible() && isActiveWindow();
    if (animate == timer_->isActive()) return;
    if (animate) timer_->start();
    else timer_->stop();
    update();
}

void ScreenMark::showEvent(QShowEvent*) {
    updateAnimation();
}

void ScreenMark::hideEvent(QHideEvent*) {
    updateAnimation();
}

bool ScreenMark::event(QEvent* event) {
    bool handled = QWidget::event(event);
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::WindowDeactivate ||
        event->type() == QEvent::ActivationChange)
        updateAnimation();
    return handled;
}

void ScreenMark::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size_;
    const double pl = pulse(seconds());

    QRectF outline(0.06 * s, 0.14 * s, 0.88 * s, 0.62 * s);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(DS::primary, 0.07 * s));
    p.drawRoundedRect(outline, 0.12 * s, 0.12 * s);

    p.setPen(QPen(DS::withAlpha(DS::primary, 0.7), 1.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(0.36 * s, 0.9 * s), QPointF(0.64 * s, 0.9 * s));

    // Four outer points (up, right, down, left) joined through four inner
    // points on the diagonals.
    const QPointF c = outline.center();
    const double r = s * (0.15 + 0.06 * pl);
    const double inner = 0.3 * r / std::sqrt(2.0);
    QPainterPath sparkle;
    sparkle.moveTo(c.x(), c.y() - r);
    sparkle.lineTo(c.x() + inner, c.y() - inner);
    sparkle.lineTo(c.x() + r, c.y());
    sparkle.lineTo(c.x() + inner, c.y() + inner);
    sparkle.lineTo(c.x(), c.y() + r);
    sparkle.lineTo(c.x() - inner, c.y() + inner);
    sparkle.lineTo(c.x() - r, c.y());
    sparkle.lineTo(c.x() - inner, c.y() - inner);
    sparkle.closeSubpath();
    paintGlow(p, sparkle, DS::withAlpha(DS::glow, 0.4 + 0.5 * pl), 3 + 3 * pl);
    p.setPen(Qt::NoPen);
    p.setBrush(DS::glow);
    p.drawPath(sparkle);
}

}  // namespace vp::ui
