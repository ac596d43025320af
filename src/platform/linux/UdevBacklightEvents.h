#pragma once
// The kernel's backlight change events, as udev passes them on: a thread of
// its own waits on the udev monitor and hands each changed device's name to
// `changed` (which posts to the main queue; BacklightChanges reads the
// level there). Without udev (a container, no netlink) nothing is watched.

#include <functional>
#include <string>
#include <thread>

struct udev;
struct udev_monitor;

namespace vp {

class UdevBacklightEvents {
public:
    using Changed = std::function<void(const std::string& device)>;
    explicit UdevBacklightEvents(Changed changed);
    ~UdevBacklightEvents();  // stops the thread and waits for it
    UdevBacklightEvents(const UdevBacklightEvents&) = delete;
    UdevBacklightEvents& operator=(const UdevBacklightEvents&) = delete;

    bool watching() const { return thread_.joinable(); }

private:
    void run();
    void receive();

    Changed changed_;
    udev* udev_ = nullptr;
    udev_monitor* monitor_ = nullptr;
    int stop_ = -1;  // an eventfd that ends the wait
    std::thread thread_;
};

}  // namespace vp
