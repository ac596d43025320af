#include "platform/sim/SimPlatform.h"

namespace vp {

namespace {

std::optional<double> visibleShade(SimWindowSystem& windows, DisplayID id) {
    for (const auto& record : windows.openWindows(WindowRole::shade))
        if (record->config.screen == id && record->visible) return record->background.a;
    return std::nullopt;
}

MonitorInspection inspect(const SimMonitor& monitor) {
    MonitorInspection out;
    for (const auto& [code, reading] : monitor.values()) out.values[code] = {reading.current, reading.max};
    for (const SimPacket& p : monitor.packets()) out.packets.push_back(p.bytes);
    return out;
}

}  // namespace

std::vector<DisplayInspection> SimPlatform::inspectDisplays() {
    auto backlight = simHardware.backlightPanel();
    std::vector<DisplayInspection> out;
    for (const SimDisplay& d : simDisplays.all()) {
        DisplayInspection entry;
        entry.id = d.id;
        entry.gamma = d.gamma;
        entry.shade = visibleShade(simWindows, d.id);
        if (backlight && backlight->display == d.id) entry.backlight = backlight->value;
        if (auto monitor = simHardware.monitorFor(d.id); monitor && monitor->speaksDDC()) entry.ddc = inspect(*monitor);
        if (auto assigned = d.uuid ? simSystem.profileAssignments.find(*d.uuid) : simSystem.profileAssignments.end();
            assigned != simSystem.profileAssignments.end())
            entry.profile = assigned->second;
        entry.colorSpace = simSystem.colorSpaceName(d.uuid);
        out.push_back(std::move(entry));
    }
    return out;
}

}  // namespace vp
