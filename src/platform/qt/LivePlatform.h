#pragma once
// The program's platform: the simulated display system (displays, monitors,
// virtual displays, system services) running in real time — its main queue
// on the Qt event loop, DDC/CI on a worker thread with real pauses, a steady
// clock — and its windows as real Qt windows.

#include "platform/Platform.h"
#include "platform/VirtualRuntime.h"
#include "platform/qt/QtMainQueue.h"
#include "platform/qt/QtWindowSystem.h"
#include "platform/sim/SimPlatform.h"

namespace vp {

class LivePlatform : public Platform {
public:
    // Must be made on the GUI thread, after the QApplication.
    explicit LivePlatform(const std::string& home = {});
    ~LivePlatform() override;

    // Throws std::runtime_error naming the problem.
    void loadScenarioFile(const std::string& path) { sim_.loadScenarioFile(path); }

    std::string name() const override { return sim_.name(); }
    Runtime runtime() override { return {main_, ddc_, clock_, sleeper_}; }
    DisplayServices& displays() override { return sim_.displays(); }
    MonitorHardware& hardware() override { return sim_.hardware(); }
    VirtualDisplayFactory& virtualDisplays() override { return sim_.virtualDisplays(); }
    WindowSystem& windows() override { return windows_; }
    InputServices& input() override { return sim_.input(); }
    ScreenCapture& capture() override { return sim_.capture(); }
    SystemServices& system() override { return sim_.system(); }

    SimPlatform& sim() { return sim_; }
    QtWindowSystem& qtWindows() { return windows_; }

private:
    QtMainQueue main_;
    ThreadSerialQueue ddc_;
    SteadyClock clock_;
    RealSleeper sleeper_;
    SimPlatform sim_;
    QtWindowSystem windows_;
};

}  // namespace vp
