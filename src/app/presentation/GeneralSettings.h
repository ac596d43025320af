#pragma once
// The General page's switches: their texts, where each value lives and what
// a change does at once.

#include "platform/Runtime.h"

#include <string>
#include <vector>

namespace vp {

class AppContext;

enum class GeneralSwitch { loginItem, restoreHiDPI, keysAllScreens, dimBelow, volumeKeys };

struct GeneralRow {
    GeneralSwitch id;
    std::string title;
    std::string subtitle;
};

// The behaviour card's rows, in order.
std::vector<GeneralRow> generalRows();

class GeneralSettings {
public:
    static constexpr Seconds permissionPoll = std::chrono::seconds(2);

    // Reads the login item and the accessibility permission once, as the page
    // does when it is created.
    explicit GeneralSettings(AppContext& context);

    // Persisted switches are read afresh on every call (missing reads true).
    bool value(GeneralSwitch id) const;
    void set(GeneralSwitch id, bool on);

    bool accessibilityWarning() const;
    // Re-reads the permission; the page calls it every permissionPoll while
    // the warning is shown.
    void pollPermission();

    static const char* defaultsKey(GeneralSwitch id);

private:
    AppContext& context_;
    bool loginItem_ = false;
    bool axGranted_ = false;
};

}  // namespace vp
