#pragma once
// PipeWire's library must be set up once per process before any loop or
// stream exists, whichever of our PipeWire users comes first.

#include <pipewire/pipewire.h>

#include <mutex>

namespace vp {

inline void initialisePipeWire() {
    static std::once_flag once;
    std::call_once(once, [] { pw_init(nullptr, nullptr); });
}

}  // namespace vp
