#pragma once
// A simulated external monitor that speaks DDC/CI byte by byte: it parses
// the request packets written to its I2C address, keeps its VCP values with
// their maxima, answers Get VCP Feature with a VCP Feature Reply and applies
// Set VCP Feature. It records every packet with the (virtual or real) time
// it arrived, so tests can check the bytes on the wire and the host's
// pauses. It can be told to misbehave the ways real monitors do.
//
// Written to from the DDC queue, inspected from the main thread: every
// member is guarded by one mutex.

#include "hardware/DDCPackets.h"
#include "platform/Runtime.h"
#include "platform/Types.h"

#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

namespace vp {

struct SimMonitorConfig {
    std::optional<DisplayID> display;              // the display it drives, for inspection
    std::map<std::uint8_t, ddc::VCPReading> vcp;   // features it has: current and max
    bool noAnswer = false;      // does not speak DDC/CI: nothing acknowledged, nothing answered
    int wrongCodeTries = 0;     // the first N replies name another feature code
    bool refuseWrites = false;  // Set VCP packets are not acknowledged
    // A reply read sooner than this after its request is not ready yet.
    Seconds replyDelay = std::chrono::milliseconds(40);
};

struct SimPacket {
    Seconds at;
    Bytes bytes;  // as written: the length byte first, without I2C addresses
};

class SimMonitor {
public:
    SimMonitor(SimMonitorConfig config, const Clock& clock);

    // The I2C side: a write of request bytes and a read of a reply.
    Status receive(std::uint8_t chip, std::uint8_t offset, const Bytes& bytes);
    Status answer(std::uint8_t chip, std::uint8_t offset, Bytes& buffer);

    // --- Inspection and control
    std::optional<DisplayID> display() const { return display_; }
    bool speaksDDC() const;
    std::vector<SimPacket> packets() const;
    std::vector<Seconds> readTimes() const;
    std::map<std::uint8_t, ddc::VCPReading> values() const;
    std::optional<ddc::VCPReading> value(std::uint8_t code) const;
    void clearRecords();
    // Called (outside the lock) with each packet received, on the writer's
    // thread; tests use it to act while an exchange is in flight.
    void setOnPacket(std::function<void(const Bytes&)> hook);

    // The reply a monitor with these values gives to a request for `code`.
    static Bytes featureReply(std::uint8_t code, const std::optional<ddc::VCPReading>& reading);

private:
    struct Request {
        std::uint8_t code = 0;
        Seconds at;
    };
    Status handle(const Bytes& bytes);

    const std::optional<DisplayID> display_;
    mutable std::mutex mutex_;
    SimMonitorConfig config_;
    const Clock& clock_;
    std::optional<Request> pending_;
    int repliesGiven_ = 0;
    std::vector<SimPacket> packets_;
    std::vector<Seconds> readTimes_;
    std::function<void(const Bytes&)> onPacket_;
};

}  // namespace vp
