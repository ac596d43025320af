#include "ui/manager/DesktopShortcutsCard.h"

#include "app/I18n.h"
#include "platform/Input.h"
#include "ui/components/DS.h"
#include "ui/components/Eyebrow.h"
#include "ui/components/PillButton.h"
#include "ui/components/Surface.h"
#include "ui/controls/Text.h"

#include <QVBoxLayout>

namespace vp::ui {

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

std::string keysOf(const std::vector<DesktopShortcut>& list) {
    std::string out;
    for (const DesktopShortcut& s : list) {
        if (!out.empty()) out += " · ";
        out += s.key == Key::brightnessUp ? LF("Mais brilho: %@", {s.keys}) : LF("Menos brilho: %@", {s.keys});
    }
    return out;
}

}  // namespace

DesktopShortcutsCard::DesktopShortcutsCard(DesktopShortcuts& shortcuts, QWidget* parent)
    : QWidget(parent), shortcuts_(shortcuts) {
    setObjectName("desktopShortcuts");
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    sync();
}

// The card is built again from what the desktop keeps after every change.
void DesktopShortcutsCard::sync() {
    if (body_) {
        // Out of the tree at once; deleted later, since the click that got
        // here came from one of its buttons.
        body_->hide();
        body_->setParent(nullptr);
        body_->deleteLater();
    }
    auto* inner = new QWidget;
    auto* column = new QVBoxLayout(inner);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    column->addWidget(new Eyebrow(q(L("Atalhos da área de trabalho"))), 0, Qt::AlignLeft);
    column->addWidget(wrappingText(q(L("A área de trabalho fica com as teclas de brilho. O Velvetpane pode adicionar "
                                       "atalhos próprios que aumentam e diminuem o brilho das telas que controla.")),
                                   12, DS::muted));
    const Ability ability = shortcuts_.ability();
    if (!ability) {
        QLabel* reason = wrappingText(q(ability.reason), 11, DS::muted);
        reason->setObjectName("shortcutsUnavailable");
        column->addWidget(reason);
    } else {
        const auto installed = shortcuts_.installed();
        if (!installed.empty()) {
            QLabel* keys = wrappingText(q(LF("Atalhos adicionados: %@", {keysOf(installed)})), 11, DS::text);
            keys->setObjectName("shortcutKeys");
            column->addWidget(keys);
        }
        const bool install = installed.empty();
        auto* button = new PillButton(q(install ? L("Adicionar atalhos") : L("Remover atalhos")),
                                      PillButtonStyle{install, false});
        button->setObjectName(install ? "addShortcuts" : "removeShortcuts");
        connect(button, &QAbstractButton::clicked, this, [this, install] { act(install); });
        column->addWidget(button, 0, Qt::AlignLeft);
    }
    if (!problem_.isEmpty()) {
        QLabel* problem = wrappingText(problem_, 11, DS::warning);
        problem->setObjectName("shortcutsProblem");
        column->addWidget(problem);
    }
    body_ = surface(inner, 16);
    layout()->addWidget(body_);
}

void DesktopShortcutsCard::act(bool install) {
    std::string why;
    const bool done = install ? shortcuts_.install(why) : shortcuts_.remove(why);
    problem_ = done ? QString() : q(LF("Os atalhos não foram alterados: %@", {why}));
    sync();
}

}  // namespace vp::ui
