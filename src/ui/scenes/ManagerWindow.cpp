#include "ui/scenes/ManagerWindow.h"

#include "ui/components/PillButton.h"
#include "ui/manager/ManagerView.h"

#include <QMouseEvent>
#include <QVBoxLayout>
#include <QWindow>

namespace vp::ui {

namespace {
constexpr int kDragStrip = 28;
}  // namespace

ManagerWindow::ManagerWindow(AppContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), view_(new ManagerView(context)) {
    setObjectName(QString::fromLatin1(identifier));
    setWindowTitle(QStringLiteral("Velvetpane"));
    resize(defaultWidth, defaultHeight);
    setAttribute(Qt::WA_DeleteOnClose, false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);

    // The hidden title bar's close button, above the sidebar's brand row.
    auto* close = new PillButton({}, PillButtonStyle::chip(), "xmark", this);
    close->setObjectName(QStringLiteral("close"));
    close->adjustSize();
    close->move(12, 6);
    close->raise();
    connect(close, &QAbstractButton::clicked, this, &QWidget::close);
}

void ManagerWindow::mousePressEvent(QMouseEvent* event) {
    // The hidden title bar still moves the window.
    if (event->button() == Qt::LeftButton && event->position().y() < kDragStrip && windowHandle())
        windowHandle()->startSystemMove();
}

}  // namespace vp::ui
