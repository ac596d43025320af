#include "platform/linux/ScaledFrame.h"

#include <algorithm>
#include <cstring>

namespace vp {

namespace {

bool fits(int width, int height, int maxWidth, int maxHeight) {
    return maxWidth <= 0 || maxHeight <= 0 || (width <= maxWidth && height <= maxHeight);
}

}  // namespace

CapturedFrameRef scaledFrame(const PixelView& source, int maxWidth, int maxHeight, bool opaque) {
    const double scale = fits(source.width, source.height, maxWidth, maxHeight)
                             ? 1.0
                             : std::min(double(maxWidth) / source.width, double(maxHeight) / source.height);
    const int w = std::max(1, int(source.width * scale)), h = std::max(1, int(source.height * scale));
    auto out = std::make_shared<std::vector<std::uint8_t>>(std::size_t(w) * std::size_t(h) * 4);
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* row = source.pixels + std::size_t(std::min(source.height - 1, int(y / scale))) * source.stride;
        std::uint8_t* to = out->data() + std::size_t(y) * std::size_t(w) * 4;
        if (scale == 1.0) {
            std::memcpy(to, row, std::size_t(w) * 4);
        } else {
            for (int x = 0; x < w; ++x)
                std::memcpy(to + std::size_t(x) * 4, row + std::size_t(std::min(source.width - 1, int(x / scale))) * 4, 4);
        }
        if (opaque)
            for (int x = 0; x < w; ++x) to[std::size_t(x) * 4 + 3] = 0xFF;
    }
    auto frame = std::make_shared<CapturedFrame>();
    frame->width = w;
    frame->height = h;
    frame->bgra = *out;
    frame->storage = std::move(out);
    return frame;
}

CapturedFrameRef scaledFrame(const PixelView& source, std::shared_ptr<const void> storage, int maxWidth,
                             int maxHeight) {
    if (!fits(source.width, source.height, maxWidth, maxHeight)) return scaledFrame(source, maxWidth, maxHeight, false);
    auto frame = std::make_shared<CapturedFrame>();
    frame->width = source.width;
    frame->height = source.height;
    frame->bgra = {source.pixels, std::size_t(source.width) * std::size_t(source.height) * 4};
    frame->storage = std::move(storage);
    return frame;
}

}  // namespace vp
