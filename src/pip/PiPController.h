#pragma once

namespace vp {

class AppContext;

// The registry of open picture-in-picture controllers.
class PiPRegistry {
public:
    explicit PiPRegistry(AppContext& context) : context_(context) {}

private:
    [[maybe_unused]] AppContext& context_;
};

}  // namespace vp
