#pragma once
// The single observable object through which the program sees and changes
// screens. Every member is touched on the main queue only, except
// pendingDDC, which the DDC queue drains under pendingLock.

#include "display/DisplayState.h"
#include "display/ModeOption.h"
#include "display/Screen.h"
#include "display/ScreenPrefs.h"
#include "display/VirtualSpec.h"
#include "hardware/DDCPackets.h"
#include "platform/Platform.h"
#include "util/Signal.h"

#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace vp {

class DDCService;
class Gamma;
class Shade;
class VirtualEngine;
class XDR;
class PendingDDC;
class ProbeMemory;
struct DDCProbeOutcome;
struct RefusedWrite;
struct DisplayIdentity;
struct ICCProfile;

class DisplayManager {
public:
    DisplayManager(Platform& platform, Gamma& gamma, Shade& shade, XDR& xdr, VirtualEngine& virtualEngine);
    ~DisplayManager();
    DisplayManager(const DisplayManager&) = delete;
    DisplayManager& operator=(const DisplayManager&) = delete;

    // The darkest a gamma table may make a screen: below it some panels show
    // banding or go black while still lit, so the shade takes over there.
    static constexpr double gammaFloor = 0.06;

    // What the manager publishes; `onChange` callbacks run after an
    // operation altered any of it.
    const DisplayState& state() const { return state_; }
    [[nodiscard]] Signal::Connection onChange(Signal::Slot slot) { return changed_.connect(std::move(slot)); }

    // --- Screens and settings
    void start();
    void refresh();
    void scheduleRefresh();
    std::optional<Screen> screen(DisplayID id) const;
    ScreenPrefs prefsFor(const Screen& screen) const;
    // Assign and save at once; the operation that calls them publishes.
    void setPrefs(PrefsMap value);
    void setPrefs(const std::string& uuid, const ScreenPrefs& value);
    void setSpecs(std::vector<VirtualSpec> value);
    void setHiDPIMap(HiDPIMap value);
    bool combinedDimming() const;
    // Stores the setting and re-derives the brightness shown for screens
    // driven by hardware, so the next step starts from what they show.
    void setCombinedDimming(bool on);
    void setLastError(std::string message);
    void clearLastError();
    // Whether a picture in picture of the display is open, for its card.
    void setPiPOpen(DisplayID display, bool open);
    void shutdown();

    // --- Brightness
    void setBrightness(DisplayID display, double value);
    void setAllBrightness(double value);
    void stepAllBrightness(double step);
    double averageBrightness() const;
    void setForceSoftware(const Screen& screen, bool on);
    // Reads the screen's brightness afresh from its hardware (a start may
    // show remembered DDC/CI values, which the monitor's own buttons may
    // have changed since); publishes when the answer comes.
    void readBrightness(DisplayID display);

    // --- Colour
    void setWarmth(const Screen& screen, double value);
    void setContrast(const Screen& screen, double value);
    void resetColor(const Screen& screen);
    void reapplyGamma();

    // --- Monitor volume and input
    bool hasDDC(DisplayID display) const;
    void setVolume(DisplayID display, double value);
    void setInput(DisplayID display, int code);
    bool hasDDCVolume() const;
    double averageDDCVolume() const;
    void stepDDCVolume(double step);
    void toggleDDCMute();

    // --- Modes and arrangement
    std::vector<ModeOption> modes(DisplayID display);
    std::optional<std::string> currentModeID(DisplayID display);
    void apply(const ModeOption& mode, DisplayID display);
    Size nativePixels(DisplayID display);
    void makeMain(DisplayID display);
    void mirror(DisplayID display, std::optional<DisplayID> master);
    // Switching screens off, as the platform's capabilities allow.
    bool canDisable() const;
    void setEnabled(DisplayID display, bool enabled);

    // --- Virtual screens and virtual HiDPI
    void addVirtual(const VirtualSpec& spec);
    void toggleVirtual(const VirtualSpec& spec, bool on);
    void removeVirtual(const VirtualSpec& spec);
    bool canOfferHiDPI(const Screen& screen) const;
    bool hiDPIOn(const Screen& screen) const;
    void enableHiDPI(const Screen& screen);
    void disableHiDPI(const Screen& screen);
    std::optional<Screen> physicalForHiDPI(DisplayID virtualDisplay) const;
    // The virtual-screen description of a monitor's HiDPI screen: its name + " HiDPI", its native
    // pixel size at double density, its rate but at least 60 Hz; a new id.
    static VirtualSpec hiDPISpec(const Screen& monitor);

