#include "hardware/DDCService.h"

#include <algorithm>
#include <chrono>

namespace vp {

using namespace std::chrono_literals;

namespace {

constexpr int kAttempts = 4;
// Monitors drop a request that follows the previous bus activity too
// closely; DDC/CI asks the host for a gap before each write.
constexpr Seconds kBeforeWrite = 10ms;
// After a refused write, give the monitor's controller time to recover
// before the next attempt.
constexpr Seconds kAfterFailedWrite = 30ms;
// DDC/CI gives a monitor 40 ms to prepare its reply; 50 ms leaves margin
// for slow firmware.
constexpr Seconds kBeforeReply = 50ms;
// After a missing or wrong reply, let the monitor settle before asking again.
constexpr Seconds kAfterFailedRead = 40ms;

constexpr std::size_t kIdentityBytes = 16;

using ServiceRef = std::shared_ptr<DDCService>;

bool sameModel(const DDCService& s, const DisplayIdentity& d) {
    return s.vendor() == d.vendor && s.product() == d.model;
}

bool sameUnit(const DDCService& s, const DisplayIdentity& d) {
    return d.serial != 0 && sameModel(s, d) && s.serial() == d.serial;
}

// Pairs step by step, each step trusting less than the one before.
class Matcher {
public:
    Matcher(const std::vector<DisplayIdentity>& displays, const std::vector<ServiceRef>& services)
        : displays_(displays), remaining_(services) {}

    // A link proven to drive a display belongs to that display alone.
    void byProof() {
        for (auto it = remaining_.begin(); it != remaining_.end();) {
            const std::optional<DisplayID>& proven = (*it)->link().display;
            if (!proven) {
                ++it;
                continue;
            }
            if (waiting(*proven)) pairing_.paired[*proven] = *it;
            it = remaining_.erase(it);
        }
    }

    // Pairs a display and a service only when each is the other's one
    // choice; repeats while that pairs more, since every pair narrows the
    // choices left.
    template <typename Accepts>
    void byIdentity(Accepts accepts) {
        for (bool progress = true; progress;) {
            progress = false;
            for (const DisplayIdentity& d : displays_) {
                if (!waiting(d.id)) continue;
                auto candidates = candidatesOf(d, accepts);
                if (candidates.size() != 1 || suitors(*candidates.front(), accepts) != 1) continue;
                pairing_.paired[d.id] = candidates.front();
                std::erase(remaining_, candidates.front());
                progress = true;
            }
        }
    }

    // Displays still waiting while a service of their model is left could
    // not be told from a twin.
    void noteTwins() {
        for (const DisplayIdentity& d : displays_)
            if (waiting(d.id) && !candidatesOf(d, sameModel).empty()) pairing_.twins.insert(d.id);
    }

    void lastResort() {
        std::vector<DisplayID> left;
        for (const DisplayIdentity& d : displays_)
            if (waiting(d.id)) left.push_back(d.id);
        if (left.size() == 1 && remaining_.size() == 1)
            pairing_.paired[left.front()] = remaining_.front();
    }

    DDCPairing take() { return std::move(pairing_); }

private:
    bool waiting(DisplayID id) const {
        return !pairing_.paired.contains(id) &&
               std::any_of(displays_.begin(), displays_.end(), [&](const auto& d) { return d.id == id; });
    }
    template <typename Accepts>
    std::vector<ServiceRef> candidatesOf(const DisplayIdentity& d, Accepts accepts) const {
        std::vector<ServiceRef> found;
        for (const ServiceRef& s : remaining_)
            if (accepts(*s, d)) found.push_back(s);
        return found;
    }
    template <typename Accepts>
    std::size_t suitors(const DDCService& s, Accepts accepts) const {
        return std::size_t(std::count_if(displays_.begin(), displays_.end(), [&](const DisplayIdentity& d) {
            return waiting(d.id) && accepts(s, d);
        }));
    }

