#include "ui/card/CardParts.h"

#include "ui/components/DS.h"
#include "ui/components/Symbols.h"

#include <QPainter>

namespace vp::ui {

IconTile::IconTile(std::string symbol, QWidget* parent) : QWidget(parent), symbol_(std::move(symbol)) {
    setFixedSize(30, 30);
}

void IconTile::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(DS::withAlpha(DS::primary, 0.12));
    p.drawRoundedRect(QRectF(rect()), 8, 8);
    Symbols::paint(p, QRectF(7.5, 7.5, 15, 15), symbol_, DS::primary);
}

ExpandButton::ExpandButton(bool expanded, QWidget* parent) : QAbstractButton(parent), expanded_(expanded) {
    setFixedSize(25, 25);
    setCursor(Qt::PointingHandCursor);
}

void ExpandButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (expanded_) {
        p.setPen(Qt::NoPen);
        p.setBrush(DS::withAlpha(DS::primary, 0.14));
        p.drawEllipse(QRectF(rect()));
    }
    p.setOpacity(isDown() ? 0.75 : 1.0);
    Symbols::paint(p, QRectF(6, 6, 13, 13), "slider.horizontal.3", expanded_ ? DS::primary : DS::muted);
}

Divider::Divider(QWidget* parent) : QWidget(parent) {
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void Divider::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), DS::border);
}

}  // namespace vp::ui
