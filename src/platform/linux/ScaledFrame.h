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

}  // namespace vp
