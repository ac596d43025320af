#pragma once
// Reading the simulated hardware from tests: packets as hexadecimal text,
// pauses in milliseconds, shade windows and gamma tables by display.

#include "hardware/DDCPackets.h"
#include "platform/sim/SimPlatform.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace vp::test {

inline std::string hex(const Bytes& bytes) {
    return ddc::hexBytes(bytes);
}

inline std::vector<std::string> packetTexts(const SimMonitor& monitor) {
    std::vector<std::string> out;
    for (const SimPacket& p : monitor.packets()) out.push_back(hex(p.bytes));
    return out;
}

inline std::vector<long> millis(const std::vector<Seconds>& pauses) {
    std::vector<long> out;
    for (Seconds s : pauses) out.push_back(std::lround(s.count() * 1000));
    return out;
}

inline std::vector<long> repeated(const std::vector<long>& cycle, int times) {
    std::vector<long> out;
    for (int i = 0; i < times; ++i) out.insert(out.end(), cycle.begin(), cycle.end());
    return out;
}

// The open shade window of a display, if any.
inline std::shared_ptr<SimWindowRecord> shadeOf(SimPlatform& platform, DisplayID id) {
    for (const auto& record : platform.simWindows.openWindows(WindowRole::shade))
        if (record->config.screen == id) return record;
    return nullptr;
}

inline const GammaTable& gammaOf(SimPlatform& platform, DisplayID id) {
    return platform.simDisplays.find(id)->gamma;
}

}  // namespace vp::test
