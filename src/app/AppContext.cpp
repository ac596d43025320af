#include "app/AppContext.h"

#include "app/I18n.h"
#include "app/Log.h"
#include "display/DisplayManager.h"
#include "display/Gamma.h"
#include "display/VirtualEngine.h"
#include "input/BrightnessHUD.h"
#include "input/BrightnessKeys.h"
#include "overlay/Shade.h"
#include "overlay/XDR.h"
#include "pip/PiPController.h"

#include <atomic>

namespace vp {

namespace {
std::atomic<AppContext*> installed{nullptr};
}

AppContext::AppContext(Platform& platform)
    : platform_(platform),
      log_(std::make_unique<Log>(platform.system().logFilePath(), platform.runtime().clock)),
      gamma_(std::make_unique<Gamma>(*this)),
      shade_(std::make_unique<Shade>(*this)),
      xdr_(std::make_unique<XDR>(*this)),
      virtualEngine_(std::make_unique<VirtualEngine>(*this)),
      hud_(std::make_unique<BrightnessHUD>(*this)),
      pip_(std::make_unique<PiPRegistry>(*this)),
      displayManager_(std::make_unique<DisplayManager>(*this)),
      keys_(std::make_unique<BrightnessKeys>(*this)) {
    // What goes wrong with the stored settings is said once, on standard
    // error and in the log, for as long as the log exists.
    Log* log = log_.get();
    platform.system().defaults().setProblemHandler([log](const std::string& problem) { log->warn(problem); });
}

AppContext::~AppContext() {
    platform_.system().defaults().setProblemHandler(nullptr);
    AppContext* self = this;
    installed.compare_exchange_strong(self, nullptr);
}

AppContext& AppContext::current() {
    return *installed.load();
}

bool AppContext::hasCurrent() {
    return installed.load() != nullptr;
}

void AppContext::install() {
    // The language is chosen once per process: the first installed context's
    // preferred languages decide it.
    I18n::initialize(platform_.system().preferredLanguages());
    installed = this;
}

}  // namespace vp
