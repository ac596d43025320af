#include "ui/manager/GeneralPage.h"

#include "app/AppContext.h"
#include "app/I18n.h"
#include "ui/card/CardParts.h"
#include "ui/components/DS.h"
#include "ui/components/Eyebrow.h"
#include "ui/components/PillButton.h"
#include "ui/components/Surface.h"
#include "ui/components/Symbols.h"
#include "ui/controls/Text.h"
#include "ui/controls/Toggle.h"
#include "ui/manager/DesktopShortcutsCard.h"
#include "ui/manager/KeyProblemsCard.h"
#include "ui/manager/PageHeader.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

#include <chrono>

namespace vp::ui {

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

const char* switchName(GeneralSwitch id) {
    switch (id) {
        case GeneralSwitch::loginItem: return "loginItem";
        case GeneralSwitch::restoreHiDPI: return "restoreHiDPI";
        case GeneralSwitch::keysAllScreens: return "keysAllScreens";
        case GeneralSwitch::dimBelow: return "dimBelow";
        case GeneralSwitch::volumeKeys: break;
    }
    return "volumeKeys";
}

class WarningSymbol : public QWidget {
public:
    WarningSymbol() { setFixedSize(14, 14); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        Symbols::paint(p, QRectF(rect()), "exclamationmark.triangle.fill", DS::warning);
    }
};

// A card of the children in a column; null children are left out.
QWidget* card(std::initializer_list<QWidget*> children, int spacing) {
    auto* body = new QWidget;
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(spacing);
    for (QWidget* child : children) {
        if (!child) continue;
        // A wrapping text takes the card's width, so its height follows from
        // that width; aligned, it would be given its one-line size and spill.
        auto* label = qobject_cast<QLabel*>(child);
        column->addWidget(child, 0, label && label->wordWrap() ? Qt::Alignment() : Qt::AlignLeft);
    }
    return surface(body, 16);
}

}  // namespace

GeneralPage::GeneralPage(AppContext& context, QWidget* parent)
    : QWidget(parent), context_(context), settings_(context), poll_(new QTimer(this)) {
    poll_->setInterval(std::chrono::duration_cast<std::chrono::milliseconds>(GeneralSettings::permissionPoll));
    connect(poll_, &QTimer::timeout, this, [this] {
        settings_.pollPermission();
        syncWarning();
    });

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(16);
    column->addWidget(new PageHeader(q(L("Geral")), q(L("Como o Velvetpane")), q(L("se comporta."))));
    column->addWidget(behaviourCard());
    keyProblems_ = new KeyProblemsCard(context_.platform().input());
    column->addWidget(keyProblems_);
    // Where no key reaches the program, the desktop's own shortcuts can.
    if (context_.platform().capabilities().keys == KeyDelivery::none)
        column->addWidget(new DesktopShortcutsCard(context_.platform().input().desktopShortcuts()));

    QLabel* safety = wrappingText(
        q(L("Ao sair, o Velvetpane devolve as cores originais, religa telas desligadas e desfaz o HiDPI virtual. Se algo "
            "der errado com uma tela, feche o app (ou reinicie o computador) e tudo volta ao normal.")),
        12, DS::muted);
    column->addWidget(card({new Eyebrow(q(L("Segurança"))), safety}, 8));

    QLabel* pip = wrappingText(q(L("O PiP captura a tela. O sistema pode pedir permissão na primeira vez.")), 12, DS::muted);
    QWidget* open = paneButton(SettingsPane::screenCapture, q(L("Abrir Privacidade › Gravação de Tela")),
                               "openScreenRecording", PillButtonStyle{false, false});
    column->addWidget(card({new Eyebrow(q(L("Permissões"))), pip, open}, 8));
    syncWarning();
}

QWidget* GeneralPage::behaviourCard() {
    auto* body = new QWidget;
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(14);
    bool first = true;
    for (const GeneralRow& row : generalRows()) {
        if (!first) column->addWidget(new Divider);
        first = false;
        auto* line = new QWidget;
        auto* layout = new QHBoxLayout(line);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* texts = new QVBoxLayout;
        texts->setSpacing(2);
        texts->addWidget(text(q(row.title), 12.5, DS::text, QFont::DemiBold));
        texts->addWidget(wrappingText(q(row.subtitle), 11, DS::muted));
        layout->addLayout(texts, 1);
        auto* toggle = new Toggle;
        toggle->setObjectName(switchName(row.id));
        toggle->setChecked(settings_.value(row.id));
        GeneralSwitch id = row.id;
        toggle->onToggle = [this, id](bool on) {
            settings_.set(id, on);
            syncWarning();
        };
        layout->addWidget(toggle);
        column->addWidget(line);
    }
    column->addWidget(warningRow());
    return surface(body, 16);
}

QWidget* GeneralPage::warningRow() {
    warning_ = new QWidget;
    warning_->setObjectName("accessibilityWarning");
    auto* layout = new QHBoxLayout(warning_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(new WarningSymbol);
    layout->addWidget(text(q(L("Precisa da permissão de Acessibilidade.")), 11, DS::muted));
    layout->addStretch(1);
    QWidget* open =
        paneButton(SettingsPane::accessibility, q(L("Abrir Acessibilidade")), "openAccessibility", PillButtonStyle::chip());
    if (open) layout->addWidget(open);
    return warning_;
}

QWidget* GeneralPage::paneButton(SettingsPane pane, const QString& label, const char* name, PillButtonStyle style) {
    SystemServices& system = context_.platform().system();
    if (!system.hasSettingsPane(pane)) return nullptr;
    auto* open = new PillButton(label, style);
    open->setObjectName(name);
    connect(open, &QAbstractButton::clicked, this, [&system, pane] { system.openSettingsPane(pane); });
    return open;
}

void GeneralPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The persisted switches take their stored values every time the page shows.
    for (const GeneralRow& row : generalRows())
        if (auto* toggle = findChild<Toggle*>(switchName(row.id))) toggle->setChecked(settings_.value(row.id));
    keyProblems_->refresh();
    syncWarning();
}

void GeneralPage::syncWarning() {
    bool shown = settings_.accessibilityWarning();
    warning_->setVisible(shown);
    // The poll exists only while the warning is on screen.
    if (shown && !poll_->isActive()) poll_->start();
    if (!shown) poll_->stop();
}

bool GeneralPage::isPolling() const {
    return poll_->isActive();
}

}  // namespace vp::ui
