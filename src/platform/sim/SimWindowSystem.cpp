#include "platform/sim/SimWindowSystem.h"

#include <stdexcept>

namespace vp {

namespace {

constexpr double kMenuBarHeight = 24;

class SimWindow : public Window {
public:
    SimWindow(std::shared_ptr<SimWindowRecord> record, MainQueue& main) : r_(std::move(record)), main_(main) {}
    ~SimWindow() override { r_->visible = false; }

    Rect frame() const override { return r_->frame; }
    void setFrame(const Rect& frame) override { r_->frame = frame; }
    void setFrameOrigin(const Point& origin) override {
        r_->frame.x = origin.x;
        r_->frame.y = origin.y;
    }
    void setBackgroundColor(const RGBA& color) override { r_->background = color; }
    double alpha() const override { return r_->alpha; }
    void setAlpha(double alpha) override {
        r_->alpha = alpha;
        ++r_->alphaSets;
    }
    bool isVisible() const override { return r_->visible; }
    void orderFrontRegardless() override {
        if (!r_->closed) r_->visible = true;
    }
    void orderOut() override { r_->visible = false; }
    void close() override {
        r_->visible = false;
        r_->closed = true;
    }
    void setContentAspectRatio(const Size& ratio) override { r_->aspectRatio = ratio; }
    void setContentSize(const Size& size) override {
        r_->frame.width = size.width;
        r_->frame.height = size.height;
    }
    void setMultiplyFactor(double factor) override { r_->multiplyFactor = factor; }
    void setLevelContent(double value, const std::string& icon) override {
        r_->levelValue = value;
        r_->levelIcon = icon;
    }
    void setFrameContent(CapturedFrameRef frame) override {
        r_->lastFrame = std::move(frame);
        ++r_->framesShown;
    }
    void fadeOut(double seconds, std::function<void()> done) override {
        ++r_->fades;
        std::weak_ptr<SimWindowRecord> weak = r_;
        // Setting the alpha meanwhile interrupts the fade, as it does on screen.
        main_.postAfter(Seconds(seconds), [weak, sets = r_->alphaSets, done = std::move(done)] {
            if (auto r = weak.lock(); r && r->alphaSets == sets) r->alpha = 0;
            if (done) done();
        });
    }
    void setOnUserClose(std::function<void()> handler) override { r_->onUserClose = std::move(handler); }

private:
    std::shared_ptr<SimWindowRecord> r_;
    MainQueue& main_;
};

}  // namespace

SimWindowSystem::SimWindowSystem(SimDisplays& displays, MainQueue& main) : displays_(displays), main_(main) {}

void SimWindowSystem::load(const nlohmann::json& j) {
    if (!j.is_object()) throw std::runtime_error("\"windowSystem\" must be an object");
    extendedRangeCompositor = j.value("extendedRangeCompositor", false);
    if (!j.contains("extraScreens")) return;
    for (const auto& s : j["extraScreens"]) {
        ScreenInfo info;
        if (s.contains("number") && !s["number"].is_null()) info.number = s["number"].get<DisplayID>();
        info.localizedName = s.value("name", "");
        if (s.contains("frame")) {
            const auto& f = s["frame"];
            info.frame = {f.at(0).get<double>(), f.at(1).get<double>(), f.at(2).get<double>(), f.at(3).get<double>()};
            info.visibleFrame = info.frame;
        }
        extraScreens.push_back(info);
    }
}

ScreenInfo SimWindowSystem::screenFor(const SimDisplay& d, double mainHeight) const {
    ScreenInfo info;
    info.number = d.id;
    info.localizedName = d.name;
    info.frame = screenFrameOf(d.bounds, mainHeight);
    info.visibleFrame = info.frame;
    bool isMain = d.bounds.x == 0 && d.bounds.y == 0;
    if (isMain) info.visibleFrame.height -= kMenuBarHeight;
    info.maxPotentialEDR = d.edrHeadroom;
    info.colorSpaceName = colorSpaceName ? colorSpaceName(d) : "sRGB IEC61966-2.1";
    return info;
}

std::vector<ScreenInfo> SimWindowSystem::screens() {
    double mainHeight = 0;
    for (DisplayID id : displays_.onlineDisplays())
        if (displays_.isMain(id)) mainHeight = displays_.bounds(id).height;
    std::vector<ScreenInfo> list;
    // The main screen comes first, as the window system lists it.
    for (int pass = 0; pass < 2; ++pass)
        for (const auto& d : displays_.all()) {
            if (!d.online || !d.active || d.mirrorOf != 0) continue;
            if (displays_.isMain(d.id) != (pass == 0)) continue;
            list.push_back(screenFor(d, mainHeight));
        }
    list.insert(list.end(), extraScreens.begin(), extraScreens.end());
    return list;
}

std::optional<ScreenInfo> SimWindowSystem::mainScreen() {
    auto list = screens();
    for (const auto& s : list)
        if (s.number && displays_.isMain(*s.number)) return s;
    if (list.empty()) return std::nullopt;
    return list.front();
}

std::unique_ptr<Window> SimWindowSystem::createWindow(const WindowConfig& config) {
    auto record = std::make_shared<SimWindowRecord>();
    record->config = config;
    record->frame = config.contentRect;
    records_.push_back(record);
    return std::make_unique<SimWindow>(record, main_);
}

std::vector<std::shared_ptr<SimWindowRecord>> SimWindowSystem::openWindows(WindowRole role) const {
    std::vector<std::shared_ptr<SimWindowRecord>> out;
    for (const auto& r : records_)
        if (r->config.role == role && !r->closed) out.push_back(r);
    return out;
}

void SimWindowSystem::userClose(const std::shared_ptr<SimWindowRecord>& record) {
    record->visible = false;
    record->closed = true;
    if (record->onUserClose) record->onUserClose();
}

}  // namespace vp
