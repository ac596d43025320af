#include "ui/controls/SegmentedPicker.h"

#include "ui/components/DS.h"

#include <QMouseEvent>
#include <QPainter>

namespace vp::ui {

SegmentedPicker::SegmentedPicker(QStringList choices, QWidget* parent) : QWidget(parent), choices_(std::move(choices)) {
    setCursor(Qt::PointingHandCursor);
}

void SegmentedPicker::setSelected(int index) {
    if (index == selected_ || index < 0 || index >= choices_.size()) return;
    selected_ = index;
    update();
}

void SegmentedPicker::mousePressEvent(QMouseEvent* event) {
    if (choices_.isEmpty()) return;
    int index = std::clamp(int(event->position().x() * choices_.size() / std::max(width(), 1)), 0, int(choices_.size()) - 1);
    if (index == selected_) return;
    setSelected(index);
    if (onSelect) onSelect(index);
}

void SegmentedPicker::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(DS::border, 1));
    p.setBrush(DS::surface2);
    p.drawRoundedRect(frame, 6, 6);
    double segment = frame.width() / std::max<qsizetype>(choices_.size(), 1);
    p.setFont(DS::font(11, QFont::Medium));
    for (int i = 0; i < choices_.size(); ++i) {
        QRectF cell(frame.left() + i * segment, frame.top(), segment, frame.height());
        if (i == selected_) {
            p.setPen(Qt::NoPen);
            p.setBrush(DS::withAlpha(DS::primary, 0.85));
            p.drawRoundedRect(cell.adjusted(2, 2, -2, -2), 4, 4);
        }
        p.setPen(i == selected_ ? QColor(0, 0, 0, 217) : DS::text);
        p.drawText(cell, Qt::AlignCenter, choices_[i]);
    }
}

}  // namespace vp::ui
