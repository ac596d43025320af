#pragma once
// The DDC writes not sent yet: only the latest value per (monitor, feature).
// The main queue puts values in; drain jobs on the DDC queue take them out,
// both under pendingLock. Drain jobs hold this object (not the manager), so
// a write in flight never touches a manager that is going away.
//
// Writes go out in the order their (monitor, feature) was first queued: an
// unmute queued before a volume change must reach the monitor first.

#include "hardware/DDCPackets.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

namespace vp {

class DDCService;

// A write the monitor did not accept, with what the monitor reads now (none
// when that read failed as well).
struct RefusedWrite {
    std::shared_ptr<DDCService> service;
    std::uint8_t code = 0;
    std::optional<ddc::VCPReading> now;
};

class PendingDDC {
public:
    // Called on the DDC queue for every refused write; set before the first
    // write is queued.
    void setOnRefused(std::function<void(RefusedWrite)> handler) { onRefused_ = std::move(handler); }
    // Replaces any value not yet sent for the same monitor and feature.
    void put(std::shared_ptr<DDCService> service, std::uint8_t code, long long value);
    // Sends pending writes one by one until none is left; returns how many.
    // A write the monitor refuses is not retried: the feature is read back
    // and both go to the refusal handler.
    std::size_t drain();
    std::size_t size();

private:
    using Key = std::pair<const DDCService*, std::uint8_t>;
    struct PendingWrite {
        std::shared_ptr<DDCService> service;
        std::uint8_t code = 0;
        long long value = 0;
    };
    std::optional<PendingWrite> take();

    std::mutex pendingLock;
    std::map<Key, PendingWrite> pendingDDC;
    std::deque<Key> order_;
    std::function<void(RefusedWrite)> onRefused_;
};

}  // namespace vp
