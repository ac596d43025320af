#pragma once

namespace vp {

class AppContext;

class BrightnessKeys {
public:
    explicit BrightnessKeys(AppContext& context) : context_(context) {}

    void start(bool) {}
    void stop() {}

private:
    [[maybe_unused]] AppContext& context_;
};

}  // namespace vp
