#pragma once
// Headless mode on the real Linux platform: the choice between it and the
// simulated one, and the bed that runs it in real time.

#include "app/headless/Headless.h"

namespace vp {

// For runHeadless: the Linux bed when the options and the machine call for
// it, null for the simulated platform. Throws UsageError for an unknown
// platform name.
std::unique_ptr<HeadlessBed> makeLinuxBed(const HeadlessOptions& options, std::ostream& err);

}  // namespace vp
