#include "ui/manager/ManagerView.h"

#include "app/AppContext.h"
#include "app/I18n.h"
#include "ui/components/DS.h"
#include "ui/components/ScreenMark.h"
#include "ui/components/Symbols.h"
#include "ui/controls/Text.h"
#include "ui/manager/AboutPage.h"
#include "ui/manager/GeneralPage.h"
#include "ui/manager/VirtualPage.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QPainter>
#include <QRadialGradient>
#include <QScrollArea>
#include <QVBoxLayout>

namespace vp::ui {

namespace {

struct SectionInfo {
    ManagerSection section;
    const char* title;  // the localisation key
    const char* symbol;
    const char* name;
};

constexpr SectionInfo kSections[] = {
    {ManagerSection::virtualScreens, "Telas virtuais", "rectangle.on.rectangle", "virtual"},
    {ManagerSection::general, "Geral", "gearshape", "general"},
    {ManagerSection::about, "Sobre", "sparkle", "about"},
};

class SidebarRow : public QAbstractButton {
public:
    SidebarRow(const SectionInfo& info) : symbol_(info.symbol) {
        setText(QString::fromStdString(L(info.title)));
        setObjectName(info.name);
        setCheckable(true);
        setCursor(Qt::PointingHandCursor);
        setFont(DS::font(12.5, QFont::Medium));
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }
    QSize sizeHint() const override { return {180, fontMetrics().height() + 16}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        if (isChecked()) {
            p.setPen(Qt::NoPen);
            p.setBrush(DS::withAlpha(DS::primary, 0.14));
            p.drawRoundedRect(QRectF(rect()), 9, 9);
        }
        QColor color = isChecked() ? DS::primary : DS::muted;
        Symbols::paint(p, QRectF(10 + 2, (height() - 14) / 2.0, 14, 14), symbol_, color);
        p.setPen(color);
        p.drawText(QRectF(10 + 18 + 6, 0, width() - 44, height()), Qt::AlignVCenter | Qt::AlignLeft, text());
    }

private:
    std::string symbol_;
};

}  // namespace

ManagerView::ManagerView(AppContext& context, QWidget* parent) : QWidget(parent), context_(context) {
    setMinimumSize(720, 520);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(sidebar());
    auto* rule = new QWidget;
    rule->setFixedWidth(1);
    rule->setAutoFillBackground(true);
    QPalette palette = rule->palette();
    palette.setColor(QPalette::Window, DS::border);
    rule->setPalette(palette);
    layout->addWidget(rule);

    detail_ = new QScrollArea;
    detail_->setObjectName("detail");
    detail_->setFrameShape(QFrame::NoFrame);
    detail_->setWidgetResizable(true);
    detail_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    detail_->setStyleSheet(DS::sheet(QStringLiteral(
        "QScrollArea { background: transparent; }"
        "QScrollBar:vertical { background: transparent; width: 8px; margin: 2px; }"
        "QScrollBar::handle:vertical { background: $border; border-radius: 2px; min-height: 24px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }")));
    detail_->viewport()->setAutoFillBackground(false);
    layout->addWidget(detail_, 1);
    select(ManagerSection::virtualScreens);
}

QWidget* ManagerView::sidebar() {
    auto* bar = new QWidget;
    bar->setFixedWidth(210);
    auto* column = new QVBoxLayout(bar);
    column->setContentsMargins(14, 0, 14, 16);
    column->setSpacing(4);

    auto* brand = new QWidget;
    auto* brandRow = new QHBoxLayout(brand);
    brandRow->setContentsMargins(0, 30, 0, 18);
    brandRow->setSpacing(10);
    brandRow->addWidget(new ScreenMark(28));
    brandRow->addWidget(text(QStringLiteral("Velvetpane"), 16, DS::text, QFont::Bold));
    brandRow->addStretch(1);
    column->addWidget(brand);

    for (std::size_t i = 0; i < std::size(kSections); ++i) {
        auto* row = new SidebarRow(kSections[i]);
        ManagerSection section = kSections[i].section;
        connect(row, &QAbstractButton::clicked, this, [this, section] { select(section); });
        rows_[i] = row;
        column->addWidget(row);
    }
    column->addStretch(1);
    return bar;
}

QWidget* ManagerView::makePage(ManagerSection section) {
    switch (section) {
        case ManagerSection::virtualScreens: return new VirtualPage(context_);
        case ManagerSection::general: return new GeneralPage(context_);
        case ManagerSection::about: return new AboutPage(context_);
    }
    return nullptr;
}

void ManagerView::select(ManagerSection section) {
    if (page_ && section == section_) return;
    section_ = section;
    for (std::size_t i = 0; i < rows_.size(); ++i)
        static_cast<QAbstractButton*>(rows_[i])->setChecked(kSections[i].section == section);
    auto* padded = new QWidget;
    padded->setAutoFillBackground(false);
    auto* column = new QVBoxLayout(padded);
    column->setContentsMargins(28, 28, 28, 28);
    page_ = makePage(section);
    column->addWidget(page_);
    column->addStretch(1);
    detail_->setWidget(padded);  // deletes the previous page
    padded->setAutoFillBackground(false);  // setWidget turned it on; the window's light shows through
}

void ManagerView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), DS::bg);
    QRadialGradient light(QPointF(width() / 2.0, 0), 420);
    light.setColorAt(0, DS::withAlpha(DS::primary, 0.12));
    light.setColorAt(1, Qt::transparent);
    p.fillRect(rect(), light);
}

}  // namespace vp::ui
