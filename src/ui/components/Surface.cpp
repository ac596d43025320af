#include "ui/components/Surface.h"

#include "ui/components/DS.h"

#include <QPainter>
#include <QVBoxLayout>

#include <cmath>

namespace vp::ui {

Surface::Surface(QWidget* content, double padding, QWidget* parent) : QWidget(parent), padding_(padding) {
    auto* layout = new QVBoxLayout(this);
    int m = int(std::lround(padding));
    layout->setContentsMargins(m, m, m, m);
    layout->setSpacing(0);
    layout->addWidget(content);
}

void Surface::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    // The 1-point stroke is centred on the edge; inset by half of it so it
    // is not clipped.
    QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(DS::border, 1));
    p.setBrush(DS::surface);
    p.drawRoundedRect(r, DS::radius, DS::radius);
}

Surface* surface(QWidget* content, double padding) {
    return new Surface(content, padding);
}

}  // namespace vp::ui
