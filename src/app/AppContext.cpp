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

namespace vp {

AppContext::AppContext(Platform& platform)
    : platform_(platform),
      log_(std::make_unique<Log>(platform.system().logFilePath(), platform.runtime().clock)),
      gamma_(std::make_unique<Gamma>(platform.displays())),
      shade_(std::make_unique<Shade>(platform.windows())),
      xdr_(std::make_unique<XDR>(platform.windows())),
      virtualEngine_(std::make_unique<VirtualEngine>(platform.virtualDisplays(), platform.displays(), *log_)),
      hud_(std::make_unique<BrightnessHUD>(platform.windows(), platform.runtime().main,
                                           [&platform] { return platform.capabilities().translucentWindows; })),
      displayManager_(std::make_unique<DisplayManager>(platform, *gamma_, *shade_, *xdr_, *virtualEngine_)),
      pip_(std::make_unique<PiPRegistry>(platform, *log_, *displayManager_)),
      keys_(std::make_unique<BrightnessKeys>(platform, *log_, *displayManager_, *hud_)) {
    // What goes wrong with the stored settings is said once, on standard
    // error and in the log, for as long as the log exists.
    Log* log = log_.get();
    platform.system().defaults().setProblemHandler([log](const std::string& problem) { log->warn(problem); });
}

AppContext::~AppContext() {
    platform_.system().defaults().setProblemHandler(nullptr);
}

void AppContext::install() {
    // The language is chosen once per process: the first installed context's
    // preferred languages decide it.
    I18n::initialize(platform_.system().preferredLanguages());
}

}  // namespace vp
