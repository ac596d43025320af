#include "ui/manager/AboutPage.h"

#include "app/AppContext.h"
#include "app/I18n.h"
#include "app/presentation/AboutRows.h"
#include "ui/components/DS.h"
#include "ui/components/Surface.h"
#include "ui/controls/Text.h"
#include "ui/manager/PageHeader.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace vp::ui {

namespace {
QString q(const std::string& s) {
    return QString::fromStdString(s);
}
}  // namespace

AboutPage::AboutPage(AppContext& context, QWidget* parent) : QWidget(parent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(16);
    column->addWidget(new PageHeader(q(L("Sobre")), QStringLiteral("Velvetpane"), q(L("suas telas, do seu jeito."))));

    auto* body = new QWidget;
    auto* rows = new QVBoxLayout(body);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(10);
    for (const auto& [label, value] : aboutRows(context.platform())) {
        auto* line = new QHBoxLayout;
        line->setSpacing(8);
        QLabel* name = text(q(label), 11.5, DS::muted, QFont::DemiBold);
        name->setFixedWidth(130);
        name->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        line->addWidget(name, 0, Qt::AlignTop);
        QLabel* shown = wrappingText(q(value), 11.5, DS::text);
        shown->setTextInteractionFlags(Qt::TextSelectableByMouse);
        line->addWidget(shown, 1, Qt::AlignTop);
        rows->addLayout(line);
    }
    column->addWidget(surface(body, 16));
}

}  // namespace vp::ui
