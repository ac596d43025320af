#pragma once
// Finding out which external monitors answer DDC/CI, and what they report.
// Runs on the DDC queue: it blocks for the exchanges' pauses and touches no
// manager state, only the values passed to it.

#include "hardware/DDCService.h"

#include <map>
#include <set>

namespace vp {

struct DDCProbeResult {
    DisplayID display = 0;
    std::shared_ptr<DDCService> service;
    double brightness = 0;                 // hardware fraction 0…1
    std::optional<double> volume;          // fraction, when the monitor has the feature
    std::optional<int> input;              // low 8 bits of the input-source value
    std::map<std::uint8_t, int> maxima;    // brightness and, when known, volume
};

struct DDCProbeOutcome {
    std::vector<DDCProbeResult> results;
    std::set<DisplayID> probed;  // every display asked about
    std::set<DisplayID> twins;   // left on software: indistinguishable from another
    // Left on software because the platform may not open their link: why.
    std::map<DisplayID, std::string> unreachable;
};

// Discovers the services, pairs them with the displays and reads
// brightness, volume and input of every paired display not in `forced`,
// unless `recall` and `memory` has them from an earlier run (then nothing
// is sent), and remembers what it read. Displays whose brightness cannot be
// read get no result.
DDCProbeOutcome probeDDC(MonitorHardware& hardware, Sleeper& sleeper, const std::vector<DisplayIdentity>& externals,
                         const std::set<DisplayID>& forced, const std::shared_ptr<ProbeMemory>& memory, bool recall);

}  // namespace vp
