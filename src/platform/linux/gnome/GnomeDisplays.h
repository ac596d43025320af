#pragma once
// Display services on GNOME (Wayland), through mutter's DisplayConfig.
//
// mutter owns the displays: we read its state, and a transaction is a list
// of edits replayed onto the state mutter has when it completes, sent as one
// temporary configuration. A temporary configuration (and a gamma ramp)
// outlives our process, so mutter's configuration and each ramp are recorded
// on disk before our first change and put back when we end — or, after a
// crash, at the next start. Gamma goes through the CRTCs, where GNOME's
// colour manager may overwrite it; ours is sent again at once after each
// change mutter announces, before the core hears of it (describe() tells
// the core to re-apply too).

#include "platform/Capabilities.h"
#include "platform/Displays.h"
#include "platform/linux/gnome/DisplayConfigClient.h"
#include "platform/linux/gnome/MonitorsWatcher.h"
#include "platform/linux/restore/OriginalsJournal.h"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

namespace vp::gnome {

// Statuses this back-end gives besides 0.
enum GnomeStatus : Status {
    kNoTransaction = 1001,
    kUnknownDisplay = 1002,
    kMutterRefused = 1003,     // mutter's words in lastFailure()
    kMutterUnreachable = 1004,
    kEditRefused = 1005,       // refused before anything was sent; why in lastFailure()
};

class GnomeDisplays : public DisplayServices {
public:
    // `address` empty: the user's own session bus. `stateDirectory` holds
    // the record of originals; empty: no record (nothing is put back).
    explicit GnomeDisplays(std::string address = {}, std::filesystem::path stateDirectory = {});
    // Puts back what we changed.
    ~GnomeDisplays() override;

    // Reads mutter's state, puts back what a run that did not end cleanly
    // left, and starts watching; false, with the reason, when mutter is not
    // there.
    bool start(std::string& why);
    // What start() found and did about the record, for the log.
    const std::vector<std::string>& notes() const { return notes_; }
    // Puts mutter's configuration and the ramps back as they were before our
    // first change, and forgets them.
    void restoreOriginals();

    // What mutter's displays offer the core: a configuration and a ramp stay
    // after the process ends (the temporary method is not undone at exit),
    // and GNOME's colour manager may replace a ramp at any time. Virtual
    // displays are GnomeVirtualDisplays' to describe.
    void describe(Capabilities& capabilities) const;
    // The words behind the last failed status of the latest transaction.
    std::string lastFailure() const override;
    std::string connector(DisplayID id) const;
    DisplayID idOf(const std::string& connector) const;
    MutterState state() const;
    DisplayConfigClient& client() { return client_; }
    // Sends a whole configuration at once (the restore file's undo).
    Status applyConfig(const MonitorsConfig& config);

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
    Status configureEnabled(ConfigHandle handle, DisplayID id, bool enabled) override;
    // Marks the display's logical monitor primary.
    Status configureMain(ConfigHandle handle, DisplayID id) override;
    Status configureScale(ConfigHandle handle, DisplayID id, double scale);

    // Reads mutter's state now rather than at its next announcement.
    bool refreshNow();
    // A monitor we made (a virtual screen) reports the identity we gave it.
    struct Claim {
        std::uint32_t vendor = 0, model = 0, serial = 0;
    };
    void claim(const std::string& connector, Claim identity);
    void release(const std::string& connector);
    Status cancelConfiguration(ConfigHandle handle) override;
    Status completeConfiguration(ConfigHandle handle, ConfigureOption option) override;

    std::optional<GammaTable> readGamma(DisplayID id, std::size_t capacity) override;
    Status writeGamma(DisplayID id, const GammaTable& table) override;
    void restoreGamma() override;

private:
    using Edit = std::function<std::string(MonitorsConfig&, const MutterState&)>;

    bool reload(BusError& error);
    void monitorsChanged();
    void announce(const std::vector<DisplayID>& ids);
    Status stage(ConfigHandle handle, DisplayID id, Edit edit);
    Status fail(Status status, std::string why);
    Status send(const std::vector<Edit>& edits);
    const MutterMonitor* monitorOf(DisplayID id) const;  // with mutex_ held
    const Claim* claimOf(const MutterMonitor& monitor) const;  // with mutex_ held
    DisplayMode modeFor(const MutterMonitor& monitor, const MutterMode& mode) const;
    void reapplyGamma();
    void openJournal();
    bool recordLayout(const MutterState& state);
    bool recordGamma(const std::string& connector, const GammaRamps& ramps);
    void restoreRecorded(const nlohmann::json& originals);

    DisplayConfigClient client_;
    std::string address_;
    std::filesystem::path stateDirectory_;
    std::unique_ptr<MonitorsWatcher> watcher_;
    std::unique_ptr<OriginalsJournal> journal_;
    std::vector<std::string> notes_;

    mutable std::mutex mutex_;
    MutterState state_;
    std::map<DisplayID, std::string> connectors_;
    std::map<std::string, Claim> claims_;
    std::map<ConfigHandle, std::vector<Edit>> open_;
    ConfigHandle nextHandle_ = 1;
    std::string lastFailure_;

    std::mutex callbackMutex_;
    ReconfigurationCallback callback_;

    std::mutex gammaMutex_;
    std::map<std::string, GammaRamps> originalGamma_, ourGamma_;
};

// A display's id: stable for a monitor on a connector across runs.
DisplayID displayIdFor(const MonitorSpec& spec);
// The monitor's maker as EDID numbers it, from its three-letter code.
std::uint32_t vendorCode(const std::string& vendor);
// A UUID-shaped name for a monitor, from what identifies it.
std::string monitorUuid(const MonitorSpec& spec);

}  // namespace vp::gnome
