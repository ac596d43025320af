#include "app/AppDelegate.h"

#include "app/AppContext.h"
#include "app/Log.h"
#include "app/UrlCommands.h"
#include "display/DisplayManager.h"
#include "input/BrightnessKeys.h"

namespace vp {

void AppDelegate::applicationDidFinishLaunching() {
    context_.platform().windows().setActivationPolicyAccessory();
    context_.displayManager().start();
    context_.keys().start(true);
}

void AppDelegate::applicationWillTerminate() {
    if (terminated_) return;
    terminated_ = true;
    context_.keys().stop();
    context_.displayManager().shutdown();
}

void AppDelegate::applicationOpenURLs(const std::vector<std::string>& urls) {
    handleURLs(context_.displayManager(), context_.log(), urls);
}

}  // namespace vp
