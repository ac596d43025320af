#include "platform/linux/x11/PixelGrabber.h"

#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

#include <sys/ipc.h>
#include <sys/shm.h>

namespace vp::x11 {

void makeOpaque(std::vector<std::uint8_t>& bgra) {
    for (std::size_t i = 3; i < bgra.size(); i += 4) bgra[i] = 0xFF;
}

PixelGrabber::PixelGrabber(xcb_connection_t* connection) : c_(connection) {
    const xcb_query_extension_reply_t* shm = xcb_get_extension_data(c_, &xcb_shm_id);
    shmAvailable_ = shm && shm->present;
}

PixelGrabber::~PixelGrabber() { releaseSegment(); }

std::optional<Pixels> PixelGrabber::grab(std::uint32_t drawable, int x, int y, int width, int height) {
    if (width <= 0 || height <= 0) return std::nullopt;
    if (shmAvailable_) {
        if (auto pixels = grabShared(drawable, x, y, width, height)) return pixels;
    }
    return grabPlain(drawable, x, y, width, height);
}

bool PixelGrabber::ensureSegment(std::size_t bytes) {
    if (shmSegment_ && shmSize_ >= bytes) return true;
    releaseSegment();
    shmId_ = ::shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (shmId_ < 0) return false;
    void* address = ::shmat(shmId_, nullptr, 0);
    // Marked for removal at once: the segment goes when both sides detach,
    // even if this process dies.
    ::shmctl(shmId_, IPC_RMID, nullptr);
    if (address == reinterpret_cast<void*>(-1)) return false;
    shmAddress_ = static_cast<std::uint8_t*>(address);
    shmSize_ = bytes;
    shmSegment_ = xcb_generate_id(c_);
    xcb_generic_error_t* error =
        xcb_request_check(c_, xcb_shm_attach_checked(c_, shmSegment_, std::uint32_t(shmId_), 0));
    if (error) {
        std::free(error);
        shmSegment_ = 0;
        shmAvailable_ = false;  // a remote server cannot share our memory
        releaseSegment();
        return false;
    }
    return true;
}

void PixelGrabber::releaseSegment() {
    if (shmSegment_) xcb_shm_detach(c_, shmSegment_);
    if (shmAddress_) ::shmdt(shmAddress_);
    shmSegment_ = 0;
    shmAddress_ = nullptr;
    shmSize_ = 0;
}

std::optional<Pixels> PixelGrabber::grabShared(std::uint32_t drawable, int x, int y, int width, int height) {
    const std::size_t bytes = std::size_t(width) * std::size_t(height) * 4;
    if (!ensureSegment(bytes)) return std::nullopt;
    auto cookie = xcb_shm_get_image(c_, drawable, std::int16_t(x), std::int16_t(y), std::uint16_t(width),
                                    std::uint16_t(height), ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP, shmSegment_, 0);
    xcb_generic_error_t* error = nullptr;
    auto* reply = xcb_shm_get_image_reply(c_, cookie, &error);
    std::free(error);
    if (!reply) return std::nullopt;
    const bool thirtyTwoBits = reply->depth == 24 || reply->depth == 32;
    std::free(reply);
    if (!thirtyTwoBits) return std::nullopt;
    Pixels p{width, height, std::vector<std::uint8_t>(shmAddress_, shmAddress_ + bytes)};
    makeOpaque(p.bgra);
    return p;
}

std::optional<Pixels> PixelGrabber::grabPlain(std::uint32_t drawable, int x, int y, int width, int height) {
    auto cookie = xcb_get_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, std::int16_t(x), std::int16_t(y),
                                std::uint16_t(width), std::uint16_t(height), ~0u);
    xcb_generic_error_t* error = nullptr;
    auto* reply = xcb_get_image_reply(c_, cookie, &error);
    std::free(error);
    if (!reply) return std::nullopt;
    const std::size_t bytes = std::size_t(width) * std::size_t(height) * 4;
    const auto length = std::size_t(xcb_get_image_data_length(reply));
    std::optional<Pixels> result;
    if ((reply->depth == 24 || reply->depth == 32) && length >= bytes) {
        const std::uint8_t* data = xcb_get_image_data(reply);
        result = Pixels{width, height, std::vector<std::uint8_t>(data, data + bytes)};
        makeOpaque(result->bgra);
    }
    std::free(reply);
    return result;
}

}  // namespace vp::x11
