#include "ui/scenes/ManagerWindow.h"

#include "app/I18n.h"
#include "ui/components/DS.h"
#include "ui/components/Eyebrow.h"
#include "ui/components/PillButton.h"
#include "ui/components/ScreenMark.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <QWindow>

namespace vp::ui {

namespace {
constexpr int kSidebarWidth = 200;
constexpr int kDragStrip = 28;
}  // namespace

ManagerWindow::ManagerWindow(QWidget* parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName(QString::fromLatin1(identifier));
    setWindowTitle(QStringLiteral("Velvetpane"));
    resize(defaultWidth, defaultHeight);
    setAttribute(Qt::WA_DeleteOnClose, false);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    auto* sidebar = new QWidget;
    sidebar->setFixedWidth(kSidebarWidth);
    auto* side = new QVBoxLayout(sidebar);
    side->setContentsMargins(16, 16, 16, 16);
    side->setSpacing(10);
    auto* close = new PillButton({}, PillButtonStyle::chip(), "xmark");
    close->setObjectName(QStringLiteral("close"));
    connect(close, &QAbstractButton::clicked, this, &QWidget::close);
    side->addWidget(close, 0, Qt::AlignLeft);
    auto* brand = new QHBoxLayout;
    brand->setSpacing(8);
    brand->addWidget(new ScreenMark(22));
    auto* title = new QLabel(QStringLiteral("Velvetpane"));
    title->setFont(DS::font(14, QFont::Bold));
    QPalette pal = title->palette();
    pal.setColor(QPalette::WindowText, DS::text);
    title->setPalette(pal);
    brand->addWidget(title);
    brand->addStretch(1);
    side->addLayout(brand);
    side->addWidget(new Eyebrow(QString::fromStdString(L("Telas virtuais"))));
    side->addStretch(1);
    row->addWidget(sidebar);
    row->addStretch(1);
}

void ManagerWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), DS::bg);
    p.fillRect(QRect(0, 0, kSidebarWidth, height()), DS::surface);
    p.fillRect(QRect(kSidebarWidth, 0, 1, height()), DS::border);
}

void ManagerWindow::mousePressEvent(QMouseEvent* event) {
    // The hidden title bar still moves the window.
    if (event->button() == Qt::LeftButton && event->position().y() < kDragStrip && windowHandle())
        windowHandle()->startSystemMove();
}

}  // namespace vp::ui
