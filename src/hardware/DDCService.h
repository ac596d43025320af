#pragma once

namespace vp {

// One external monitor's DDC/CI channel.
class DDCService {
public:
    virtual ~DDCService() = default;
};

}  // namespace vp
