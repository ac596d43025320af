#pragma once
// Copies a rectangle of a drawable (the root window's area of one screen, or
// a window's composited pixmap) into BGRA bytes, through a shared-memory
// segment when the server offers MIT-SHM (a 4K frame is 33 MB: copying it
// through the socket costs several times more) and the plain request
// otherwise. A shared-memory grab is not copied again: its pixels stay in
// the segment, lent out with them until their last reference goes, and a
// few segments take turns. One grabber per thread.

#include "platform/linux/x11/SegmentRing.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

struct xcb_connection_t;

namespace vp::x11 {

struct Pixels {
    int width = 0, height = 0;
    std::span<std::uint8_t> bgra;  // width*height*4, alpha opaque
    std::shared_ptr<const void> storage;  // keeps the bytes: a segment or a buffer of their own
};

class PixelGrabber {
public:
    // Segments out at once: one being drawn, one on its way, one being
    // grabbed into, and one for a late release.
    static constexpr std::size_t kSegments = 4;

    explicit PixelGrabber(xcb_connection_t* connection);
    ~PixelGrabber();
    PixelGrabber(const PixelGrabber&) = delete;
    PixelGrabber& operator=(const PixelGrabber&) = delete;

    bool sharedMemory() const { return shmAvailable_; }
    // None when the drawable is gone or the area lies outside it.
    std::optional<Pixels> grab(std::uint32_t drawable, int x, int y, int width, int height);
    // Segments now out with grabbed pixels.
    std::size_t segmentsLent() const { return ring_ ? ring_->lent() : 0; }

private:
    std::optional<Pixels> grabShared(std::uint32_t drawable, int x, int y, int width, int height);
    std::optional<Pixels> grabPlain(std::uint32_t drawable, int x, int y, int width, int height);

    xcb_connection_t* c_;
    bool shmAvailable_ = false;
    std::shared_ptr<SegmentRing> ring_;
};

// 32-bit ZPixmap data (BGRX on the little-endian servers that matter) with
// the padding byte made opaque.
void makeOpaque(std::span<std::uint8_t> bgra);

}  // namespace vp::x11
