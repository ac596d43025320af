#include "ui/manager/KeyProblemsCard.h"

#include "app/I18n.h"
#include "ui/components/DS.h"
#include "ui/components/Eyebrow.h"
#include "ui/components/Surface.h"
#include "ui/controls/Text.h"

#include <QVBoxLayout>

namespace vp::ui {

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

std::string keyName(Key key) {
    switch (key) {
        case Key::brightnessUp: return L("Aumentar brilho");
        case Key::brightnessDown: return L("Diminuir brilho");
        case Key::volumeUp: return L("Aumentar volume");
        case Key::volumeDown: return L("Diminuir volume");
        case Key::mute: break;
    }
    return L("Silenciar");
}

QWidget* problemRow(Key key, const std::string& why) {
    auto* row = new QWidget;
    row->setObjectName("keyProblem");
    auto* column = new QVBoxLayout(row);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    column->addWidget(text(q(keyName(key)), 12, DS::warning, QFont::DemiBold));
    QLabel* reason = wrappingText(q(why), 11, DS::muted);
    reason->setObjectName("keyProblemReason");
    column->addWidget(reason);
    return row;
}

}  // namespace

KeyProblemsCard::KeyProblemsCard(InputServices& input, QWidget* parent) : QWidget(parent), input_(input) {
    setObjectName("keyProblems");
    auto* body = new QWidget;
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    column->addWidget(new Eyebrow(q(L("Teclas em uso por outro programa"))));
    rows_ = new QVBoxLayout;
    rows_->setSpacing(8);
    column->addLayout(rows_);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(surface(body, 16));
    refresh();
}

void KeyProblemsCard::refresh() {
    while (QLayoutItem* item = rows_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const auto problems = input_.keyProblems();
    for (const auto& [key, why] : problems) rows_->addWidget(problemRow(key, why));
    setVisible(!problems.empty());
}

}  // namespace vp::ui
