#pragma once
// The runtime of a platform under the Qt interface: the main queue on the Qt
// event loop, DDC/CI on a worker thread with real pauses, the steady clock.

#include "platform/Runtime.h"
#include "platform/VirtualRuntime.h"
#include "platform/qt/QtMainQueue.h"

namespace vp {

class QtRuntime {
public:
    Runtime runtime() { return {main_, ddc_, clock_, sleeper_}; }
    QtMainQueue& main() { return main_; }
    // Blocks until the DDC work already posted has run: the monitors it
    // talks to must outlive it.
    void finishDDC() { ddc_.waitIdle(); }

private:
    QtMainQueue main_;
    ThreadSerialQueue ddc_;
    SteadyClock clock_;
    RealSleeper sleeper_;
};

}  // namespace vp
