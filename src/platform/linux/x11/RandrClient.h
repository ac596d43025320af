#pragma once
// One connection to an X server's RandR extension: reads the whole state in
// one pipelined round, applies a layout plan under a server grab with
// everything put back when a step fails, and reads and writes CRTC gamma.
// Not thread-safe: one thread uses a client at a time.

#include "platform/linux/x11/RandrModel.h"

#include <map>
#include <memory>
#include <optional>
#include <string>

struct xcb_connection_t;

namespace vp::x11 {

struct GammaRamp {
    std::vector<std::uint16_t> r, g, b;
    bool operator==(const GammaRamp&) const = default;
};

class RandrClient {
public:
    // Connects to `display` ($DISPLAY when empty). ok() says whether it
    // worked; error() says why not (no server, no RandR 1.3).
    explicit RandrClient(const std::string& display = "");
    ~RandrClient();
    RandrClient(const RandrClient&) = delete;
    RandrClient& operator=(const RandrClient&) = delete;

    bool ok() const { return error_.empty() && !lost(); }
    const std::string& error() const { return error_; }
    // The server went away (or the connection broke) after connecting.
    bool lost() const;
    const std::string& displayName() const { return displayName_; }
    std::string serverVendor() const;
    xcb_connection_t* connection() const { return c_; }
    XId root() const { return root_; }

    // `probe` asks the drivers to look at their connectors again (slower,
    // and what finds a monitor plugged in); otherwise the server's current
    // knowledge.
    std::optional<RandrScreen> read(bool probe = false);
    // Applies `plan` over `before` (a fresh read). Empty on success, else
    // what failed; the layout is then as it was before the call.
    std::string apply(const RandrScreen& before, const LayoutPlan& plan);

    std::optional<GammaRamp> gamma(XId crtc);
    bool setGamma(XId crtc, const GammaRamp& ramp);

    // Sets an output property of 8-bit items (a test bed gives outputs
    // their EDIDs this way).
    bool setOutputBytes(XId output, const std::string& property, const std::vector<std::uint8_t>& bytes);
    std::uint32_t atom(const std::string& name);

private:
    std::string applySteps(const RandrScreen& before, const LayoutPlan& plan, std::map<XId, CrtcConfig>& touched,
                           bool& resized);
    std::string setCrtc(XId crtc, const CrtcConfig& config, std::uint32_t configTimestamp);
    std::string setSize(int width, int height);
    std::string atomName(std::uint32_t atom);

    xcb_connection_t* c_ = nullptr;
    XId root_ = 0;
    std::string displayName_;
    std::string error_;
    std::uint32_t edidAtom_ = 0, connectorTypeAtom_ = 0;
    std::map<std::uint32_t, std::string> atomNames_;
};

}  // namespace vp::x11
