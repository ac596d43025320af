#include "ui/controls/ChipMenuButton.h"

#include "ui/components/DS.h"
#include "ui/components/Symbols.h"

#include <QPainter>

namespace vp::ui {

namespace {
constexpr double kPadX = 9, kPadY = 4, kIcon = 12, kGap = 5;
}

ChipButton::ChipButton(const QString& text, std::string symbol, QWidget* parent)
    : QToolButton(parent), text_(text), symbol_(std::move(symbol)) {
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void ChipButton::setFace(const QString& text) {
    if (text == text_) return;
    text_ = text;
    updateGeometry();
    update();
}

QSize ChipButton::sizeHint() const {
    if (text_.isEmpty()) return {26, 22};
    QFontMetricsF metrics(DS::font(10.5, QFont::DemiBold));
    double width = kPadX * 2 + kIcon + kGap + metrics.horizontalAdvance(text_);
    return {int(std::ceil(width)), int(std::ceil(metrics.height() + kPadY * 2))};
}

QSize ChipButton::minimumSizeHint() const {
    if (text_.isEmpty() || !elides_) return sizeHint();
    QFontMetricsF metrics(DS::font(10.5, QFont::DemiBold));
    double width = kPadX * 2 + kIcon + kGap + metrics.horizontalAdvance(QStringLiteral("Abc…"));
    return {int(std::ceil(std::min(width, double(sizeHint().width())))), sizeHint().height()};
}

void ChipButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QRectF face = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setOpacity(isDown() ? 0.75 : 1.0);
    p.setPen(QPen(DS::border, 1));
    p.setBrush(DS::surface2);
    p.drawRoundedRect(face, face.height() / 2, face.height() / 2);
    if (text_.isEmpty()) {
        Symbols::paint(p, QRectF(face.center() - QPointF(6, 6), QSizeF(12, 12)), symbol_, DS::text);
        return;
    }
    QRectF icon(kPadX, (height() - kIcon) / 2.0, kIcon, kIcon);
    Symbols::paint(p, icon, symbol_, DS::text);
    QFont font = DS::font(10.5, QFont::DemiBold);
    p.setFont(font);
    p.setPen(DS::text);
    QRectF label(icon.right() + kGap, 0, width() - icon.right() - kGap - kPadX + 1, height());
    QString shown = QFontMetricsF(font).elidedText(text_, Qt::ElideRight, label.width());
    p.drawText(label, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, shown);
}

ChipMenuButton::ChipMenuButton(const QString& text, std::string symbol, QWidget* parent)
    : ChipButton(text, std::move(symbol), parent), menu_(new QMenu(this)) {
    styleMenu(*menu_);
    setMenu(menu_);
    setPopupMode(QToolButton::InstantPopup);
    connect(menu_, &QMenu::aboutToShow, this, [this] {
        if (!onShow) return;
        menu_->clear();
        onShow(*menu_);
    });
}

void styleMenu(QMenu& menu) {
    menu.setStyleSheet(DS::sheet(QStringLiteral(
        "QMenu { background: $surface2; color: $text; border: 1px solid $border; padding: 4px; }"
        "QMenu::item { padding: 4px 18px 4px 8px; border-radius: 4px; }"
        "QMenu::item:selected { background: $primary@25; }"
        "QMenu::item:disabled { color: $faint; }"
        "QMenu::separator { height: 1px; background: $border; margin: 4px 6px; }"
        "QMenu::section { color: $muted; padding: 4px 8px; }")));
}

QAction* addItem(QMenu& menu, const QString& title, const std::string& symbol, std::function<void()> action) {
    QAction* item = menu.addAction(title);
    if (!symbol.empty()) item->setIcon(QIcon(Symbols::pixmap(symbol, DS::text, 14, menu.devicePixelRatioF())));
    if (action) QObject::connect(item, &QAction::triggered, &menu, [action = std::move(action)] { action(); });
    return item;
}

}  // namespace vp::ui
