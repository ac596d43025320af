#include "platform/linux/gnome/MutterTypes.h"

namespace vp::gnome {

const MutterMode* MutterMonitor::currentMode() const {
    for (const auto& m : modes)
        if (m.current) return &m;
    return nullptr;
}

const MutterMode* MutterMonitor::preferredMode() const {
    for (const auto& m : modes)
        if (m.preferred) return &m;
    return modes.empty() ? nullptr : &modes.front();
}

const MutterMode* MutterMonitor::mode(const std::string& id) const {
    for (const auto& m : modes)
        if (m.id == id) return &m;
    return nullptr;
}

const MutterMonitor* MutterState::monitor(const std::string& connector) const {
    for (const auto& m : monitors)
        if (m.spec.connector == connector) return &m;
    return nullptr;
}

const LogicalMonitor* MutterState::logicalFor(const std::string& connector) const {
    for (const auto& lm : logicalMonitors)
        for (const auto& spec : lm.monitors)
            if (spec.connector == connector) return &lm;
    return nullptr;
}

LogicalConfig* MonitorsConfig::logicalFor(const std::string& connector) {
    for (auto& lm : logicalMonitors)
        for (const auto& choice : lm.monitors)
            if (choice.connector == connector) return &lm;
    return nullptr;
}

const LogicalConfig* MonitorsConfig::logicalFor(const std::string& connector) const {
    return const_cast<MonitorsConfig*>(this)->logicalFor(connector);
}

}  // namespace vp::gnome
