#include "platform/linux/gnome/GnomeVirtualDisplays.h"

#include "platform/UserText.h"
#include "platform/linux/gnome/PipeWireStream.h"
#include "platform/linux/gnome/ScreenCastSession.h"

#include <set>
#include <thread>

namespace vp::gnome {

namespace {

using namespace std::chrono_literals;
constexpr auto kStreamLimit = 10s;
constexpr auto kMonitorLimit = 5s;
constexpr auto kMonitorPoll = 20ms;
constexpr std::uint32_t kDefaultRate = 60;

class GnomeVirtualDisplay : public VirtualDisplay {
public:
    GnomeVirtualDisplay(GnomeDisplays& displays, std::string address, std::string runtimeDir,
                        VirtualDisplayDescriptor descriptor)
        : displays_(displays), address_(std::move(address)), runtimeDir_(std::move(runtimeDir)),
          descriptor_(std::move(descriptor)) {}

    ~GnomeVirtualDisplay() override { end(); }

    DisplayID displayID() const override { return id_; }

    bool applySettings(const VirtualDisplaySettings& settings) override {
        if (settings.modes.empty()) return false;
        const VirtualDisplayMode& mode = settings.modes.front();
        auto rate = std::uint32_t(mode.refreshRate > 0 ? mode.refreshRate + 0.5 : kDefaultRate);
        if (id_ != 0 && mode.width == width_ && mode.height == height_ && rate == rate_) return true;
        end();
        if (!begin(mode.width, mode.height, rate)) {
            end();
            return false;
        }
        if (settings.hiDPI) doubleScale();
        return true;
    }

private:
    bool begin(std::uint32_t width, std::uint32_t height, std::uint32_t rate) {
        std::set<std::string> before;
        for (const auto& m : displays_.client().currentState(error_).value_or(MutterState{}).monitors)
            before.insert(m.spec.connector);
        session_ = ScreenCastSession::open(address_, error_);
        auto node = session_ ? session_->recordVirtual(error_) : std::nullopt;
        if (!node) return false;
        stream_ = std::make_unique<PipeWireStream>();
        std::string why;
        if (!stream_->start({*node, width, height, rate, runtimeDir_, -1}, why) ||
            !stream_->waitStreaming(kStreamLimit))
            return false;
        auto connector = newMonitor(before);
        if (!connector) return false;
        connector_ = *connector;
        displays_.claim(connector_, {descriptor_.vendorID, descriptor_.productID, descriptor_.serialNum});
        displays_.refreshNow();
        id_ = displays_.idOf(connector_);
        width_ = width;
        height_ = height;
        rate_ = rate;
        return id_ != 0;
    }

    std::optional<std::string> newMonitor(const std::set<std::string>& before) {
        auto deadline = std::chrono::steady_clock::now() + kMonitorLimit;
        while (std::chrono::steady_clock::now() < deadline) {
            if (auto state = displays_.client().currentState(error_))
                for (const auto& m : state->monitors)
                    if (!before.contains(m.spec.connector) && state->logicalFor(m.spec.connector))
                        return m.spec.connector;
            std::this_thread::sleep_for(kMonitorPoll);
        }
        return std::nullopt;
    }

    // A HiDPI virtual screen shows its pixels at twice the density.
    void doubleScale() {
        ConfigHandle handle = 0;
        displays_.beginConfiguration(handle);
        if (displays_.configureScale(handle, id_, 2.0) == 0)
            displays_.completeConfiguration(handle, ConfigureOption::forAppOnly);
        else
            displays_.cancelConfiguration(handle);
    }

    void end() {
        if (stream_) stream_->stop();
        stream_.reset();
        session_.reset();
        if (!connector_.empty()) displays_.release(connector_);
        connector_.clear();
        id_ = 0;
    }

    GnomeDisplays& displays_;
    std::string address_, runtimeDir_;
    VirtualDisplayDescriptor descriptor_;
    std::unique_ptr<ScreenCastSession> session_;
    std::unique_ptr<PipeWireStream> stream_;
    std::string connector_;
    DisplayID id_ = 0;
    std::uint32_t width_ = 0, height_ = 0, rate_ = 0;
    BusError error_;
};

}  // namespace

GnomeVirtualDisplays::GnomeVirtualDisplays(GnomeDisplays& displays, std::string address, std::string pipewireRuntimeDir)
    : displays_(displays), address_(std::move(address)), pipewireRuntimeDir_(std::move(pipewireRuntimeDir)) {}

bool GnomeVirtualDisplays::isAvailable() {
    BusError error;
    BusPtr bus = openSessionBus(address_, error);
    return bus && nameHasOwner(bus.get(), "org.gnome.Mutter.ScreenCast");
}

void GnomeVirtualDisplays::describe(Capabilities& capabilities) {
    capabilities.virtualDisplays =
        isAvailable() ? Ability::yes() : Ability::no(R("mutter offers no screen casting in this session"));
}

std::unique_ptr<VirtualDisplay> GnomeVirtualDisplays::create(const VirtualDisplayDescriptor& descriptor) {
    if (!isAvailable()) return nullptr;
    return std::make_unique<GnomeVirtualDisplay>(displays_, address_, pipewireRuntimeDir_, descriptor);
}

}  // namespace vp::gnome
