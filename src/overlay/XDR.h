#pragma once

namespace vp {

class AppContext;

class XDR {
public:
    explicit XDR(AppContext& context) : context_(context) {}

private:
    [[maybe_unused]] AppContext& context_;
};

}  // namespace vp
