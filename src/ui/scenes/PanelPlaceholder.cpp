#include "ui/scenes/PanelPlaceholder.h"

#include "app/I18n.h"
#include "display/DisplayManager.h"
#include "ui/components/DS.h"
#include "ui/components/Eyebrow.h"
#include "ui/components/PillButton.h"
#include "ui/components/ScreenMark.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QRadialGradient>
#include <QVBoxLayout>

#include <algorithm>

namespace vp::ui {

namespace {

QLabel* label(const QString& text, double size, QFont::Weight weight, const QColor& color) {
    auto* l = new QLabel(text);
    l->setFont(DS::font(size, weight));
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, color);
    l->setPalette(pal);
    return l;
}

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

long adjustableCount(const DisplayManager& manager) {
    return long(std::count_if(manager.screens.begin(), manager.screens.end(),
                              [](const Screen& s) { return s.isActive && !s.isOurVirtual; }));
}

PanelPlaceholder::PanelPlaceholder(DisplayManager& manager, std::function<void()> openManager,
                                   std::function<void()> quit, QWidget* parent)
    : QWidget(parent), manager_(manager) {
    setFixedWidth(panelWidth);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 12, 12, 12);
    column->setSpacing(10);

    auto* header = new QHBoxLayout;
    header->setSpacing(10);
    header->addWidget(new ScreenMark(24));
    auto* titles = new QVBoxLayout;
    titles->setSpacing(1);
    titles->addWidget(new Eyebrow(q(L("Telas"))));
    titles->addWidget(label(QStringLiteral("Velvetpane"), 15, QFont::Bold, DS::text));
    header->addLayout(titles);
    header->addStretch(1);
    count_ = label({}, 10.5, QFont::Normal, DS::muted);
    header->addWidget(count_);
    column->addLayout(header);

    auto* footer = new QHBoxLayout;
    footer->setSpacing(6);
    auto* manage = new PillButton(q(L("Telas virtuais")), PillButtonStyle::chip(), "rectangle.on.rectangle");
    connect(manage, &QAbstractButton::clicked, this, [openManager] { openManager(); });
    footer->addWidget(manage);
    footer->addStretch(1);
    auto* settings = new PillButton({}, PillButtonStyle::chip(), "gearshape");
    settings->setToolTip(q(L("Ajustes")));
    connect(settings, &QAbstractButton::clicked, this, [openManager] { openManager(); });
    footer->addWidget(settings);
    auto* power = new PillButton({}, PillButtonStyle::chip(), "power");
    power->setToolTip(q(L("Sair")));
    power->setObjectName(QStringLiteral("quit"));
    connect(power, &QAbstractButton::clicked, this, [quit] { quit(); });
    footer->addWidget(power);
    column->addLayout(footer);

    changed_ = manager_.changed.connect([this] { refreshCount(); });
    refreshCount();
}

QString PanelPlaceholder::countText() const {
    return count_->text();
}

void PanelPlaceholder::refreshCount() {
    count_->setText(q(LF("%ld conectada(s)", {adjustableCount(manager_)})));
}

void PanelPlaceholder::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), DS::bg);
    // A soft accent light from the middle of the top edge.
    QRadialGradient light(QPointF(width() / 2.0, 0), 260);
    light.setColorAt(0, DS::withAlpha(DS::primary, 0.16));
    light.setColorAt(1, Qt::transparent);
    p.fillRect(rect(), light);
}

}  // namespace vp::ui
