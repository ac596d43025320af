#pragma once
// The system headless mode runs on unless told otherwise: the simulated
// platform loaded from the scenario, in virtual time, with the user played
// through its simulation controls.

#include "app/headless/Headless.h"
#include "platform/sim/SimPlatform.h"

namespace vp {

class SimulatedBed : public HeadlessBed {
public:
    // Throws std::runtime_error for a scenario that cannot be loaded.
    explicit SimulatedBed(const HeadlessOptions& options);

    Platform& platform() override { return platform_; }
    // Runs the simulation until idle, moving virtual time by at most 30 s.
    void settle() override;
    void pressKey(const KeyEvent& event) override;
    void grantKeysPermission() override;

    SimPlatform& sim() { return platform_; }

private:
    SimPlatform platform_;
};

}  // namespace vp
