#pragma once
// The program's simulated platform: the simulated display system (displays, monitors,
// virtual displays, capture, system services) running in real time — its
// main queue on the Qt event loop, DDC/CI on a worker thread with real
// pauses, a steady clock, capture answers on worker threads and frames at
// their frame rate — and its windows as real Qt windows.

#include "platform/Platform.h"
#include "platform/qt/PacedCapture.h"
#include "platform/qt/QtRuntime.h"
#include "platform/qt/QtWindowSystem.h"
#include "platform/sim/SimPlatform.h"

namespace vp {

class LivePlatform : public Platform {
public:
    // Must be made on the GUI thread, after the QApplication. `contents`
    // draws what the HUD and PiP windows show.
    LivePlatform(const std::string& home, WindowContentFactory contents);
    ~LivePlatform() override;

    // Throws std::runtime_error naming the problem.
    void loadScenarioFile(const std::string& path) { sim_.loadScenarioFile(path); }

    std::string name() const override { return sim_.name(); }
    const Capabilities& capabilities() const override { return sim_.capabilities(); }
    void watchCapabilities(std::function<void()> changed) override { sim_.watchCapabilities(std::move(changed)); }
    Runtime runtime() override { return runtime_.runtime(); }
    DisplayServices& displays() override { return sim_.displays(); }
    MonitorHardware& hardware() override { return sim_.hardware(); }
    VirtualDisplayFactory& virtualDisplays() override { return sim_.virtualDisplays(); }
    WindowSystem& windows() override { return windows_; }
    InputServices& input() override { return sim_.input(); }
    ScreenCapture& capture() override { return capture_; }
    SystemServices& system() override { return sim_.system(); }
    ColorProfileServices& profiles() override { return sim_.profiles(); }

    SimPlatform& sim() { return sim_; }
    QtWindowSystem& qtWindows() { return windows_; }

private:
    QtRuntime runtime_;
    SimPlatform sim_;
    QtWindowSystem windows_;
    PacedCapture capture_;
};

}  // namespace vp
