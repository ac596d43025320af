#pragma once
// The program's two scenes: the tray icon whose click opens the menu panel
// under it, and the manager window, of which there is only ever one. When the
// desktop has no tray, the panel is shown as a small normal window instead,
// so the program is never invisible; closing that window quits.

#include "ui/scenes/ManagerWindow.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

class QSystemTrayIcon;

namespace vp {
class AppContext;
}

namespace vp::ui {

class Scenes : public QObject {
public:
    Scenes(AppContext& context, std::function<void()> quit, bool trayAvailable);
    ~Scenes() override;

    // Shows the tray icon, or the fallback window.
    void start();
    // Opens the manager window, or raises the one that is open.
    void openManager();
    // Opens the panel under the tray icon, or closes it when it is open.
    void togglePanel();

    bool usesTray() const { return trayAvailable_; }
    ManagerWindow* managerWindow() const { return manager_; }
    // The open panel window (under the tray icon or the fallback), if any.
    QWidget* panelWindow() const { return panel_; }
    QSystemTrayIcon* trayIcon() const { return tray_; }

private:
    QWidget* makePanel(QWidget* parent);
    void placeUnderTray(QWidget* window);

    AppContext& context_;
    std::function<void()> quit_;
    bool trayAvailable_;
    QSystemTrayIcon* tray_ = nullptr;
    QPointer<QWidget> panel_;
    QPointer<ManagerWindow> manager_;
};

}  // namespace vp::ui
