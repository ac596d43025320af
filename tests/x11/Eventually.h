#pragma once
// Waits in real time, bounded, until another process or thread makes a
// condition true: a test server, the program, PipeWire.

#include <chrono>
#include <functional>
#include <thread>

namespace vp::test {

inline bool eventually(const std::function<bool()>& condition,
                       std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return true;
}

}  // namespace vp::test
