#include "ui/controls/Toggle.h"

#include "ui/components/DS.h"

#include <QPainter>

namespace vp::ui {

Toggle::Toggle(Size size, QWidget* parent) : QAbstractButton(parent), size_(size) {
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(this, &QAbstractButton::clicked, this, [this](bool on) {
        if (onToggle) onToggle(on);
    });
}

QSize Toggle::sizeHint() const {
    switch (size_) {
        case Size::mini: return {26, 15};
        case Size::small: return {32, 18};
        case Size::regular: break;
    }
    return {38, 22};
}

void Toggle::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    double r = track.height() / 2;
    p.setPen(isChecked() ? Qt::NoPen : QPen(DS::border, 1));
    p.setBrush(isChecked() ? DS::primary : DS::surface2);
    p.drawRoundedRect(track, r, r);
    double knob = track.height() - 4;
    double x = isChecked() ? track.right() - 2 - knob : track.left() + 2;
    p.setPen(Qt::NoPen);
    p.setBrush(isEnabled() ? QColor(Qt::white) : DS::muted);
    p.drawEllipse(QRectF(x, track.top() + 2, knob, knob));
}

}  // namespace vp::ui
