#include "ui/controls/Text.h"

#include "ui/components/DS.h"
#include "ui/components/Symbols.h"

#include <QBuffer>
#include <QPainter>

#include <cmath>
#include <utility>

namespace vp::ui {

namespace {

// Emoji some texts use for keys of the keyboard, and the symbols drawn in
// their place.
const std::pair<QString, const char*> kDrawnEmoji[] = {
    {QStringLiteral("\U0001F505"), "sun.min"},  // dim button
    {QStringLiteral("\U0001F506"), "sun.max.fill"},  // bright button
};

QString imageTag(const char* symbol, const QColor& color, double points) {
    // About the height of a capital letter of the text around it.
    const int side = int(std::lround(points * 96.0 / 72.0 * 1.1));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    Symbols::pixmap(symbol, color, side, 2.0).toImage().save(&buffer, "PNG");
    return QStringLiteral("<img src=\"data:image/png;base64,%1\" width=\"%2\" height=\"%2\" "
                          "style=\"vertical-align: middle\">")
        .arg(QString::fromLatin1(png.toBase64()))
        .arg(side);
}

}  // namespace

QString withDrawnSymbols(const QString& plain, const QColor& color, double points) {
    QString html = plain.toHtmlEscaped();
    for (const auto& [emoji, symbol] : kDrawnEmoji)
        if (html.contains(emoji)) html.replace(emoji, imageTag(symbol, color, points));
    return html;
}

bool hasDrawnSymbols(const QString& plain) {
    for (const auto& [emoji, symbol] : kDrawnEmoji)
        if (plain.contains(emoji)) return true;
    return false;
}

QLabel* text(const QString& content, double points, const QColor& color, QFont::Weight weight) {
    auto* label = new QLabel;
    label->setFont(DS::font(points, weight));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    label->setPalette(palette);
    // Without a colour emoji font the emoji would show as empty boxes.
    if (hasDrawnSymbols(content)) {
        label->setTextFormat(Qt::RichText);
        label->setText(withDrawnSymbols(content, color, points));
    } else {
        label->setTextFormat(Qt::PlainText);
        label->setText(content);
    }
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
