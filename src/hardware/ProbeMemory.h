#pragma once
// What the last DDC/CI probe learned about each monitor, remembered by its
// EDID across runs, so that a command that sets a value needs no Get first
// (a Get costs about 70 ms of DDC/CI pauses; probing three features most of
// a quarter second). The values are those last seen: another program or the
// monitor's own buttons may have changed them since, which is why a set does
// not depend on them and why the file may be deleted to probe again.

#include "hardware/DDCPackets.h"

#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace vp {

struct RememberedProbe {
    double brightness = 0;
    std::optional<double> volume;
    std::optional<int> input;
    std::map<std::uint8_t, int> maxima;
    bool operator==(const RememberedProbe&) const = default;
};

class ProbeMemory {
public:
    // Loads the file when it exists and parses; an empty path keeps the
    // memory in this process only.
    explicit ProbeMemory(std::string path = {});

    std::optional<RememberedProbe> recall(const Bytes& edid) const;
    // Stores and writes the file at once (atomically); a write that fails
    // leaves the previous file.
    void remember(const Bytes& edid, const RememberedProbe& probe);
    void forget(const Bytes& edid);
    // A value set over DDC/CI, so that the next run starts from it: the
    // brightness and volume as fractions of the remembered maximum, the
    // input's low byte. Nothing for an unknown monitor or another feature.
    void noteWritten(const Bytes& edid, std::uint8_t code, long long value);

    // The key of a monitor: its whole EDID hashed, so two monitors of one
    // model with different serial numbers are told apart.
    static std::string key(const Bytes& edid);

private:
    void save() const;

    std::string path_;
    mutable std::mutex mutex_;  // the probe runs on the DDC queue
    std::map<std::string, RememberedProbe> entries_;
};

}  // namespace vp
