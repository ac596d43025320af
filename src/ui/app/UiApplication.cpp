#include "ui/app/UiApplication.h"

#include "app/I18n.h"
#include "platform/DesktopLanguages.h"
#include "ui/windows/WindowContents.h"

#include <QCoreApplication>

namespace vp::ui {

UiApplication::UiApplication(const UiOptions& options)
    : platform_(std::make_unique<LivePlatform>(options.home, makeWindowContent)) {
    // The desktop's languages, unless the scenario names the user's own.
    if (auto desktop = desktopLanguages(); !desktop.empty()) platform_->sim().simSystem.languages = desktop;
    platform_->loadScenarioFile(options.scenario.empty() ? SimPlatform::defaultScenarioPath() : options.scenario);
    if (!options.lang.empty()) platform_->sim().simSystem.languages = {options.lang};
    I18n::initialize(platform_->system().preferredLanguages());
    context_ = std::make_unique<AppContext>(*platform_);
    context_->install();
    delegate_ = std::make_unique<AppDelegate>(*context_);
    auto quit = options.quit ? options.quit : [] { QCoreApplication::quit(); };
    scenes_ = std::make_unique<Scenes>(*context_, quit, options.trayAvailable);
}

UiApplication::~UiApplication() {
    terminate();
    scenes_.reset();
}

void UiApplication::launch(const QStringList& urls) {
    delegate_->applicationDidFinishLaunching();
    scenes_->start();
    if (!urls.isEmpty()) openURLs(urls);
}

void UiApplication::terminate() {
    if (delegate_->hasTerminated()) return;
    delegate_->applicationWillTerminate();
    // The simulated system undoes what was changed for this process only,
    // as the real one does when a process ends.
    platform_->sim().simDisplays.endProcess();
}

void UiApplication::openURLs(const QStringList& urls) {
    std::vector<std::string> list;
    list.reserve(std::size_t(urls.size()));
    for (const QString& url : urls) list.push_back(url.toStdString());
    delegate_->applicationOpenURLs(list);
}

}  // namespace vp::ui
