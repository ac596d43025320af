#pragma once
// Follows whether a compositing manager runs on an X screen: the owner of
// the `_NET_WM_CM_S<screen>` selection. Without one, a translucent window is
// drawn opaque, so anything that relies on translucency (the dimming shade,
// the HUD's fade) must know, and know again when a compositor starts or
// stops while we run.

#include "platform/linux/x11/XcbEventLoop.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>

namespace vp::x11 {

class CompositorWatch {
public:
    // Called on the watch's own thread with the new state, on changes only.
    using Changed = std::function<void(bool present)>;

    CompositorWatch(const std::string& display, Changed changed);
    ~CompositorWatch();
    CompositorWatch(const CompositorWatch&) = delete;
    CompositorWatch& operator=(const CompositorWatch&) = delete;

    // Empty when watching; otherwise why not (no server, no XFixes: then
    // present() is read once and never follows changes).
    const std::string& problem() const { return problem_; }
    bool present() const { return present_; }

private:
    bool ownerPresent();
    void update();

    xcb_connection_t* c_ = nullptr;
    std::uint32_t selection_ = 0;
    Changed changed_;
    std::string problem_;
    std::atomic<bool> present_{false};
    std::unique_ptr<XcbEventLoop> loop_;
};

}  // namespace vp::x11
