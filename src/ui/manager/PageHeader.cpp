#include "ui/manager/PageHeader.h"

#include "ui/components/DS.h"
#include "ui/components/Eyebrow.h"

#include <QLabel>
#include <QVBoxLayout>

namespace vp::ui {

PageHeader::PageHeader(const QString& eyebrow, const QString& title, const QString& accent, QWidget* parent)
    : QWidget(parent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 14);
    column->setSpacing(6);
    column->addWidget(new Eyebrow(eyebrow));
    auto* heading = new QLabel(QStringLiteral("<span style=\"color:%1\">%2</span><br><span style=\"color:%3\">%4</span>")
                                   .arg(DS::text.name(), title.toHtmlEscaped(), DS::primary.name(), accent.toHtmlEscaped()));
    heading->setObjectName("heading");
    heading->setTextFormat(Qt::RichText);
    heading->setFont(DS::font(24, QFont::Bold));
    heading->setWordWrap(true);
    column->addWidget(heading);
}

}  // namespace vp::ui
