#include "platform/sim/SimMonitor.h"

#include <algorithm>

namespace vp {

namespace {
// What an I2C transfer that nobody acknowledged returns.
constexpr Status kNotResponding = Status(0xE00002ED);
constexpr std::uint8_t kReplySource = 0x6E;
constexpr std::uint8_t kReplyLength = 0x88;  // 0x80 | 8 bytes of payload
constexpr std::uint8_t kReplyChecksumSeed = 0x50;
constexpr std::uint8_t kResultUnsupported = 0x01;
constexpr std::uint8_t kTypeSetParameter = 0x00;
}  // namespace

SimMonitor::SimMonitor(SimMonitorConfig config, const Clock& clock)
    : display_(config.display), config_(std::move(config)), clock_(clock) {}

Bytes SimMonitor::featureReply(std::uint8_t code, const std::optional<ddc::VCPReading>& reading) {
    ddc::VCPReading r = reading.value_or(ddc::VCPReading{});
    Bytes reply = {kReplySource,
                   kReplyLength,
                   ddc::kVCPFeatureReply,
                   reading ? std::uint8_t(0) : kResultUnsupported,
                   code,
                   kTypeSetParameter,
                   std::uint8_t(r.max >> 8),
                   std::uint8_t(r.max & 0xFF),
                   std::uint8_t(r.current >> 8),
                   std::uint8_t(r.current & 0xFF)};
    std::uint8_t checksum = kReplyChecksumSeed;
    for (std::uint8_t b : reply) checksum ^= b;
    reply.push_back(checksum);
    return reply;
}

Status SimMonitor::receive(std::uint8_t chip, std::uint8_t offset, const Bytes& bytes) {
    std::function<void(const Bytes&)> hook;
    Status status = 0;
    {
        std::lock_guard lock(mutex_);
        packets_.push_back({clock_.now(), bytes});
        hook = onPacket_;
        status = chip == ddc::kChipAddress && offset == ddc::kDataAddress ? handle(bytes) : kNotResponding;
    }
    if (hook) hook(bytes);
    return status;
}

// Parses one request. A malformed packet is acknowledged on the bus and
// otherwise ignored, as monitors do; the checksum is not checked, since many
// monitors do not check it either.
Status SimMonitor::handle(const Bytes& bytes) {
    if (config_.noAnswer) return kNotResponding;
    if (bytes.size() < 3 || !(bytes[0] & 0x80) || std::size_t(bytes[0] & 0x7F) + 2 != bytes.size()) return 0;
    const std::uint8_t opcode = bytes[1];
    if (opcode == ddc::kGetVCPRequest && bytes.size() == 4) {
        pending_ = Request{bytes[2], clock_.now()};
        return 0;
    }
    if (opcode == ddc::kSetVCPRequest && bytes.size() == 6) {
        if (config_.refuseWrites) return kNotResponding;
        auto it = config_.vcp.find(bytes[2]);
        if (it != config_.vcp.end()) it->second.current = std::min(bytes[3] << 8 | bytes[4], it->second.max);
    }
    return 0;
}

Status SimMonitor::answer(std::uint8_t chip, std::uint8_t offset, Bytes& buffer) {
    std::lock_guard lock(mutex_);
    const Seconds now = clock_.now();
    readTimes_.push_back(now);
    if (config_.noAnswer || chip != ddc::kChipAddress || offset != ddc::kDataAddress) return kNotResponding;
    if (!pending_ || now - pending_->at < config_.replyDelay) return kNotResponding;
    std::uint8_t code = pending_->code;
    pending_.reset();
    std::optional<ddc::VCPReading> reading;
    if (auto it = config_.vcp.find(code); it != config_.vcp.end()) reading = it->second;
    // A stale reply: the answer to some other feature than the one asked.
    if (repliesGiven_++ < config_.wrongCodeTries) code = std::uint8_t(code + 1);
    Bytes reply = featureReply(code, reading);
    std::copy_n(reply.begin(), std::min(reply.size(), buffer.size()), buffer.begin());
    return 0;
}

bool SimMonitor::speaksDDC() const {
    std::lock_guard lock(mutex_);
    return !config_.noAnswer;
}

std::vector<SimPacket> SimMonitor::packets() const {
    std::lock_guard lock(mutex_);
    return packets_;
}

std::vector<Seconds> SimMonitor::readTimes() const {
    std::lock_guard lock(mutex_);
    return readTimes_;
}

std::map<std::uint8_t, ddc::VCPReading> SimMonitor::values() const {
    std::lock_guard lock(mutex_);
    return config_.vcp;
}

std::optional<ddc::VCPReading> SimMonitor::value(std::uint8_t code) const {
    std::lock_guard lock(mutex_);
    auto it = config_.vcp.find(code);
    if (it == config_.vcp.end()) return std::nullopt;
    return it->second;
}

void SimMonitor::clearRecords() {
    std::lock_guard lock(mutex_);
    packets_.clear();
    readTimes_.clear();
}

void SimMonitor::setOnPacket(std::function<void(const Bytes&)> hook) {
    std::lock_guard lock(mutex_);
    onPacket_ = std::move(hook);
}

}  // namespace vp
