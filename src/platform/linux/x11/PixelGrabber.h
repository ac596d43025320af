#pragma once
// Copies a rectangle of a drawable (the root window's area of one screen, or
// a window's composited pixmap) into BGRA bytes, through a shared-memory
// segment when the server offers MIT-SHM (a 4K frame is 33 MB: copying it
// through the socket costs several times more) and the plain request
// otherwise. One grabber per thread.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct xcb_connection_t;

namespace vp::x11 {

struct Pixels {
    int width = 0, height = 0;
    std::vector<std::uint8_t> bgra;  // width*height*4, alpha opaque
};

class PixelGrabber {
public:
    explicit PixelGrabber(xcb_connection_t* connection);
    ~PixelGrabber();
    PixelGrabber(const PixelGrabber&) = delete;
    PixelGrabber& operator=(const PixelGrabber&) = delete;

    bool sharedMemory() const { return shmAvailable_; }
    // None when the drawable is gone or the area lies outside it.
    std::optional<Pixels> grab(std::uint32_t drawable, int x, int y, int width, int height);

private:
    std::optional<Pixels> grabShared(std::uint32_t drawable, int x, int y, int width, int height);
    std::optional<Pixels> grabPlain(std::uint32_t drawable, int x, int y, int width, int height);
    bool ensureSegment(std::size_t bytes);
    void releaseSegment();

    xcb_connection_t* c_;
    bool shmAvailable_ = false;
    std::uint32_t shmSegment_ = 0;
    int shmId_ = -1;
    std::uint8_t* shmAddress_ = nullptr;
    std::size_t shmSize_ = 0;
};

// 32-bit ZPixmap data (BGRX on the little-endian servers that matter) with
// the padding byte made opaque.
void makeOpaque(std::vector<std::uint8_t>& bgra);

}  // namespace vp::x11
