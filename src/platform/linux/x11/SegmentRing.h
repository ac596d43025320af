#pragma once
// Shared-memory segments attached to the X server, into which screen grabs
// are written and out of which frames are lent without copying. A segment
// goes out with a frame and comes back when the frame's last reference goes
// (on whatever thread): it is never written into while still held. When
// every segment is out and the ring is full there is none to take, and the
// caller grabs another way.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

struct xcb_connection_t;

namespace vp::x11 {

class SegmentRing : public std::enable_shared_from_this<SegmentRing> {
public:
    static std::shared_ptr<SegmentRing> make(xcb_connection_t* connection, std::size_t capacity);
    ~SegmentRing();
    SegmentRing(const SegmentRing&) = delete;
    SegmentRing& operator=(const SegmentRing&) = delete;

    struct Slot {
        std::size_t index = 0;
        std::uint32_t segment = 0;  // the server's id
        std::uint8_t* bytes = nullptr;
    };
    // A segment of at least `bytes` that nobody holds, taken until it is
    // lent or put back. None when all are held and the ring is full, or
    // when no segment can be made; `refused` then tells whether the server
    // cannot share memory with this process at all (a remote server).
    std::optional<Slot> take(std::size_t bytes, bool& refused);
    // Storage that keeps the taken slot's bytes and gives the segment back
    // when its last copy goes.
    std::shared_ptr<const void> lend(const Slot& slot);
    // A taken slot that is not lent after all (the grab failed).
    void putBack(const Slot& slot);
    // Segments now out with frames.
    std::size_t lent() const;
    // Detaches every segment from the server while the connection is still
    // open; a segment still held is unmapped when it comes back.
    void close();

private:
    struct Segment {
        std::uint32_t id = 0;
        std::uint8_t* address = nullptr;
        std::size_t size = 0;
        bool held = false;
    };
    SegmentRing(xcb_connection_t* connection, std::size_t capacity);
    bool attach(Segment& segment, std::size_t bytes, bool& refused);
    void detach(Segment& segment);
    void giveBack(std::size_t index);

    xcb_connection_t* c_;
    std::size_t capacity_;
    mutable std::mutex mutex_;
    std::vector<Segment> segments_;
    bool closed_ = false;
};

}  // namespace vp::x11
