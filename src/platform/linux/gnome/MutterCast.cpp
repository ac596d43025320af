#include "platform/linux/gnome/MutterCast.h"

namespace vp::gnome {

MutterCast::MutterCast(std::string address, std::string connector, bool cursor)
    : address_(std::move(address)), connector_(std::move(connector)), cursor_(cursor) {}

std::optional<CastNode> MutterCast::start(const std::atomic<bool>&, CaptureError& error) {
    BusError busError;
    session_ = ScreenCastSession::open(address_, busError);
    std::optional<std::uint32_t> node = session_ ? session_->recordMonitor(connector_, busError, cursor_) : std::nullopt;
    if (!node) {
        error = {kCaptureDomain, kCaptureMutterFailed, "mutter cannot record " + connector_ + ": " + busError.message};
        return std::nullopt;
    }
    return CastNode{*node, -1};
}

std::optional<std::string> MutterCast::ended(std::chrono::milliseconds limit) {
    return session_ ? session_->ended(limit) : std::nullopt;
}

}  // namespace vp::gnome
