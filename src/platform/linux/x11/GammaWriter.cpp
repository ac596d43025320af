#include "platform/linux/x11/GammaWriter.h"

namespace vp::x11 {

GammaWriter::GammaWriter(const std::string& display) : client_(display) {
    thread_ = std::thread([this] { run(); });
}

GammaWriter::~GammaWriter() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void GammaWriter::post(XId crtc, GammaRamp ramp) {
    {
        std::lock_guard lock(mutex_);
        pending_[crtc] = std::move(ramp);
    }
    wake_.notify_one();
}

bool GammaWriter::flush() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return pending_.empty() && !busy_; });
    bool ok = !failed_;
    failed_ = false;
    return ok;
}

std::size_t GammaWriter::sent() const {
    std::lock_guard lock(mutex_);
    return sent_;
}

void GammaWriter::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !pending_.empty(); });
        if (pending_.empty() && stopping_) return;
        auto next = pending_.extract(pending_.begin());
        busy_ = true;
        lock.unlock();
        // setGamma waits for the server's answer: the pace the server sets.
        bool ok = client_.setGamma(next.key(), next.mapped());
        lock.lock();
        busy_ = false;
        ++sent_;
        failed_ = failed_ || !ok;
        if (pending_.empty()) idle_.notify_all();
    }
}

}  // namespace vp::x11
