#pragma once
// What the last DDC/CI probe learned about each monitor, remembered by its
// EDID across runs, so that a command that sets a value needs no Get first
// (a Get costs about 70 ms of DDC/CI pauses; probing three features most of
// a quarter second). The values are those last seen: another program or the
// monitor's own buttons may have changed them since, which is why a set does
// not depend on them and why a fresh read is one command away.

#include "hardware/DDCPackets.h"

#include <functional>
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
    // Called with the whole memory as text after each change, on the thread
    // that changed it; the text given back to the constructor restores it.
    using Saver = std::function<void(const std::string& text)>;

    // Starts from `saved` when it parses (else empty); without a saver the
    // memory lasts for this process only.
    explicit ProbeMemory(const std::string& saved = {}, Saver save = {});

    std::optional<RememberedProbe> recall(const Bytes& edid) const;
    // Stores and saves at once.
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

    Saver save_;
    mutable std::mutex mutex_;  // the probe runs on the DDC queue
    std::map<std::string, RememberedProbe> entries_;
};

}  // namespace vp
