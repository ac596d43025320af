#include "ui/scenes/Scenes.h"

#include "app/AppContext.h"
#include "ui/components/DS.h"
#include "ui/components/Symbols.h"
#include "ui/panel/MenuPanel.h"
#include "ui/scenes/ManagerWindow.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QVBoxLayout>

namespace vp::ui {

namespace {

// The fallback window: the panel in a normal window; closing it quits, as
// the program would otherwise be left running with nothing to reach it by.
class FallbackWindow : public QWidget {
public:
    explicit FallbackWindow(std::function<void()> quit) : QWidget(nullptr, Qt::Window), quit_(std::move(quit)) {
        setWindowTitle(QStringLiteral("Velvetpane"));
        setObjectName(QStringLiteral("panel-fallback"));
    }

protected:
    void closeEvent(QCloseEvent* event) override {
        event->accept();
        quit_();
    }

private:
    std::function<void()> quit_;
};

}  // namespace

Scenes::Scenes(AppContext& context, std::function<void()> quit, bool trayAvailable)
    : context_(context), quit_(std::move(quit)), trayAvailable_(trayAvailable) {}

Scenes::~Scenes() {
    delete panel_;
    delete manager_;
}

void Scenes::start() {
    if (!trayAvailable_) {
        auto* window = new FallbackWindow(quit_);
        auto* layout = new QVBoxLayout(window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(makePanel(window));
        window->setFixedSize(window->sizeHint());
        panel_ = window;
        window->show();
        return;
    }
    tray_ = new QSystemTrayIcon(this);
    tray_->setIcon(QIcon(Symbols::pixmap("sun.max.fill", DS::text, 22, 2.0)));
    tray_->setToolTip(QStringLiteral("Velvetpane"));
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::Context) togglePanel();
    });
    tray_->show();
}

QWidget* Scenes::makePanel(QWidget* parent) {
    auto* panel = new MenuPanel(context_, [this] { openManager(); }, quit_, parent);
    panel->setObjectName(QStringLiteral("panel"));
    return panel;
}

void Scenes::togglePanel() {
    if (!trayAvailable_) {
        if (panel_) panel_->raise();
        return;
    }
    if (panel_) {
        panel_->close();
        return;
    }
    // A popup: frameless, no task-bar entry, closed by a click elsewhere,
    // as a panel opened from a tray icon behaves. It is made anew each time.
    auto* window = new QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint);
    window->setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(makePanel(window));
    window->adjustSize();
    placeUnderTray(window);
    panel_ = window;
    window->show();
}

void Scenes::placeUnderTray(QWidget* window) {
    QRect icon = tray_ ? tray_->geometry() : QRect();
    QScreen* screen = icon.isValid() ? QGuiApplication::screenAt(icon.center()) : QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect area = screen->availableGeometry();
    QSize size = window->size();
    QPoint anchor = icon.isValid() ? QPoint(icon.center().x(), icon.bottom() + 4) : QPoint(area.right(), area.top());
    int x = std::clamp(anchor.x() - size.width() / 2, area.left(), std::max(area.left(), area.right() - size.width()));
    int y = anchor.y();
    // A tray at the bottom of the screen opens the panel above the icon.
    if (icon.isValid() && y + size.height() > area.bottom()) y = icon.top() - 4 - size.height();
    window->move(x, std::max(y, area.top()));
}

void Scenes::openManager() {
    if (!manager_) manager_ = new ManagerWindow(context_);
    manager_->show();
    manager_->raise();
    manager_->activateWindow();
}

}  // namespace vp::ui
