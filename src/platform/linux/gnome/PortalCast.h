#pragma once
// A screen cast through the desktop portal (org.freedesktop.portal.ScreenCast),
// as a real GNOME session wants it: the user picks what is shared in the
// portal's dialog the first time; the restore token the portal returns lets
// the next cast of the same display start without asking. Each portal call
// answers later, through its Request's Response signal.

#include "platform/linux/gnome/Bus.h"
#include "platform/linux/gnome/CastSource.h"
#include "platform/linux/gnome/RestoreTokens.h"

#include <variant>
#include <vector>

namespace vp::gnome {

class PortalCast : public CastSource {
public:
    // `address` empty: the user's own session bus. `key` names the display
    // among the kept restore tokens.
    PortalCast(std::string address, RestoreTokens& tokens, std::string key, bool cursor);
    // Closes the portal's session, which ends the cast.
    ~PortalCast() override;

    std::optional<CastNode> start(const std::atomic<bool>& cancelled, CaptureError& error) override;
    std::optional<std::string> ended(std::chrono::milliseconds limit) override;

    using OptionValue = std::variant<std::string, std::uint32_t, bool>;
    using Options = std::vector<std::pair<std::string, OptionValue>>;
    // What the portal's answers carry that a cast needs.
    struct Results {
        std::string sessionHandle, restoreToken;
        std::vector<std::uint32_t> nodes;
    };

private:
    // The session (once there is one) and `parentWindow` (when not null)
    // go before the options.
    std::optional<Results> request(const char* member, const char* parentWindow, Options options,
                                   std::chrono::milliseconds limit, const std::atomic<bool>& cancelled,
                                   CaptureError& error);
    bool open(CaptureError& error);
    std::optional<int> openRemote(CaptureError& error);

    std::string address_;
    RestoreTokens& tokens_;
    std::string key_;
    bool cursor_;
    BusPtr bus_;
    std::string sender_, session_;
    unsigned requests_ = 0;
    SlotPtr ownerSlot_, closedSlot_;
    std::optional<std::string> endedWhy_;
};

}  // namespace vp::gnome
