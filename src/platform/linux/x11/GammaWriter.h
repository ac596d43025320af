#pragma once
// Sends gamma ramps to the X server from a thread of its own, latest ramp
// per CRTC wins. Dragging a slider asks for far more ramps than a server
// (or a monitor) shows; the caller only stores the newest, and the writer
// sends one, waits until the server has taken it, then sends whatever is
// newest by then. The caller's thread never waits for the server.

#include "platform/linux/x11/RandrClient.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace vp::x11 {

class GammaWriter {
public:
    explicit GammaWriter(const std::string& display);
    ~GammaWriter();
    GammaWriter(const GammaWriter&) = delete;
    GammaWriter& operator=(const GammaWriter&) = delete;

    void post(XId crtc, GammaRamp ramp);
    // Waits until every posted ramp has reached the server. False when the
    // server refused one since the last flush.
    bool flush();
    std::size_t sent() const;

private:
    void run();

    RandrClient client_;
    mutable std::mutex mutex_;
    std::condition_variable wake_, idle_;
    std::map<XId, GammaRamp> pending_;
    bool busy_ = false, stopping_ = false, failed_ = false;
    std::size_t sent_ = 0;
    std::thread thread_;
};

}  // namespace vp::x11
