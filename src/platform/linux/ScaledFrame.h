#pragma once
// Reduction of a captured picture to a stream's size, shared by the capture
// back-ends: a picture-in-picture panel needs no more pixels than it shows.

#include "platform/WindowSystem.h"

#include <cstdint>
#include <vector>

namespace vp {

// Nearest-neighbour reduction to at most `maxWidth`×`maxHeight`, keeping the
// aspect; frames already that small are kept as they are.
CapturedFrameRef scaledFrame(int width, int height, std::vector<std::uint8_t> bgra, int maxWidth, int maxHeight);

// 32-bit pixels read where they are (a shared buffer), rows `stride` bytes
// apart.
struct PixelView {
    const std::uint8_t* pixels = nullptr;
    int width = 0, height = 0;
    std::size_t stride = 0;
};

// The same reduction, copying only the pixels kept; `opaque` makes every
// alpha 255 (the fourth byte of BGRx means nothing).
CapturedFrameRef scaledFrame(const PixelView& source, int maxWidth, int maxHeight, bool opaque);

}  // namespace vp