    // --- Extra brightness and colour profiles
    bool supportsXDR(const Screen& screen) const;
    void setXDR(const Screen& screen, double level);
    // The display's installed profiles, read once and kept until reloadProfiles().
    const std::vector<ICCProfile>& iccProfiles(DisplayID display);
    void reloadProfiles();
    void openProfilesFolder();
    void setColorProfile(const Screen& screen, const std::optional<std::string>& path);

private:
    void savePrefs();
    void saveSpecs();
    void saveHiDPI();
    void loadSettings();
    void publish();
    std::vector<DisplayID> onlineIdsWithDisabled();
    std::map<DisplayID, std::string> windowSystemNames();
    Screen makeScreen(DisplayID id, const std::map<DisplayID, std::string>& names);
    std::vector<Screen> listScreens();
    std::string virtualSpecName(DisplayID id) const;

    // brightness
    void detectBrightness();
    double softwareBrightness(const Screen& screen) const;
    void probeBuiltin(const Screen& screen);
    void backlightChangedOutside(DisplayID display);
    void applyBrightnessReading(DisplayID display, const std::shared_ptr<DDCService>& service,
                                const ddc::VCPReading& reading);
    void startDDCProbe(std::vector<DisplayIdentity> externals, std::set<DisplayID> forced);
    void applyDDCProbe(const DDCProbeOutcome& outcome);
    void ddcWriteRefused(const RefusedWrite& refused);
    void dropDDC(const std::set<DisplayID>& externals);
    void applyBrightness(DisplayID display, double value);
    void sendHardwareBrightness(const Screen& screen, double hardware);
    int scaled(DisplayID display, std::uint8_t code, double fraction) const;
    void queueDDC(const std::shared_ptr<DDCService>& service, std::uint8_t code, int value);
    std::vector<DisplayID> adjustableScreens() const;
    BrightnessMethod methodOf(DisplayID display) const;

    // colour
    void reapplyColor(const Screen& screen);
    double gammaDim(const Screen& screen) const;
    void updateShade(const Screen& screen);
    void capabilitiesChanged();

    // volume
    std::vector<DisplayID> volumeTargets() const;
    bool hasFeature(DisplayID display, std::uint8_t code) const;

    // modes
    std::vector<ModeOption> loadModes(DisplayID display);
    void rebuildModeCache();
    // One configuration transaction; true when the system completed it.
    bool configure(ConfigureOption option, const std::function<Status(ConfigHandle)>& steps);
    std::string refusal(Status status) const;

    // arrangement and switching off
    bool isOnlyStandaloneScreen(DisplayID display) const;
    bool isLastLitPhysicalScreen(DisplayID display) const;
    std::optional<std::string> mirrorRefusal(DisplayID display, DisplayID master) const;

    // virtual screens and virtual HiDPI
    void createEnabledVirtuals();
    void restoreHiDPIAtLaunch();
    void mirrorForThisProcess(DisplayID monitor, DisplayID master);
    void rememberArrangement();
    void restoreArrangement();
    void finishHiDPI(DisplayID virtualDisplay, std::int64_t nw, std::int64_t nh, bool makeVirtualMain);

    // extra brightness
    void reapplyXDR();

    // shutdown
    void switchOnDisabledScreens();
    void endMirrorsOntoOurVirtuals();

    DisplayState state_;
    Signal changed_;
    Platform& platform_;
    Gamma& gamma_;
    Shade& shade_;
    XDR& xdr_;
    VirtualEngine& virtualEngine_;
    Defaults& defaults_;
    LifeToken life_ = std::make_shared<int>(0);

    std::map<DisplayID, double> subDim;
    std::map<DisplayID, double> shadeAlpha;
    std::map<DisplayID, std::vector<ICCProfile>> profiles_;
    std::map<DisplayID, std::shared_ptr<DDCService>> ddc;
    std::map<DisplayID, std::map<std::uint8_t, int>> ddcMax;
    std::set<DisplayID> ddcScanned;
    // The writes waiting for the DDC queue (pendingDDC under pendingLock),
    // shared with the drain jobs.
    std::shared_ptr<PendingDDC> pendingDDC;
    // What earlier probes learned per monitor, kept in the defaults; shared
    // with the probe and write jobs on the DDC queue.
    std::shared_ptr<ProbeMemory> probeMemory_;
    WorkItemRef refreshWork;
    // The last name the window system gave each display. A display that
    // mirrors another has no screen of its own in the window system while it
    // mirrors; it keeps its monitor's name instead of falling back to "Screen".
    std::map<DisplayID, std::string> knownNames_;
    std::map<DisplayID, std::vector<ModeOption>> modeCache;
    // Where the physical screens stood, and which was main, before the first
    // virtual HiDPI pairing: put back when the last pairing ends or the
    // program quits, since pairing moves the screens around.
    struct Arrangement {
        DisplayID main = 0;
        std::map<DisplayID, std::pair<std::int32_t, std::int32_t>> origins;
    };
    std::optional<Arrangement> beforeHiDPI_;
};

}  // namespace vp
