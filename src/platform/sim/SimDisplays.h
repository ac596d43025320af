#pragma once
// Simulated displays: a small display system with real state. Transactions
// stage changes and apply them on completion; changes completed for this
// application only are undone when the simulated process ends, unless the
// platform's configuration outlives the process; every completed
// transaction fires the reconfiguration callback from another thread, the
// begin flag first.

#include "platform/Capabilities.h"
#include "platform/Displays.h"
#include "platform/VirtualRuntime.h"

#include <nlohmann/json.hpp>

#include <functional>
#include <map>
#include <mutex>

namespace vp {

struct SimDisplay {
    DisplayID id = 0;
    std::optional<std::string> uuid;
    std::string name;
    bool builtin = false;
    bool online = true;
    bool active = true;
    Rect bounds;
    std::vector<DisplayMode> modes;
    std::optional<std::size_t> currentMode;  // index into modes
    DisplayID mirrorOf = 0;
    std::uint32_t vendor = 0, model = 0, serial = 0;
    Size sizeMM;
    GammaTable profileGamma;  // what restoring the colour profile gives back
    GammaTable gamma;
    bool gammaReadable = true;
    double edrHeadroom = 1.0;
};

// Statuses a test or scenario makes the system answer with (0 = accept).
struct SimRefusals {
    Status begin = 0;
    Status mode = 0;
    Status mirror = 0;
    Status origin = 0;
    Status main = 0;
    Status enabled = 0;
    Status complete = 0;
    // Every configure step naming one of these displays is refused.
    std::map<DisplayID, Status> display = {};
};

class SimDisplays : public DisplayServices {
public:
    // `capabilities` says whether switching off is possible and whether
    // changes for this run only survive the end of the process.
    explicit SimDisplays(const Capabilities& capabilities);
    ~SimDisplays() override;

    // Scenario: the "displays" array. Throws std::runtime_error with a
    // readable message on a malformed entry.
    void load(const nlohmann::json& displays);
    // Scenario: the "refusals" object ({"begin", "mode", "mirror", "origin",
    // "main", "enabled", "complete": status, "display": {"<id>": status}}).
    void loadRefusals(const nlohmann::json& refusals);

    std::vector<DisplayID> onlineDisplays() override;
    Rect bounds(DisplayID id) override;
    Location location(DisplayID id) override;
    bool isMain(DisplayID id) override;
    bool isActive(DisplayID id) override;
    DisplayID mirrorsDisplay(DisplayID id) override;
    Size screenSizeMM(DisplayID id) override;
    std::uint32_t vendorNumber(DisplayID id) override;
    std::uint32_t modelNumber(DisplayID id) override;
    std::uint32_t serialNumber(DisplayID id) override;
    std::optional<std::string> uuid(DisplayID id) override;
    std::optional<DisplayMode> currentMode(DisplayID id) override;
    std::optional<std::vector<DisplayMode>> allModes(DisplayID id) override;
    void registerReconfigurationCallback(ReconfigurationCallback callback) override;
    Status beginConfiguration(ConfigHandle& handle) override;
    Status configureMode(ConfigHandle handle, DisplayID id, const DisplayMode& mode) override;
    Status configureMirror(ConfigHandle handle, DisplayID id, DisplayID master) override;
    Status configureOrigin(ConfigHandle handle, DisplayID id, std::int32_t x, std::int32_t y) override;
    Status configureMain(ConfigHandle handle, DisplayID id) override;
    Status configureEnabled(ConfigHandle handle, DisplayID id, bool enabled) override;
    Status cancelConfiguration(ConfigHandle handle) override;
    Status completeConfiguration(ConfigHandle handle, ConfigureOption option) override;
    std::optional<GammaTable> readGamma(DisplayID id, std::size_t capacity) override;
    Status writeGamma(DisplayID id, const GammaTable& table) override;
    void restoreGamma() override;

    // --- Simulation controls
    SimRefusals refusals;
    // Adds a display (a monitor plugged in, a virtual display appearing) and
    // announces it; removes one likewise.
    void addDisplay(SimDisplay display, bool announce = true);
    void removeDisplay(DisplayID id, bool announce = true);
    // Fires the reconfiguration callback for a display, as the system does:
    // the begin flag, then the change.
    void announce(DisplayID id);
    // Delivers one callback with exactly these flags.
    void deliver(DisplayID id, std::uint32_t flags);
    // The simulated process ends: changes completed for this application
    // only are undone, unless configuration outlives the process.
    void endProcess();
    // Waits until every queued callback has been delivered.
    void settle();
    std::size_t completedTransactions() const { return completed_; }
    // Every transaction call in order, as text: "begin", "mode 2 1920x1080@1920x1080@60",
    // "mirror 2 0", "origin 3 -1920 200", "main 3", "enabled 3 off", "cancel",
    // "complete 2" (the option); a refused call ends in " -> status".
    std::vector<std::string> transactionLog;
    // Puts a display to the right of the arrangement, at the top.
    void placeRightOfArrangement(SimDisplay& display);

    const Capabilities& capabilities() const { return capabilities_; }
    // Direct access for tests and the simulated hardware.
    SimDisplay* find(DisplayID id);
    const std::vector<SimDisplay>& all() const { return displays_; }
    std::vector<SimDisplay>& all() { return displays_; }

private:
    using Change = std::function<void()>;
    struct Transaction {
        std::vector<Change> changes;
        std::vector<DisplayID> touched;
    };
    Status stage(ConfigHandle handle, Status refusal, const std::vector<DisplayID>& ids, Change change);
    void applyMirror(DisplayID id, DisplayID master);
    void applyMain(DisplayID id);
    std::vector<DisplayID> standingAlone() const;
    Status record(std::string call, Status status);
    SimDisplay* mainDisplay();
    void keepArrangementConsistent();

    const Capabilities& capabilities_;
    std::vector<SimDisplay> displays_;
    std::map<ConfigHandle, Transaction> open_;
    ConfigHandle nextHandle_ = 1;
    std::size_t completed_ = 0;
    // Per transaction completed for this application only: the touched
    // displays as they were before it.
    std::vector<std::vector<SimDisplay>> appOnlyUndo_;
    std::mutex callbackMutex_;
    ReconfigurationCallback callback_;
    ThreadSerialQueue notifier_;
};

// A mode record from its scenario form.
DisplayMode simModeFromJson(const nlohmann::json& j);
GammaTable identityGamma(std::size_t entries = 256);

}  // namespace vp
