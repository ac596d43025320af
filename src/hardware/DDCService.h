#pragma once
// One external monitor's DDC/CI channel: the byte channel of its video link
// and what the platform knows of the link (its EDID, and the display it
// drives when the platform can prove it). Every call blocks for the pauses DDC/CI needs
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
#include "hardware/ProbeMemory.h"
#include "platform/Hardware.h"
#include "platform/Runtime.h"

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace vp {

// What the system reports about one display, for pairing it with a service.
struct DisplayIdentity {
    DisplayID id = 0;
    std::uint32_t vendor = 0;
    std::uint32_t model = 0;
    std::uint32_t serial = 0;
};

class DDCService;
class ProbeMemory;

// Which service drives which display. `twins` are displays left without a
// service because nothing the platform proves tells them from an identical
// monitor (same vendor, product and serial, or one link that several such
// displays could own): guessing would send one monitor's changes to another.
struct DDCPairing {
    std::map<DisplayID, std::shared_ptr<DDCService>> paired;
    std::set<DisplayID> twins;
};

class DDCService {
public:
    // A null channel fails every exchange. Values written are noted in
    // `memory` when there is one, so the next run starts from them; a
    // failed write makes it forget the monitor.
    DDCService(std::unique_ptr<I2CChannel> channel, Sleeper& sleeper, MonitorLink link,
               std::shared_ptr<ProbeMemory> memory = nullptr);

    // A service for every external link that opens or that the platform
    // says why it cannot (such a service has no channel), in the platform's
    // order; empty when enumeration fails.
    static std::vector<std::shared_ptr<DDCService>> discover(MonitorHardware& hardware, Sleeper& sleeper,
                                                             std::shared_ptr<ProbeMemory> memory = nullptr);

    // Pairs displays with services, each service used at most once, by what
    // can be trusted first:
    // 1. the display the platform proved for a link (such a link is never
    //    given to another display);
    // 2. vendor, product and the same non-zero serial; then vendor and
    //    product — each only when the display and the service choose each
    //    other alone, so twins stay unpaired;
    // 3. the one display left with the one service left (a monitor whose
    //    link reads another EDID, as some adapters do).
    static DDCPairing match(const std::vector<DisplayIdentity>& displays,
                            const std::vector<std::shared_ptr<DDCService>>& services);

    // Reads one VCP feature; none when the monitor did not answer or does not
    // have the feature.
    std::optional<ddc::VCPReading> read(std::uint8_t code);
    // Sets one VCP feature (clamped to 0…0xFFFF); true when the monitor
    // accepted the packet.
    bool write(std::uint8_t code, long long value);
    // What an earlier run learned of this monitor (by its EDID), if anything.
    std::optional<RememberedProbe> remembered() const;
    void remember(const RememberedProbe& probe);
    // A value read later, so that the next run starts from it.
    void noteRead(std::uint8_t code, const ddc::VCPReading& reading);

    const MonitorLink& link() const { return link_; }
    // From the link's EDID; none without an EDID of at least 16 bytes.
    std::optional<std::uint32_t> vendor() const;
    std::optional<std::uint32_t> product() const;
    std::optional<std::uint32_t> serial() const;

private:
    // One framed exchange with retries: none on failure, an empty list for a
    // write-only exchange that succeeded, else the reply.
    std::optional<Bytes> transact(const Bytes& send, std::size_t replyCount);
    bool hasIdentity() const;

    std::unique_ptr<I2CChannel> channel_;
    Sleeper& sleeper_;
    MonitorLink link_;
    std::shared_ptr<ProbeMemory> memory_;
};

}  // namespace vp
