#pragma once
// The composition root: owns every process-wide object of the core and hands
// each the services it uses when it builds it. Nothing below reaches back
// here; the program builds one in main, tests build a fresh one per test.

#include "platform/Platform.h"

#include <memory>

namespace vp {

class DisplayManager;
class Log;
class Gamma;
class Shade;
class XDR;
class VirtualEngine;
class BrightnessKeys;
class BrightnessHUD;
class PiPRegistry;

class AppContext {
public:
    explicit AppContext(Platform& platform);
    ~AppContext();
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    // Chooses the process's language (see I18n::initialize).
    void install();

    Platform& platform() { return platform_; }
    Runtime runtime() { return platform_.runtime(); }
    Log& log() { return *log_; }
    DisplayManager& displayManager() { return *displayManager_; }
    Gamma& gamma() { return *gamma_; }
    Shade& shade() { return *shade_; }
    XDR& xdr() { return *xdr_; }
    VirtualEngine& virtualEngine() { return *virtualEngine_; }
    BrightnessKeys& keys() { return *keys_; }
    BrightnessHUD& hud() { return *hud_; }
    PiPRegistry& pip() { return *pip_; }

private:
    Platform& platform_;
    std::unique_ptr<Log> log_;
    std::unique_ptr<Gamma> gamma_;
    std::unique_ptr<Shade> shade_;
    std::unique_ptr<XDR> xdr_;
    std::unique_ptr<VirtualEngine> virtualEngine_;
    std::unique_ptr<BrightnessHUD> hud_;
    std::unique_ptr<DisplayManager> displayManager_;
    std::unique_ptr<PiPRegistry> pip_;
    std::unique_ptr<BrightnessKeys> keys_;
};

}  // namespace vp
