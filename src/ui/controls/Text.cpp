#include "ui/controls/Text.h"

#include "ui/components/DS.h"

#include <QPainter>

namespace vp::ui {

QLabel* text(const QString& content, double points, const QColor& color, QFont::Weight weight) {
    auto* label = new QLabel(content);
    label->setFont(DS::font(points, weight));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    label->setPalette(palette);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLabel* wrappingText(const QString& content, double points, const QColor& color, QFont::Weight weight) {
    QLabel* label = text(content, points, color, weight);
    label->setWordWrap(true);
    label->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    return label;
}

ElidedLabel::ElidedLabel(const QString& content, const QFont& font, const QColor& color, QWidget* parent)
    : QWidget(parent), text_(content), color_(color) {
    setFont(font);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void ElidedLabel::setText(const QString& content) {
    if (content == text_) return;
    text_ = content;
    updateGeometry();
    update();
}

QSize ElidedLabel::sizeHint() const {
    QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text_) + 1, metrics.height()};
}

QSize ElidedLabel::minimumSizeHint() const {
    return {0, QFontMetrics(font()).height()};
}

void ElidedLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(color_);
    p.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, fontMetrics().elidedText(text_, Qt::ElideRight, width()));
}

}  // namespace vp::ui
