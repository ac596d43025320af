#pragma once
// Monitor hardware: the video links that may reach a monitor's DDC/CI chip,
// a byte channel to that chip, and the built-in panel's backlight. A
// back-end moves bytes and says what it knows about each link; packets,
// pacing, retries and pairing links with displays are the core's
// (hardware/DDCService).
//
// What real hardware does wrong, which the core copes with and a back-end
// passes on rather than hides:
// - a monitor ignores writes, or acknowledges one and never applies it;
// - a monitor NAKs, or answers late or with an earlier reply, while busy:
//   right after another request, under bus load, while switching inputs;
// - a link is there but the monitor behind it does not speak DDC/CI, or
//   speaks it only on one of its inputs;
// - identical monitors report the same EDID, serial 0 included, so their
//   identity cannot tell them apart: a link names the display it drives only
//   when the platform proves it (a DRM connector mapped to an output), never
//   from what the EDID says;
// - an EDID is short, damaged or missing (a bad cable, a switch box);
// - a monitor is unplugged while a channel to it is open: every later
//   transfer on that channel fails;
// - a backlight may refuse changes (firmware lock, no permission) or be
//   unreadable while still accepting writes.
//
// links() and open() are called on the DDC queue and may block (an i2c bus
// is slow); a channel is used by one thread at a time. backlight() and its
// object are used on the main thread.

#include "platform/Types.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vp {

using Bytes = std::vector<std::uint8_t>;

// One video link that may reach a monitor's DDC/CI chip.
struct MonitorLink {
    // The back-end's name for the link, stable while it is plugged; open()
    // finds the link by it.
    std::string key;
    // A built-in panel's link never carries DDC/CI.
    Location location = Location::external;
    // The platform's name for the connector ("DP-1"); empty when it has none.
    std::string connector;
    // The display the link drives, only when the platform can prove it.
    std::optional<DisplayID> display;
    // As read from the monitor; empty when it could not be read.
    Bytes edid;
    // Why open() cannot reach this link's bus, when the platform knows it
    // ahead (the user may not open the device): one sentence naming the fix,
    // shown as the display's reason to stay on software dimming.
    std::string unreachable;
};

// What links() found. When enumeration itself fails the list is empty and
// `error` says why; otherwise `error` is empty.
struct LinkScan {
    std::vector<MonitorLink> links;
    std::string error;
};

// A byte transport to the chips on one link's I2C bus. Statuses are 0 for
// success, else the platform's own error code.
class I2CChannel {
public:
    virtual ~I2CChannel() = default;
    // Sends `offset` and then `bytes` to the chip at the 7-bit address.
    virtual Status write(std::uint8_t chip, std::uint8_t offset, const Bytes& bytes) = 0;
    // Fills `buffer` from the chip. `offset` is the sub-address the read is
    // about; a transport that reads a DDC/CI reply whole does not send it.
    virtual Status read(std::uint8_t chip, std::uint8_t offset, Bytes& buffer) = 0;
};

// A display's own backlight (a laptop panel), as a fraction 0…1.
class Backlight {
public:
    virtual ~Backlight() = default;
    virtual bool canChange() = 0;
    // Why canChange() is false, in one sentence naming the fix; empty when
    // the system gives no reason.
    virtual std::string whyUnchangeable() { return {}; }
    virtual Status get(float& fraction) = 0;
    virtual Status set(float fraction) = 0;
};

class MonitorHardware {
public:
    virtual ~MonitorHardware() = default;
    // Every link the platform sees, built-in ones included, in its order.
    virtual LinkScan links() = 0;
    // A channel to the link's bus; null when it cannot be opened (no
    // permission, gone since listed, no I2C on this platform).
    virtual std::unique_ptr<I2CChannel> open(const MonitorLink& link) = 0;
    // Null when the display has no backlight of its own.
    virtual std::shared_ptr<Backlight> backlight(DisplayID display) = 0;
    // `changed` runs on the main queue each time something other than this
    // program changes a display's backlight (the desktop's own keys); the
    // core then reads the new level. A system that cannot tell never calls it.
    virtual void watchBacklights(std::function<void(DisplayID)> changed) { (void)changed; }
};

}  // namespace vp
