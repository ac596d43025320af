#pragma once
// A minimal change signal: observers connect a callback and keep the
// returned connection alive for as long as they want to be called.

#include <functional>
#include <map>
#include <memory>

namespace vp {

class Signal {
public:
    using Slot = std::function<void()>;
    class Connection {
    public:
        Connection() = default;
        Connection(std::weak_ptr<std::map<int, Slot>> slots, int id) : slots_(std::move(slots)), id_(id) {}
        Connection(Connection&& other) noexcept { *this = std::move(other); }
        Connection& operator=(Connection&& other) noexcept {
            disconnect();
            slots_ = std::move(other.slots_);
            id_ = other.id_;
            other.slots_.reset();
            return *this;
        }
        ~Connection() { disconnect(); }
        void disconnect() {
            if (auto slots = slots_.lock()) slots->erase(id_);
            slots_.reset();
        }

    private:
        std::weak_ptr<std::map<int, Slot>> slots_;
        int id_ = 0;
    };

    [[nodiscard]] Connection connect(Slot slot) {
        int id = nextId_++;
        (*slots_)[id] = std::move(slot);
        return Connection(slots_, id);
    }

    void emit() const {
        auto copy = *slots_;  // a slot may disconnect itself
        for (auto& [id, slot] : copy) slot();
    }

    std::size_t size() const { return slots_->size(); }

private:
    std::shared_ptr<std::map<int, Slot>> slots_ = std::make_shared<std::map<int, Slot>>();
    int nextId_ = 1;
};

}  // namespace vp
