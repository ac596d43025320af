#pragma once

namespace vp {

class AppContext;

class Gamma {
public:
    explicit Gamma(AppContext& context) : context_(context) {}

private:
    [[maybe_unused]] AppContext& context_;
};

}  // namespace vp
