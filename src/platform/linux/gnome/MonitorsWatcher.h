#pragma once
// Watches mutter's MonitorsChanged signal, and mutter coming and going, on a
// connection and thread of its own; `changed` runs on that thread.

#include "platform/linux/gnome/Bus.h"

#include <atomic>
#include <functional>
#include <thread>

namespace vp::gnome {

class MonitorsWatcher {
public:
    MonitorsWatcher(std::string address, std::function<void()> changed);
    ~MonitorsWatcher();
    MonitorsWatcher(const MonitorsWatcher&) = delete;
    MonitorsWatcher& operator=(const MonitorsWatcher&) = delete;

    bool start(BusError& error);

private:
    static int onSignal(sd_bus_message* message, void* self, sd_bus_error* error);
    void run();
    bool waitForTraffic();

    std::string address_;
    std::function<void()> changed_;
    BusPtr bus_;
    SlotPtr monitorsSlot_, ownerSlot_;
    int wakeFd_ = -1;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace vp::gnome
