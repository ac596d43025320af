#include "display/PendingDDC.h"

#include "hardware/DDCService.h"

namespace vp {

void PendingDDC::put(std::shared_ptr<DDCService> service, std::uint8_t code, long long value) {
    std::lock_guard lock(pendingLock);
    const Key key{service.get(), code};
    auto [it, added] = pendingDDC.insert_or_assign(key, PendingWrite{std::move(service), code, value});
    if (added) order_.push_back(key);
}

std::optional<PendingDDC::PendingWrite> PendingDDC::take() {
    std::lock_guard lock(pendingLock);
    if (order_.empty()) return std::nullopt;
    auto node = pendingDDC.extract(order_.front());
    order_.pop_front();
    return std::move(node.mapped());
}

std::size_t PendingDDC::drain() {
    std::size_t sent = 0;
    while (auto write = take()) {
        ++sent;
        if (write->service->write(write->code, write->value) || !onRefused_) continue;
        onRefused_({write->service, write->code, write->service->read(write->code)});
    }
    return sent;
}

std::size_t PendingDDC::size() {
    std::lock_guard lock(pendingLock);
    return pendingDDC.size();
}

}  // namespace vp
