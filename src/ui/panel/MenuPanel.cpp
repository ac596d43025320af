#include "ui/panel/MenuPanel.h"

#include "app/AppContext.h"
#include "app/I18n.h"
#include "display/DisplayManager.h"
#include "pip/PiPController.h"
#include "ui/card/ScreenCard.h"
#include "ui/components/DS.h"
#include "ui/components/Eyebrow.h"
#include "ui/components/GlowSlider.h"
#include "ui/components/PillButton.h"
#include "ui/components/ScreenMark.h"
#include "ui/components/Surface.h"
#include "ui/components/SymbolView.h"
#include "ui/components/Symbols.h"
#include "ui/controls/ChipMenuButton.h"
#include "ui/controls/Text.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPointer>
#include <QRadialGradient>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

namespace vp::ui {

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

// The rounded, faintly orange area behind the error message.
class BannerFrame : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(DS::withAlpha(DS::warning, 0.1));
        p.drawRoundedRect(QRectF(rect()), 10, 10);
    }
};

PillButton* chip(const QString& text, const std::string& symbol, const QString& help, const char* name) {
    auto* button = new PillButton(text, PillButtonStyle::chip(), symbol);
    button->setToolTip(help);
    button->setObjectName(name);
    return button;
}

}  // namespace

MenuPanel::MenuPanel(AppContext& context, std::function<void()> openManager, std::function<void()> quit,
                     QWidget* parent)
    : QWidget(parent), context_(context), manager_(context.displayManager()) {
    setFixedWidth(panelWidth);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(panelMargin, panelMargin, panelMargin, panelMargin);
    column->setSpacing(10);
    column->addWidget(header());
    column->addWidget(allScreens());
    listHost_ = new QVBoxLayout;
    listHost_->setContentsMargins(0, 0, 0, 0);
    column->addLayout(listHost_);
    column->addWidget(banner());
    column->addWidget(footer(std::move(openManager), std::move(quit)));

    changed_ = manager_.onChange([this] { sync(); });
    sync();
}

QWidget* MenuPanel::header() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    layout->addWidget(new ScreenMark(24));
    auto* titles = new QVBoxLayout;
    titles->setSpacing(1);
    titles->addWidget(new Eyebrow(q(L("Telas"))));
    titles->addWidget(text(QStringLiteral("Velvetpane"), 15, DS::text, QFont::Bold));
    layout->addLayout(titles);
    layout->addStretch(1);
    count_ = text({}, 10.5, DS::muted);
    count_->setObjectName("count");
    layout->addWidget(count_);
    return row;
}

QWidget* MenuPanel::allScreens() {
    auto* body = new QWidget;
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    column->addWidget(new Eyebrow(q(L("Todas as telas"))));
    GlowSlider::Options options;
    options.tint = DS::primary;
    options.icon = "sun.min";
    options.trailingIcon = "sun.max.fill";
    // The thumb follows the manager's average, never the pointer alone.
    options.write = [](double) {};
    options.onChange = [this](double v) { manager_.setAllBrightness(v); };
    allSlider_ = new GlowSlider(manager_.averageBrightness(), std::move(options));
    allSlider_->setObjectName("allScreens");
    column->addWidget(allSlider_);
    allScreens_ = surface(body, 10);
    allScreens_->setObjectName("allScreensBlock");
    return allScreens_;
}

QWidget* MenuPanel::banner() {
    banner_ = new BannerFrame;
    banner_->setObjectName("banner");
    auto* layout = new QHBoxLayout(banner_);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(8);
    layout->addWidget(new SymbolView("exclamationmark.triangle.fill", DS::warning, 14), 0, Qt::AlignTop);
    bannerText_ = wrappingText({}, 11, DS::text);
    bannerText_->setObjectName("bannerText");
    layout->addWidget(bannerText_, 1, Qt::AlignTop);
    auto* close = new QToolButton;
    close->setObjectName("bannerClose");
    close->setAutoRaise(true);
    close->setCursor(Qt::PointingHandCursor);
    close->setIcon(QIcon(Symbols::pixmap("xmark", DS::muted, 10, devicePixelRatioF())));
    close->setIconSize(QSize(10, 10));
    close->setStyleSheet(QStringLiteral("QToolButton { border: none; background: transparent; }"));
    connect(close, &QToolButton::clicked, this, [this] { manager_.clearLastError(); });
    layout->addWidget(close, 0, Qt::AlignTop);
    return banner_;
}

QWidget* MenuPanel::footer(std::function<void()> openManager, std::function<void()> quit) {
    auto* virtuals = new ChipButton(q(L("Telas virtuais")), "rectangle.on.rectangle");
    virtuals->setObjectName("virtualScreens");
    virtuals->setElides(false);
    connect(virtuals, &QAbstractButton::clicked, this, [openManager] { openManager(); });

    auto* windows = new ChipMenuButton(q(L("PiP de janela")), "pip");
    windows->setObjectName("windowMenu");
    windows->setElides(false);
    windows->setToolTip(q(L("Ver uma janela de outro app numa janela flutuante")));
    windows->onShow = [this](QMenu& menu) { fillWindowMenu(menu); };

    PillButton* refresh = chip({}, "arrow.clockwise", q(L("Atualizar")), "refresh");
    connect(refresh, &QAbstractButton::clicked, this, [this] { manager_.refresh(); });
    PillButton* settings = chip({}, "gearshape", q(L("Ajustes")), "settings");
    connect(settings, &QAbstractButton::clicked, this, [openManager] { openManager(); });
    PillButton* power = chip({}, "power", q(L("Sair")), "quit");
    connect(power, &QAbstractButton::clicked, this, [quit] { quit(); });

    // One row where the labels fit beside the buttons; in languages with
    // longer words the labelled chips take a row of their own, whole.
    constexpr int spacing = 6;
    int needed = 4 * spacing;
    for (QWidget* w : std::initializer_list<QWidget*>{virtuals, windows, refresh, settings, power})
        needed += w->sizeHint().width();
    const bool oneRow = needed <= panelWidth - 2 * panelMargin;

    auto* footer = new QWidget;
    auto* rows = new QVBoxLayout(footer);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(spacing);
    auto* labelled = new QHBoxLayout;
    labelled->setSpacing(spacing);
    labelled->addWidget(virtuals);
    labelled->addWidget(windows);
    rows->addLayout(labelled);
    QHBoxLayout* buttons = labelled;
    if (!oneRow) {
        labelled->addStretch(1);
        buttons = new QHBoxLayout;
        buttons->setSpacing(spacing);
        rows->addLayout(buttons);
    }
    buttons->addWidget(refresh);
    buttons->addStretch(1);
    buttons->addWidget(settings);
    buttons->addWidget(power);
    return footer;
}

