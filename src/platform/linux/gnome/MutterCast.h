#pragma once
// A monitor recorded straight through mutter's ScreenCast, where no desktop
// portal stands between (headless mutter). The session is on a connection
// of its own, so mutter ends it even if we crash.

#include "platform/linux/gnome/CastSource.h"
#include "platform/linux/gnome/ScreenCastSession.h"

#include <memory>

namespace vp::gnome {

class MutterCast : public CastSource {
public:
    // `address` empty: the user's own session bus.
    MutterCast(std::string address, std::string connector, bool cursor);

    std::optional<CastNode> start(const std::atomic<bool>& cancelled, CaptureError& error) override;
    std::optional<std::string> ended(std::chrono::milliseconds limit) override;

private:
    std::string address_, connector_;
    bool cursor_;
    std::unique_ptr<ScreenCastSession> session_;
};

}  // namespace vp::gnome
