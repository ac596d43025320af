#include "platform/linux/ScaledFrame.h"

#include <algorithm>

namespace vp {

CapturedFrameRef scaledFrame(int width, int height, std::vector<std::uint8_t> bgra, int maxWidth, int maxHeight) {
    auto frame = std::make_shared<CapturedFrame>();
    if (maxWidth <= 0 || maxHeight <= 0 || (width <= maxWidth && height <= maxHeight)) {
        frame->width = width;
        frame->height = height;
        frame->bgra = std::make_shared<const std::vector<std::uint8_t>>(std::move(bgra));
        return frame;
    }
    const double scale = std::min(double(maxWidth) / width, double(maxHeight) / height);
    const int w = std::max(1, int(width * scale)), h = std::max(1, int(height * scale));
    auto out = std::make_shared<std::vector<std::uint8_t>>(std::size_t(w) * std::size_t(h) * 4);
    for (int y = 0; y < h; ++y) {
        const int sy = std::min(height - 1, int(y / scale));
        for (int x = 0; x < w; ++x) {
            const int sx = std::min(width - 1, int(x / scale));
            const std::size_t from = (std::size_t(sy) * std::size_t(width) + std::size_t(sx)) * 4;
            const std::size_t to = (std::size_t(y) * std::size_t(w) + std::size_t(x)) * 4;
            for (int k = 0; k < 4; ++k) (*out)[to + std::size_t(k)] = bgra[from + std::size_t(k)];
        }
    }
    frame->width = w;
    frame->height = h;
    frame->bgra = std::move(out);
    return frame;
}

}  // namespace vp
