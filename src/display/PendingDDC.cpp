#include "display/PendingDDC.h"

#include "hardware/DDCService.h"

namespace vp {

void PendingDDC::put(std::shared_ptr<DDCService> service, std::uint8_t code, long long value) {
    std::lock_guard lock(pendingLock);
    const DDCService* identity = service.get();
    pendingDDC[{identity, code}] = PendingWrite{std::move(service), code, value};
}

std::optional<PendingDDC::PendingWrite> PendingDDC::take() {
    std::lock_guard lock(pendingLock);
    if (pendingDDC.empty()) return std::nullopt;
    auto node = pendingDDC.extract(pendingDDC.begin());
    return std::move(node.mapped());
}

std::size_t PendingDDC::drain() {
    std::size_t sent = 0;
    while (auto write = take()) {
        write->service->write(write->code, write->value);
        ++sent;
    }
    return sent;
}

std::size_t PendingDDC::size() {
    std::lock_guard lock(pendingLock);
    return pendingDDC.size();
}

}  // namespace vp
