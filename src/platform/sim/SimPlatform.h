#pragma once
// The simulated platform: a small display system with real state, driven by
// a scenario (JSON) and run in virtual time. It is the program's embedded
// default and the tests' test bed.

#include "platform/Inspection.h"
#include "platform/Platform.h"
#include "platform/VirtualRuntime.h"
#include "platform/sim/SimCapabilities.h"
#include "platform/sim/SimCapture.h"
#include "platform/sim/SimDisplays.h"
#include "platform/sim/SimHardware.h"
#include "platform/sim/SimInput.h"
#include "platform/sim/SimSystem.h"
#include "platform/sim/SimVirtualDisplays.h"
#include "platform/sim/SimWindowSystem.h"

#include <nlohmann/json.hpp>

#include <optional>

namespace vp {

struct SimOptions {
    std::string home;            // empty: in-memory defaults
    bool threadedDDC = false;    // a real worker thread instead of a manual queue
};

class SimPlatform : public Platform, public Inspection {
    // Declared first: the simulated parts below take their queues and clock
    // from runtime(), never from the virtual members directly, so that they
    // also run on a real-time runtime.
    std::optional<Runtime> external_;
    std::unique_ptr<SerialQueue> ddcQueue_;
    ManualSerialQueue* manualDDC_ = nullptr;
    ThreadSerialQueue* threadDDC_ = nullptr;

public:
    explicit SimPlatform(SimOptions options = {});
    // On the program's real-time runtime (its main queue, DDC worker thread,
    // steady clock and real pauses) instead of virtual time; runUntilIdle,
    // advance and drainDDC then have nothing to drive.
    SimPlatform(SimOptions options, Runtime runtime);
    ~SimPlatform() override;

    // Loads a scenario; throws std::runtime_error naming the problem.
    void loadScenario(const nlohmann::json& scenario);
    void loadScenarioFile(const std::string& path);
    static std::string defaultScenarioPath();

    std::string name() const override { return "simulated"; }
    const Capabilities& capabilities() const override { return simCapabilities; }
    void watchCapabilities(std::function<void()> changed) override { capabilitiesWatcher_ = std::move(changed); }
    // After a test changed simCapabilities, as a real system announces it.
    void capabilitiesChanged() {
        if (capabilitiesWatcher_) mainQueue.post(capabilitiesWatcher_);
    }
    Runtime runtime() override { return external_ ? *external_ : Runtime{mainQueue, *ddcQueue_, clock, sleeper}; }
    DisplayServices& displays() override { return simDisplays; }
    MonitorHardware& hardware() override { return simHardware; }
    VirtualDisplayFactory& virtualDisplays() override { return simVirtualDisplays; }
    WindowSystem& windows() override { return simWindows; }
    InputServices& input() override { return simInput; }
    ScreenCapture& capture() override { return simCapture; }
    SystemServices& system() override { return simSystem; }
    ColorProfileServices& profiles() override { return simSystem; }
    std::vector<DisplayInspection> inspectDisplays() override;

    // Runs the main queue, the DDC queue and the display callbacks until
    // nothing is left, moving virtual time as needed but not past `limit`.
    bool runUntilIdle(Seconds limit = Seconds(60));
    // Moves virtual time forward, running everything that falls due.
    void advance(Seconds delta);
    // Runs the DDC queue until it is empty (manual queue only).
    std::size_t drainDDC();
    ManualSerialQueue* manualDDC() { return manualDDC_; }

    VirtualClock clock;
    VirtualMainQueue mainQueue{clock};
    VirtualSleeper sleeper{clock};
    // Read by the simulated displays; a test may change it at any time.
    Capabilities simCapabilities = simDefaultCapabilities();
    SimDisplays simDisplays{simCapabilities};
    SimHardware simHardware{simDisplays, runtime().clock};
    SimVirtualDisplays simVirtualDisplays{simDisplays};
    SimWindowSystem simWindows{simDisplays, runtime().main};
    SimInput simInput{runtime().main, simCapabilities};
    SimCapture simCapture{simDisplays, simSystem};
    SimSystem simSystem;

private:
    void connectSimulations();

    std::function<void()> capabilitiesWatcher_;
};

}  // namespace vp
