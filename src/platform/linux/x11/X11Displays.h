#pragma once
// Displays of an X11 screen through RandR: connected outputs become
// displays with ids that survive restarts (see assignDisplayIds), the
// primary output is the main display, transactions are applied as one
// batch under a server grab, gamma goes per CRTC.
//
// X keeps every change after the process ends. Before this back-end first
// changes a display it records the display's true original (layout, gamma)
// in an OriginalsJournal; changes made for this run only are undone from it
// at a clean end, and a start that finds a record left by a killed run puts
// those originals back before anything else.

#include "platform/Capabilities.h"
#include "platform/Displays.h"
#include "platform/WindowSystem.h"
#include "platform/linux/restore/OriginalsJournal.h"
#include "platform/linux/x11/GammaWriter.h"
#include "platform/linux/x11/RandrClient.h"
#include "platform/linux/x11/RandrEvents.h"

#include <atomic>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>

namespace vp::x11 {

// Statuses in the system's numbering, as the core reports them.
constexpr Status kStatusFailure = 1000;         // the X server went away
constexpr Status kStatusIllegalArgument = 1001; // unknown display, mode or transaction
constexpr Status kStatusCannotComplete = 1004;  // the server or the plan refused

class X11Displays : public DisplayServices {
public:
    // Connects to `display` ($DISPLAY when empty) and keeps the record of
    // originals in `stateDirectory`.
    X11Displays(const std::string& display, const std::filesystem::path& stateDirectory);
    // Undoes what was changed for this run only and clears the record.
    ~X11Displays() override;

    bool ok() const { return client_.ok() && !serverLost_; }
    std::string problem() const;
    // What the start did or found (leftover originals put back, a record
    // from elsewhere dropped, another instance owning the record).
    const std::vector<std::string>& notes() const { return notes_; }
    // Called once, on the watcher's thread, when the X server goes away.
    void onServerLost(std::function<void()> lost);
    std::string lastFailure() const override { return lastError_; }
    // What X offers the core: configuration and gamma stay after the
    // process ends, screens switch off, and there are no virtual displays
    // (nor HiDPI, which the core builds on them).
    void describe(Capabilities& capabilities) const;

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
    // Sets the RandR primary output; the other outputs keep their places.
    Status configureMain(ConfigHandle handle, DisplayID id) override;
    Status configureEnabled(ConfigHandle handle, DisplayID id, bool enabled) override;
    Status cancelConfiguration(ConfigHandle handle) override;
    Status completeConfiguration(ConfigHandle handle, ConfigureOption option) override;
    std::optional<GammaTable> readGamma(DisplayID id, std::size_t capacity) override;
    Status writeGamma(DisplayID id, const GammaTable& table) override;
    void restoreGamma() override;

    // The screens as the window system lists them: main first, frames with
    // the origin at the main screen's bottom left, y upwards, names from
    // the EDID.
    std::vector<ScreenInfo> screens();
    // The display's name from its EDID, else its connector.
    std::string name(DisplayID id);
    std::string connector(DisplayID id);
    // The EDID block as the output gives it; empty without one.
    std::vector<std::uint8_t> edid(DisplayID id);
    // Puts back every original still recorded and clears the record.
    void restoreOriginals();
    // Waits until written gamma has reached the server.
    bool flushGamma() { return gamma_.flush(); }
    std::size_t gammaRampsSent() const { return gamma_.sent(); }
    const RandrScreen& screen();

private:
    struct Transaction {
        std::map<XId, OutputTarget> targets;
        XId primary = 0;
        std::set<XId> touched;
    };
    void refresh();
    std::pair<int, int> mainOrigin();
    const RandrScreen& current();
    const RandrOutput* output(DisplayID id);
    Transaction* transaction(ConfigHandle handle);
    void moveWithMirrors(Transaction& t, XId output, OutputTarget target);
    int rightEdge(const Transaction& t, XId except);
    bool recordLayoutOriginals(const Transaction& t);
    bool recordGammaOriginal(const RandrOutput& output, const RandrCrtc& crtc);
    std::string applyTargets(std::map<XId, OutputTarget> targets, XId primary);
    void restoreLayouts(const nlohmann::json& displays);
    void restoreGammas(const nlohmann::json& displays);
    void restoreLeftovers();
    Status fail(Status status, std::string why);

    std::recursive_mutex mutex_;
    RandrClient client_;
    GammaWriter gamma_;
    OriginalsJournal journal_;
    std::optional<RandrScreen> screen_;
    std::atomic<bool> stale_{true};
    std::atomic<bool> serverLost_{false};
    // The next read probes the connectors: at start and after the server
    // announced a change (a monitor may have come or gone).
    std::atomic<bool> probe_{true};
    std::map<ConfigHandle, Transaction> open_;
    ConfigHandle nextHandle_ = 1;
    // Where a switched-off output was, to switch it on there again.
    std::map<XId, OutputTarget> switchedOff_;
    // Which display each mirror was asked to show, to tell mirror from
    // master among outputs at the same place.
    std::map<XId, XId> mirrorOf_;
    std::mutex callbackMutex_;
    ReconfigurationCallback callback_;
    std::function<void()> lost_;
    std::vector<std::string> notes_;
    std::string lastError_;
    std::unique_ptr<RandrEvents> events_;
};

// Gamma conversions between the core's tables and a CRTC's ramp of its own
// size: linear interpolation either way. A ramp of zeros (what a server
// without real gamma reports before anyone set it) reads as identity.
GammaTable tableFromRamp(const GammaRamp& ramp, std::size_t capacity);
GammaRamp rampFromTable(const GammaTable& table, std::size_t size);
GammaRamp identityRamp(std::size_t size);

}  // namespace vp::x11
