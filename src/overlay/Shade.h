#pragma once

namespace vp {

class AppContext;

class Shade {
public:
    explicit Shade(AppContext& context) : context_(context) {}

private:
    [[maybe_unused]] AppContext& context_;
};

}  // namespace vp
