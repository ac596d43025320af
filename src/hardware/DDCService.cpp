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
const std::string kExternalLocation = "External";

}  // namespace

DDCService::DDCService(const I2CEntryPoints& i2c, Sleeper& sleeper, AVServiceRef service, std::optional<Bytes> edid)
    : i2c_(i2c), sleeper_(sleeper), service_(std::move(service)), edid_(std::move(edid)) {}

std::vector<std::shared_ptr<DDCService>> DDCService::discover(MonitorHardware& hardware, Sleeper& sleeper) {
    const I2CEntryPoints& i2c = hardware.i2c();
    std::vector<std::shared_ptr<DDCService>> found;
    if (!i2c.createWithService) return found;
    auto entries = hardware.avServiceEntries();
    if (!entries) return found;
    for (const AVRegistryEntry& entry : *entries) {
        // The built-in panel has an AV service too; it does not speak DDC/CI.
        if (entry.location != kExternalLocation) continue;
        AVServiceRef service = i2c.createWithService(entry);
        if (!service) continue;
        std::optional<Bytes> edid;
        if (i2c.copyEDID) {
            Bytes bytes;
            if (i2c.copyEDID(*service, bytes) == 0 && !bytes.empty()) edid = std::move(bytes);
        }
        found.push_back(std::make_shared<DDCService>(i2c, sleeper, std::move(service), std::move(edid)));
    }
    return found;
}

bool DDCService::hasIdentity() const {
    return edid_ && edid_->size() >= kIdentityBytes;
}

std::optional<std::uint32_t> DDCService::vendor() const {
    if (!hasIdentity()) return std::nullopt;
    const Bytes& e = *edid_;
    return std::uint32_t(e[8]) << 8 | e[9];
}

std::optional<std::uint32_t> DDCService::product() const {
    if (!hasIdentity()) return std::nullopt;
    const Bytes& e = *edid_;
    return std::uint32_t(e[10]) | std::uint32_t(e[11]) << 8;
}

std::optional<std::uint32_t> DDCService::serial() const {
    if (!hasIdentity()) return std::nullopt;
    const Bytes& e = *edid_;
    return std::uint32_t(e[12]) | std::uint32_t(e[13]) << 8 | std::uint32_t(e[14]) << 16 | std::uint32_t(e[15]) << 24;
}

std::map<DisplayID, std::shared_ptr<DDCService>> DDCService::match(
    const std::vector<DisplayIdentity>& displays, const std::vector<std::shared_ptr<DDCService>>& services) {
    std::map<DisplayID, std::shared_ptr<DDCService>> pairs;
    std::vector<std::shared_ptr<DDCService>> remaining = services;

    auto pass = [&](auto accepts) {
        for (const DisplayIdentity& display : displays) {
            if (pairs.contains(display.id)) continue;
            auto hit = std::find_if(remaining.begin(), remaining.end(), [&](const auto& service) {
                return service->hasIdentity() && service->vendor() == display.vendor &&
                       service->product() == display.model && accepts(*service, display);
            });
            if (hit == remaining.end()) continue;
            pairs[display.id] = *hit;
            remaining.erase(hit);
        }
    };
    pass([](const DDCService& s, const DisplayIdentity& d) { return d.serial == 0 || s.serial() == d.serial; });
    pass([](const DDCService&, const DisplayIdentity&) { return true; });

    std::vector<DisplayID> unpaired;
    for (const DisplayIdentity& display : displays)
        if (!pairs.contains(display.id)) unpaired.push_back(display.id);
    if (unpaired.size() == 1 && remaining.size() == 1) pairs[unpaired.front()] = remaining.front();
    return pairs;
}

std::optional<Bytes> DDCService::transact(const Bytes& send, std::size_t replyCount) {
    if (!i2c_.writeI2C || !i2c_.readI2C || send.empty()) return std::nullopt;
    const Bytes packet = ddc::framePacket(send);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        // Many monitors miss the first copy of a request; every attempt
        // sends it twice.
        sleeper_.sleep(kBeforeWrite);
        Status first = i2c_.writeI2C(*service_, ddc::kChipAddress, ddc::kDataAddress, packet);
        sleeper_.sleep(kBeforeWrite);
        Status second = i2c_.writeI2C(*service_, ddc::kChipAddress, ddc::kDataAddress, packet);
        if (replyCount == 0) {
            if (first == 0 && second == 0) return Bytes{};
            sleeper_.sleep(kAfterFailedWrite);
            continue;
        }
        // The write statuses do not matter here: some monitors refuse the
        // write's acknowledgement yet answer the request.
        sleeper_.sleep(kBeforeReply);
        Bytes reply(replyCount, 0);
        if (i2c_.readI2C(*service_, ddc::kChipAddress, ddc::kDataAddress, reply) == 0 &&
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

bool DDCService::write(std::uint8_t code, long long value) {
    return transact(ddc::writeArguments(code, value), 0).has_value();
}

}  // namespace vp
