#pragma once
// The DDC writes not sent yet: only the latest value per (monitor, feature).
// The main queue puts values in; drain jobs on the DDC queue take them out,
// both under pendingLock. Drain jobs hold this object (not the manager), so
// a write in flight never touches a manager that is going away.
//
// Writes go out in the order their (monitor, feature) was first queued: an
// unmute queued before a volume change must reach the monitor first.

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

namespace vp {

class DDCService;

class PendingDDC {
public:
    // Replaces any value not yet sent for the same monitor and feature.
    void put(std::shared_ptr<DDCService> service, std::uint8_t code, long long value);
    // Sends pending writes one by one until none is left; returns how many.
    // A write the monitor refuses is dropped.
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
};

}  // namespace vp
