#pragma once
// The program with its user interface: the platform, the composition root,
// the scenes and the launch and termination sequences.

#include "app/AppContext.h"
#include "app/AppDelegate.h"
#include "platform/linux/PlatformChoice.h"
#include "platform/qt/LivePlatform.h"
#include "ui/app/InterfacePlatform.h"
#include "ui/scenes/Scenes.h"

#include <QStringList>

#include <functional>
#include <memory>
#include <string>

namespace vp::ui {

struct UiOptions {
    std::string scenario;  // empty: the default scenario
    std::string home;      // empty: defaults in memory (simulated), the XDG folders (Linux)
    std::string lang;      // empty: the system's preferred languages
    PlatformChoice platform;  // simulated unless chosen otherwise
    bool trayAvailable = true;
    // What the quit action does; unset: end the event loop.
    std::function<void()> quit;
};

class UiApplication {
public:
    // Throws std::runtime_error for a scenario that cannot be loaded.
    explicit UiApplication(const UiOptions& options);
    ~UiApplication();

    // Starts the manager, shows the tray icon (or the fallback window) and
    // carries out the URLs the program was started with.
    void launch(const QStringList& urls);
    // Gives the keys back and every screen what the program changed. Runs
    // once; later calls do nothing.
    void terminate();
    void openURLs(const QStringList& urls);

    Platform& platform();
    QtWindowSystem& qtWindows();
    // Null on the Linux platform.
    LivePlatform* simulated() { return simulated_.get(); }
    // Null on the simulated platform.
    LinuxPlatform* linuxPlatform() { return linux_ ? &linux_->platform() : nullptr; }
    AppContext& context() { return *context_; }
    Scenes& scenes() { return *scenes_; }

private:
    void startSimulated(const UiOptions& options);
    void startLinux(const UiOptions& options);

    std::unique_ptr<LivePlatform> simulated_;
    std::unique_ptr<LinuxInterfacePlatform> linux_;
    std::unique_ptr<AppContext> context_;
    std::unique_ptr<AppDelegate> delegate_;
    std::unique_ptr<Scenes> scenes_;
};

}  // namespace vp::ui
