#pragma once
// One external monitor's DDC/CI channel: the AV service of its video link and
// the EDID that identifies it. Every call blocks for the pauses DDC/CI needs
// (tens of milliseconds per exchange, up to about 440 ms for a monitor that
// never answers), so it is only ever used on the DDC queue.
//
// What monitors get wrong, and what this class does about it:
// - a monitor may stay silent or answer late: each exchange is tried 4 times;
// - a monitor may answer with the reply of an earlier request (another
//   feature code): such a reply is retried, never taken;
// - a monitor that does not have a feature answers with a non-zero result
//   code: that is a final answer, not retried;
// - the I2C write itself may be refused: the write reports false and the
//   caller drops it.

#include "hardware/DDCPackets.h"
#include "platform/Hardware.h"
#include "platform/Runtime.h"

#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace vp {

// What the system reports about one display, for pairing it with a service.
struct DisplayIdentity {
    DisplayID id = 0;
    std::uint32_t vendor = 0;
    std::uint32_t model = 0;
    std::uint32_t serial = 0;
};

class DDCService {
public:
    DDCService(const I2CEntryPoints& i2c, Sleeper& sleeper, AVServiceRef service, std::optional<Bytes> edid);

    // Every usable external AV service, in the order the system lists them;
    // empty when the entry points or the enumeration are missing.
    static std::vector<std::shared_ptr<DDCService>> discover(MonitorHardware& hardware, Sleeper& sleeper);

    // Pairs displays (in the caller's order) with services; each service is
    // used at most once. Passes: vendor, product and serial (a display that
    // reports serial 0 accepts any serial); then vendor and product; then, as
    // a last resort, the one display left with the one service left.
    static std::map<DisplayID, std::shared_ptr<DDCService>> match(
        const std::vector<DisplayIdentity>& displays, const std::vector<std::shared_ptr<DDCService>>& services);

    // Reads one VCP feature; none when the monitor did not answer or does not
    // have the feature.
    std::optional<ddc::VCPReading> read(std::uint8_t code);
    // Sets one VCP feature (clamped to 0…0xFFFF); true when the monitor
    // accepted the packet.
    bool write(std::uint8_t code, long long value);

    const std::optional<Bytes>& edid() const { return edid_; }
    // From the EDID; none without an EDID of at least 16 bytes.
    std::optional<std::uint32_t> vendor() const;
    std::optional<std::uint32_t> product() const;
    std::optional<std::uint32_t> serial() const;

private:
    // One framed exchange with retries: none on failure, an empty list for a
    // write-only exchange that succeeded, else the reply.
    std::optional<Bytes> transact(const Bytes& send, std::size_t replyCount);
    bool hasIdentity() const;

    const I2CEntryPoints& i2c_;
    Sleeper& sleeper_;
    AVServiceRef service_;
    std::optional<Bytes> edid_;
};

}  // namespace vp
