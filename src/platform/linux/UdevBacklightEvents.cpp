#include "platform/linux/UdevBacklightEvents.h"

#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstring>

namespace vp {

UdevBacklightEvents::UdevBacklightEvents(Changed changed) : changed_(std::move(changed)) {
    udev_ = udev_new();
    if (udev_) monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
    if (!monitor_ || udev_monitor_filter_add_match_subsystem_devtype(monitor_, "backlight", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor_) < 0)
        return;
    stop_ = ::eventfd(0, EFD_CLOEXEC);
    if (stop_ >= 0) thread_ = std::thread([this] { run(); });
}

UdevBacklightEvents::~UdevBacklightEvents() {
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] ssize_t written = ::write(stop_, &one, sizeof one);
        thread_.join();
    }
    if (stop_ >= 0) ::close(stop_);
    if (monitor_) udev_monitor_unref(monitor_);
    if (udev_) udev_unref(udev_);
}

void UdevBacklightEvents::run() {
    pollfd fds[2] = {{udev_monitor_get_fd(monitor_), POLLIN, 0}, {stop_, POLLIN, 0}};
    for (;;) {
        if (::poll(fds, 2, -1) < 0) continue;
        if (fds[1].revents) return;
        if (fds[0].revents) receive();
    }
}

void UdevBacklightEvents::receive() {
    udev_device* device = udev_monitor_receive_device(monitor_);
    if (!device) return;
    const char* action = udev_device_get_action(device);
    const char* name = udev_device_get_sysname(device);
    if (action && name && std::strcmp(action, "change") == 0) changed_(name);
    udev_device_unref(device);
}

}  // namespace vp
