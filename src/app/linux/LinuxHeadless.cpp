#include "app/linux/LinuxHeadless.h"

#include "app/TerminationSignals.h"
#include "platform/RealTimeRuntime.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/LookAround.h"

#include <limits>
#include <optional>
#include <ostream>

namespace vp {

namespace {

// How long a command-line run waits for its operations to reach the
// hardware (DDC/CI probes and writes take a few hundred milliseconds).
constexpr Seconds kSettleLimit{10.0};

class LinuxBed : public HeadlessBed {
public:
    LinuxBed(LinuxPlatformOptions options, bool staying)
        : platform_(std::move(options), runtime_.runtime()), staying_(staying) {}
    Platform& platform() override { return platform_; }
    std::string summary() const { return platform_.summary(); }
    // A command-line run waits for what its operations set in motion (DDC/CI
    // exchanges, configuration steps); the start's own delayed housekeeping
    // (gamma re-applied once the desktop has settled, HiDPI pairs restored)
    // is for a program that stays, so for a run that ends, timers posted
    // before the first wait are not waited for.
    void settle() override {
        if (!since_) since_ = staying_ ? Seconds(-std::numeric_limits<double>::infinity()) : runtime_.clock.now();
        runtime_.runUntilIdle(kSettleLimit, *since_);
    }
    // The main queue runs until the signal comes: a staying run is the
    // program, with its keys and HUD, only without windows of its own.
    int waitForSignal() override {
        constexpr Seconds forever{std::numeric_limits<double>::infinity()};
        std::optional<int> signal;
        // Busy until the signal; no timer is awaited beyond it (none is
        // posted at or after `forever`).
        runtime_.main.runUntilIdle(
            forever,
            [&signal] {
                if (!signal) signal = TerminationSignals::take();
                return !signal;
            },
            forever);
        return *signal;
    }
    void pressKey(const KeyEvent&) override {
        throw UsageError("--key plays a key on the simulated platform only; on a real one, press it");
    }
    void grantKeysPermission() override { throw UsageError("permissions are granted by the real system, not by --grant"); }

private:
    RealTimeRuntime runtime_;
    LinuxPlatform platform_;
    bool staying_;
    std::optional<Seconds> since_;
};

XdgFolders foldersFor(const HeadlessOptions& options) {
    if (options.home.empty()) return XdgFolders::fromEnvironment();
    const std::string& h = options.home;
    return {h, h + "/.config", h + "/.local/state", h + "/.local/share"};
}

}  // namespace

std::unique_ptr<HeadlessBed> makeLinuxBed(const HeadlessOptions& options, std::ostream& err) {
    if (options.platform == "sim") return nullptr;
    LinuxPaths paths = LinuxPaths::fromEnvironment();
    auto choice = choosePlatform(options.platform, lookAround(paths));
    if (auto* error = std::get_if<std::string>(&choice)) throw UsageError(*error);
    const PlatformChoice& chosen = std::get<PlatformChoice>(choice);
    if (chosen.kind != PlatformKind::linux) return nullptr;
    LinuxPlatformOptions platformOptions;
    platformOptions.choice = chosen;
    platformOptions.paths = paths;
    platformOptions.folders = foldersFor(options);
    auto bed = std::make_unique<LinuxBed>(std::move(platformOptions), options.untilSignal);
    err << "velvetpane: " << chosen.reason << "\n" << "velvetpane: " << bed->summary() << "\n";
    return bed;
}

}  // namespace vp
