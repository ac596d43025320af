#include "ui/app/UiApplication.h"

#include "app/I18n.h"
#include "platform/DesktopLanguages.h"
#include "ui/windows/WindowContents.h"

#include <QCoreApplication>

namespace vp::ui {

UiApplication::UiApplication(const UiOptions& options) {
    if (options.platform.kind == PlatformKind::linux) startLinux(options);
    else startSimulated(options);
    context_ = std::make_unique<AppContext>(platform());
    context_->install();
    delegate_ = std::make_unique<AppDelegate>(*context_);
    auto quit = options.quit ? options.quit : [] { QCoreApplication::quit(); };
    scenes_ = std::make_unique<Scenes>(*context_, quit, options.trayAvailable);
}

void UiApplication::startSimulated(const UiOptions& options) {
    simulated_ = std::make_unique<LivePlatform>(options.home, makeWindowContent);
    // The desktop's languages, unless the scenario names the user's own.
    if (auto desktop = desktopLanguages(); !desktop.empty()) simulated_->sim().simSystem.languages = desktop;
    simulated_->loadScenarioFile(options.scenario.empty() ? SimPlatform::defaultScenarioPath() : options.scenario);
    if (!options.lang.empty()) simulated_->sim().simSystem.languages = {options.lang};
    I18n::initialize(simulated_->system().preferredLanguages());
}

void UiApplication::startLinux(const UiOptions& options) {
    LinuxPlatformOptions platformOptions;
    platformOptions.choice = options.platform;
    platformOptions.folders = foldersUnder(options.home);
    linux_ = std::make_unique<LinuxInterfacePlatform>(std::move(platformOptions), makeWindowContent);
    I18n::initialize(options.lang.empty() ? linux_->platform().system().preferredLanguages()
                                          : std::vector<std::string>{options.lang});
}

UiApplication::~UiApplication() {
    terminate();
    scenes_.reset();
}

Platform& UiApplication::platform() {
    if (linux_) return linux_->platform();
    return *simulated_;
}

QtWindowSystem& UiApplication::qtWindows() {
    return linux_ ? linux_->windows() : simulated_->qtWindows();
}

void UiApplication::launch(const QStringList& urls) {
    delegate_->applicationDidFinishLaunching();
    scenes_->start();
    if (!urls.isEmpty()) openURLs(urls);
}

void UiApplication::terminate() {
    if (delegate_->hasTerminated()) return;
    // On Linux the core's shutdown puts back what outlives the process.
    delegate_->applicationWillTerminate();
    // The simulated system undoes what was changed for this process only,
    // as the real one does when a process ends.
    if (simulated_) simulated_->sim().simDisplays.endProcess();
}

void UiApplication::openURLs(const QStringList& urls) {
    std::vector<std::string> list;
    list.reserve(std::size_t(urls.size()));
    for (const QString& url : urls) list.push_back(url.toStdString());
    delegate_->applicationOpenURLs(list);
}

}  // namespace vp::ui
