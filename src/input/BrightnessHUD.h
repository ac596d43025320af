#pragma once

namespace vp {

class AppContext;

class BrightnessHUD {
public:
    explicit BrightnessHUD(AppContext& context) : context_(context) {}

private:
    [[maybe_unused]] AppContext& context_;
};

}  // namespace vp