    const std::vector<DisplayIdentity>& displays_;
    std::vector<ServiceRef> remaining_;
    DDCPairing pairing_;
};

}  // namespace

DDCService::DDCService(std::unique_ptr<I2CChannel> channel, Sleeper& sleeper, MonitorLink link,
                       std::shared_ptr<ProbeMemory> memory)
    : channel_(std::move(channel)), sleeper_(sleeper), link_(std::move(link)), memory_(std::move(memory)) {}

std::vector<std::shared_ptr<DDCService>> DDCService::discover(MonitorHardware& hardware, Sleeper& sleeper,
                                                             std::shared_ptr<ProbeMemory> memory) {
    std::vector<std::shared_ptr<DDCService>> found;
    for (MonitorLink& link : hardware.links().links) {
        // The built-in panel's link does not speak DDC/CI.
        if (link.location != Location::external) continue;
        std::unique_ptr<I2CChannel> channel = hardware.open(link);
        // A link the user may not open still pairs with its display, which
        // can then say why it gets no DDC/CI.
        if (!channel && link.unreachable.empty()) continue;
        found.push_back(std::make_shared<DDCService>(std::move(channel), sleeper, std::move(link), memory));
    }
    return found;
}

bool DDCService::hasIdentity() const {
    return link_.edid.size() >= kIdentityBytes;
}

std::optional<std::uint32_t> DDCService::vendor() const {
    if (!hasIdentity()) return std::nullopt;
    const Bytes& e = link_.edid;
    return std::uint32_t(e[8]) << 8 | e[9];
}

std::optional<std::uint32_t> DDCService::product() const {
    if (!hasIdentity()) return std::nullopt;
    const Bytes& e = link_.edid;
    return std::uint32_t(e[10]) | std::uint32_t(e[11]) << 8;
}

std::optional<std::uint32_t> DDCService::serial() const {
    if (!hasIdentity()) return std::nullopt;
    const Bytes& e = link_.edid;
    return std::uint32_t(e[12]) | std::uint32_t(e[13]) << 8 | std::uint32_t(e[14]) << 16 | std::uint32_t(e[15]) << 24;
}

DDCPairing DDCService::match(const std::vector<DisplayIdentity>& displays,
                             const std::vector<std::shared_ptr<DDCService>>& services) {
    Matcher matcher(displays, services);
    matcher.byProof();
    matcher.byIdentity(sameUnit);
    matcher.byIdentity(sameModel);
    matcher.noteTwins();
    matcher.lastResort();
    return matcher.take();
}

std::optional<Bytes> DDCService::transact(const Bytes& send, std::size_t replyCount) {
    if (!channel_ || send.empty()) return std::nullopt;
    const Bytes packet = ddc::framePacket(send);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        // Many monitors miss the first copy of a request; every attempt
        // sends it twice.
        sleeper_.sleep(kBeforeWrite);
        Status first = channel_->write(ddc::kChipAddress, ddc::kDataAddress, packet);
        sleeper_.sleep(kBeforeWrite);
        Status second = channel_->write(ddc::kChipAddress, ddc::kDataAddress, packet);
        if (replyCount == 0) {
            if (first == 0 && second == 0) return Bytes{};
            sleeper_.sleep(kAfterFailedWrite);
            continue;
        }
        // The write statuses do not matter here: some monitors refuse the
        // write's acknowledgement yet answer the request.
        sleeper_.sleep(kBeforeReply);
        Bytes reply(replyCount, 0);
        if (channel_->read(ddc::kChipAddress, ddc::kDataAddress, reply) == 0 &&
            ddc::answersRequest(reply, send[0]))
            return reply;
        sleeper_.sleep(kAfterFailedRead);
    }
    return std::nullopt;
}

std::optional<ddc::VCPReading> DDCService::read(std::uint8_t code) {
    auto reply = transact(ddc::readArguments(code), ddc::kFeatureReplySize);
    if (!reply) return std::nullopt;
    return ddc::parseFeatureReply(*reply);
}

// A write that failed may still have reached the monitor (one of its two
// packets did): what was remembered of it is no longer known to hold, so
// the next probe reads it again.
bool DDCService::write(std::uint8_t code, long long value) {
    const bool sent = transact(ddc::writeArguments(code, value), 0).has_value();
    if (memory_ && hasIdentity()) {
        if (sent) memory_->noteWritten(link_.edid, code, value);
        else memory_->forget(link_.edid);
    }
    return sent;
}

// A monitor without an EDID cannot be told from another next time.
std::optional<RememberedProbe> DDCService::remembered() const {
    if (!memory_ || !hasIdentity()) return std::nullopt;
    return memory_->recall(link_.edid);
}

void DDCService::noteRead(std::uint8_t code, const ddc::VCPReading& reading) {
    if (memory_) memory_->noteWritten(link_.edid, code, reading.current);
}

void DDCService::remember(const RememberedProbe& probe) {
    if (memory_ && hasIdentity()) memory_->remember(link_.edid, probe);
}

}  // namespace vp
