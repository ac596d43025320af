#pragma once
// Reduction of a captured picture to a stream's size, shared by the capture
// back-ends: a picture-in-picture panel needs no more pixels than it shows.

#include "platform/WindowSystem.h"

#include <cstdint>
#include <memory>

namespace vp {

// 32-bit pixels read where they are (a shared buffer), rows `stride` bytes
// apart.
struct PixelView {
    const std::uint8_t* pixels = nullptr;
    int width = 0, height = 0;
    std::size_t stride = 0;
};

// Nearest-neighbour reduction to at most `maxWidth`×`maxHeight`, keeping the
// aspect, into bytes of the frame's own, copying only the pixels kept (the
// source may be a buffer lent for this call only). `opaque` makes every
// alpha 255 (the fourth byte of BGRx means nothing).
CapturedFrameRef scaledFrame(const PixelView& source, int maxWidth, int maxHeight, bool opaque);

// The same for tightly packed pixels that `storage` keeps alive: pixels
// already small enough are lent to the frame as they are, storage and all.
CapturedFrameRef scaledFrame(const PixelView& source, std::shared_ptr<const void> storage, int maxWidth,
                             int maxHeight);

}  // namespace vp
