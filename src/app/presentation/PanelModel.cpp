#include "app/presentation/PanelModel.h"

#include "app/I18n.h"

namespace vp {

std::vector<Screen> adjustableScreens(const std::vector<Screen>& screens) {
    std::vector<Screen> out;
    for (const Screen& s : screens)
        if (s.isActive && !s.isOurVirtual) out.push_back(s);
    return out;
}

PanelModel panelModel(const std::vector<Screen>& screens, double averageBrightness,
                      const std::optional<std::string>& lastError) {
    std::size_t adjustable = adjustableScreens(screens).size();
    PanelModel m;
    m.countText = LF("%ld conectada(s)", {long(adjustable)});
    m.allScreensSlider = adjustable >= 2;
    m.averageBrightness = averageBrightness;
    m.scrolls = screens.size() >= PanelModel::scrollFrom;
    m.banner = lastError;
    return m;
}

}  // namespace vp
