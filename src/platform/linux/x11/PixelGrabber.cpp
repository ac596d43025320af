#include "platform/linux/x11/PixelGrabber.h"

#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <cstdlib>

namespace vp::x11 {

namespace {

bool thirtyTwoBits(std::uint8_t depth) { return depth == 24 || depth == 32; }

}  // namespace

void makeOpaque(std::span<std::uint8_t> bgra) {
    for (std::size_t i = 3; i < bgra.size(); i += 4) bgra[i] = 0xFF;
}

PixelGrabber::PixelGrabber(xcb_connection_t* connection) : c_(connection) {
    const xcb_query_extension_reply_t* shm = xcb_get_extension_data(c_, &xcb_shm_id);
    shmAvailable_ = shm && shm->present;
    if (shmAvailable_) ring_ = SegmentRing::make(c_, kSegments);
}

PixelGrabber::~PixelGrabber() {
    if (ring_) ring_->close();
}

std::optional<Pixels> PixelGrabber::grab(std::uint32_t drawable, int x, int y, int width, int height) {
    if (width <= 0 || height <= 0) return std::nullopt;
    if (shmAvailable_) {
        if (auto pixels = grabShared(drawable, x, y, width, height)) return pixels;
    }
    return grabPlain(drawable, x, y, width, height);
}

std::optional<Pixels> PixelGrabber::grabShared(std::uint32_t drawable, int x, int y, int width, int height) {
    const std::size_t bytes = std::size_t(width) * std::size_t(height) * 4;
    bool refused = false;
    auto slot = ring_->take(bytes, refused);
    if (!slot) {
        if (refused) shmAvailable_ = false;
        return std::nullopt;
    }
    auto cookie = xcb_shm_get_image(c_, drawable, std::int16_t(x), std::int16_t(y), std::uint16_t(width),
                                    std::uint16_t(height), ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP, slot->segment, 0);
    xcb_generic_error_t* error = nullptr;
    auto* reply = xcb_shm_get_image_reply(c_, cookie, &error);
    std::free(error);
    const bool usable = reply && thirtyTwoBits(reply->depth);
    std::free(reply);
    if (!usable) {
        ring_->putBack(*slot);
        return std::nullopt;
    }
    Pixels p{width, height, std::span<std::uint8_t>(slot->bytes, bytes), ring_->lend(*slot)};
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
    if (thirtyTwoBits(reply->depth) && length >= bytes) {
        const std::uint8_t* data = xcb_get_image_data(reply);
        auto buffer = std::make_shared<std::vector<std::uint8_t>>(data, data + bytes);
        result = Pixels{width, height, *buffer, buffer};
        makeOpaque(result->bgra);
    }
    std::free(reply);
    return result;
}

}  // namespace vp::x11
