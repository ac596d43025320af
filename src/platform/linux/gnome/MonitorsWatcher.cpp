#include "platform/linux/gnome/MonitorsWatcher.h"

#include "platform/linux/gnome/DisplayConfigClient.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <time.h>
#include <unistd.h>

namespace vp::gnome {

MonitorsWatcher::MonitorsWatcher(std::string address, std::function<void()> changed)
    : address_(std::move(address)), changed_(std::move(changed)) {}

MonitorsWatcher::~MonitorsWatcher() {
    stopping_ = true;
    if (wakeFd_ >= 0) {
        std::uint64_t one = 1;
        [[maybe_unused]] auto n = ::write(wakeFd_, &one, sizeof one);
    }
    if (thread_.joinable()) thread_.join();
    monitorsSlot_.reset();
    ownerSlot_.reset();
    bus_.reset();
    if (wakeFd_ >= 0) ::close(wakeFd_);
}

int MonitorsWatcher::onSignal(sd_bus_message*, void* self, sd_bus_error*) {
    static_cast<MonitorsWatcher*>(self)->changed_();
    return 0;
}

bool MonitorsWatcher::start(BusError& error) {
    bus_ = openSessionBus(address_, error);
    if (!bus_) return false;
    sd_bus_slot* slot = nullptr;
    int r = sd_bus_match_signal(bus_.get(), &slot, nullptr, kDisplayConfig.path, kDisplayConfig.interface,
                                "MonitorsChanged", &MonitorsWatcher::onSignal, this);
    monitorsSlot_.reset(r < 0 ? nullptr : slot);
    // mutter restarting: its name changes owner, and the state is new.
    if (r >= 0)
        r = sd_bus_add_match(bus_.get(), &slot,
                             "type='signal',sender='org.freedesktop.DBus',interface='org.freedesktop.DBus',"
                             "member='NameOwnerChanged',arg0='org.gnome.Mutter.DisplayConfig'",
                             &MonitorsWatcher::onSignal, this);
    if (r >= 0) ownerSlot_.reset(slot);
    if (r >= 0) wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (r < 0 || wakeFd_ < 0) {
        error = errnoError("cannot watch mutter's display changes", r < 0 ? r : -errno);
        return false;
    }
    thread_ = std::thread([this] { run(); });
    return true;
}

void MonitorsWatcher::run() {
    while (!stopping_) {
        int r = 0;
        while ((r = sd_bus_process(bus_.get(), nullptr)) > 0 && !stopping_) {
        }
        if (r < 0 || stopping_ || !waitForTraffic()) break;
    }
    // The bus itself went away: whatever was shown is gone with it.
    if (!stopping_) changed_();
}

bool MonitorsWatcher::waitForTraffic() {
    int events = sd_bus_get_events(bus_.get());
    if (events < 0) return false;
    std::uint64_t until = 0;
    int timeout = -1;
    if (sd_bus_get_timeout(bus_.get(), &until) > 0 && until != UINT64_MAX) {
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        std::uint64_t nowUs = std::uint64_t(now.tv_sec) * 1000000 + std::uint64_t(now.tv_nsec) / 1000;
        timeout = until > nowUs ? int((until - nowUs + 999) / 1000) : 0;
    }
    pollfd fds[2] = {{sd_bus_get_fd(bus_.get()), short(events), 0}, {wakeFd_, POLLIN, 0}};
    return ::poll(fds, 2, timeout) >= 0 || errno == EINTR;
}

}  // namespace vp::gnome
