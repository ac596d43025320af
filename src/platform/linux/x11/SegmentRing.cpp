#include "platform/linux/x11/SegmentRing.h"

#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <cstdlib>

#include <sys/ipc.h>
#include <sys/shm.h>

namespace vp::x11 {

std::shared_ptr<SegmentRing> SegmentRing::make(xcb_connection_t* connection, std::size_t capacity) {
    return std::shared_ptr<SegmentRing>(new SegmentRing(connection, capacity));
}

SegmentRing::SegmentRing(xcb_connection_t* connection, std::size_t capacity) : c_(connection), capacity_(capacity) {}

SegmentRing::~SegmentRing() {
    // Every frame that held a segment has gone (each kept the ring).
    for (Segment& s : segments_)
        if (s.address) ::shmdt(s.address);
}

std::optional<SegmentRing::Slot> SegmentRing::take(std::size_t bytes, bool& refused) {
    refused = false;
    std::lock_guard lock(mutex_);
    if (closed_) return std::nullopt;
    Segment* chosen = nullptr;
    for (Segment& s : segments_) {
        if (s.held) continue;
        if (s.size >= bytes) {
            chosen = &s;
            break;
        }
        if (!chosen) chosen = &s;  // too small: made anew below
    }
    if (chosen && chosen->size < bytes) {
        detach(*chosen);
        if (!attach(*chosen, bytes, refused)) return std::nullopt;
    }
    if (!chosen) {
        if (segments_.size() >= capacity_) return std::nullopt;
        Segment fresh;
        if (!attach(fresh, bytes, refused)) return std::nullopt;
        segments_.push_back(fresh);
        chosen = &segments_.back();
    }
    chosen->held = true;
    return Slot{std::size_t(chosen - segments_.data()), chosen->id, chosen->address};
}

bool SegmentRing::attach(Segment& segment, std::size_t bytes, bool& refused) {
    segment = Segment{};
    const int shmId = ::shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (shmId < 0) return false;
    void* address = ::shmat(shmId, nullptr, 0);
    // Marked for removal at once: the segment goes when both sides detach,
    // even if this process dies.
    ::shmctl(shmId, IPC_RMID, nullptr);
    if (address == reinterpret_cast<void*>(-1)) return false;
    const std::uint32_t id = xcb_generate_id(c_);
    xcb_generic_error_t* error = xcb_request_check(c_, xcb_shm_attach_checked(c_, id, std::uint32_t(shmId), 0));
    if (error) {
        std::free(error);
        ::shmdt(address);
        refused = true;  // a remote server cannot share our memory
        return false;
    }
    segment = Segment{id, static_cast<std::uint8_t*>(address), bytes, false};
    return true;
}

void SegmentRing::detach(Segment& segment) {
    if (!segment.address) return;
    if (!closed_) xcb_shm_detach(c_, segment.id);
    ::shmdt(segment.address);
    segment = Segment{};
}

std::shared_ptr<const void> SegmentRing::lend(const Slot& slot) {
    return std::shared_ptr<const void>(slot.bytes, [ring = shared_from_this(), index = slot.index](const void*) {
        ring->giveBack(index);
    });
}

void SegmentRing::putBack(const Slot& slot) { giveBack(slot.index); }

void SegmentRing::giveBack(std::size_t index) {
    std::lock_guard lock(mutex_);
    Segment& s = segments_[index];
    s.held = false;
    if (closed_ && s.address) {
        ::shmdt(s.address);
        s.address = nullptr;
    }
}

std::size_t SegmentRing::lent() const {
    std::lock_guard lock(mutex_);
    std::size_t n = 0;
    for (const Segment& s : segments_) n += s.held ? 1 : 0;
    return n;
}

void SegmentRing::close() {
    std::lock_guard lock(mutex_);
    for (Segment& s : segments_) {
        if (!s.address) continue;
        xcb_shm_detach(c_, s.id);
        if (!s.held) {
            ::shmdt(s.address);
            s.address = nullptr;
        }
    }
    xcb_flush(c_);
    closed_ = true;
}

}  // namespace vp::x11