void MenuPanel::fillWindowMenu(QMenu& menu) {
    if (pipWindows_.empty()) menu.addAction(q(L("Nenhuma janela encontrada")))->setEnabled(false);
    for (const PiPWindowItem& item : pipWindows_) {
        PiPController::Target target = PiPController::Target::window(item.id);
        std::string app = item.app;
        addItem(menu, q(item.label()), {}, [this, target, app] { context_.pip().toggle(target, app); });
    }
    menu.addSeparator();
    addItem(menu, q(L("Atualizar lista")), {}, [this] { loadWindows(); });
}

void MenuPanel::loadWindows() {
    if (!context_.platform().capture().preflightAccess()) return;
    QPointer<MenuPanel> self(this);
    context_.pip().listWindows([self](std::vector<PiPWindowItem> items) {
        if (self) self->pipWindows_ = std::move(items);
    });
}

void MenuPanel::opened() {
    manager_.refresh();
    loadWindows();
}

void MenuPanel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    opened();
}

void MenuPanel::sync() {
    model_ = panelModel(manager_.state().screens, manager_.averageBrightness(), manager_.state().lastError);
    count_->setText(q(model_.countText));
    allScreens_->setVisible(model_.allScreensSlider);
    allSlider_->setValue(model_.averageBrightness);
    if (banner_->isHidden() == model_.banner.has_value()) {
        banner_->setVisible(model_.banner.has_value());
        QTimer::singleShot(0, this, [this] { fitWindow(); });
    }
    bannerText_->setText(q(model_.banner.value_or("")));
    syncCards();
}

void MenuPanel::syncCards() {
    const std::vector<Screen>& screens = manager_.state().screens;
    std::vector<DisplayID> order;
    for (const Screen& s : screens) order.push_back(s.id);
    bool sameShape = list_ && order == listed_ && (scroll_ != nullptr) == model_.scrolls;
    if (sameShape) {
        // Values only: the cards keep their controls (and a drag in progress).
        for (const Screen& s : screens) {
            ScreenCard* card = cards_.at(s.id);
            if (card->screen() == s) card->refresh();
            else card->setScreen(s);
        }
        return;
    }

    // Keep the cards of screens that stay (and their expanded state).
    std::map<DisplayID, ScreenCard*> kept;
    auto* list = new QWidget;
    auto* column = new QVBoxLayout(list);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    for (const Screen& s : screens) {
        ScreenCard* card;
        if (auto it = cards_.find(s.id); it != cards_.end()) {
            card = it->second;
            cards_.erase(it);
            card->setScreen(s);
        } else {
            card = new ScreenCard(context_, s);
        }
        column->addWidget(card);
        kept[s.id] = card;
    }
    column->addStretch(1);
    for (auto& [id, card] : cards_) card->deleteLater();  // may be inside its own handler
    cards_ = std::move(kept);
    listed_ = std::move(order);

    QWidget* old = scroll_ ? static_cast<QWidget*>(scroll_) : list_;
    if (old) {
        old->hide();
        old->setParent(nullptr);
        old->deleteLater();
    }
    list_ = list;
    scroll_ = nullptr;
    QTimer::singleShot(0, this, [this] { fitWindow(); });
    if (model_.scrolls) {
        scroll_ = new QScrollArea;
        scroll_->setObjectName("cardScroll");
        scroll_->setFrameShape(QFrame::NoFrame);
        scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll_->setWidgetResizable(true);
        scroll_->setFixedHeight(scrollHeight);
        scroll_->viewport()->setAutoFillBackground(false);
        list_->setAutoFillBackground(false);
        scroll_->setStyleSheet(QStringLiteral("QScrollArea { background: transparent; }"));
        scroll_->setWidget(list_);
        list_->setAutoFillBackground(false);  // setWidget turned it on
        listHost_->addWidget(scroll_);
    } else {
        listHost_->addWidget(list_);
    }
}

void MenuPanel::fitWindow() {
    // The panel keeps its width; its window follows the height of the cards.
    if (QWidget* host = window(); host && host != this) host->adjustSize();
}

ScreenCard* MenuPanel::card(DisplayID id) const {
    auto it = cards_.find(id);
    return it == cards_.end() ? nullptr : it->second;
}

std::vector<ScreenCard*> MenuPanel::cards() const {
    std::vector<ScreenCard*> out;
    for (DisplayID id : listed_) out.push_back(card(id));
    return out;
}

bool MenuPanel::scrolls() const {
    return scroll_ != nullptr;
}

void MenuPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), DS::bg);
    QRadialGradient light(QPointF(width() / 2.0, 0), 260);
    light.setColorAt(0, DS::withAlpha(DS::primary, 0.16));
    light.setColorAt(1, Qt::transparent);
    p.fillRect(rect(), light);
}

}  // namespace vp::ui
