#include "platform/linux/Unavailable.h"

#include "platform/VirtualRuntime.h"

namespace vp {

namespace {

class PlainWindow : public Window {
public:
    PlainWindow(Rect frame, MainQueue& main) : frame_(frame), main_(main) {}
    Rect frame() const override { return frame_; }
    void setFrame(const Rect& frame) override { frame_ = frame; }
    void setFrameOrigin(const Point& origin) override {
        frame_.x = origin.x;
        frame_.y = origin.y;
    }
    void setBackgroundColor(const RGBA&) override {}
    double alpha() const override { return alpha_; }
    void setAlpha(double alpha) override { alpha_ = alpha; }
    bool isVisible() const override { return visible_; }
    void orderFrontRegardless() override { visible_ = true; }
    void orderOut() override { visible_ = false; }
    void close() override { visible_ = false; }
    void setContentAspectRatio(const Size&) override {}
    void setContentSize(const Size& size) override {
        frame_.width = size.width;
        frame_.height = size.height;
    }
    void setMultiplyFactor(double) override {}
    void setLevelContent(double, const std::string&) override {}
    void setFrameContent(CapturedFrameRef) override {}
    // Nothing is drawn, so there is nothing to fade: done at once.
    void fadeOut(double, std::function<void()> done) override {
        alpha_ = 0;
        if (done) main_.post(std::move(done));
    }
    void setOnUserClose(std::function<void()>) override {}

private:
    Rect frame_;
    MainQueue& main_;
    double alpha_ = 1;
    bool visible_ = false;
};

}  // namespace

std::unique_ptr<SerialQueue> NoCapture::makeQueue(const std::string&) { return std::make_unique<ThreadSerialQueue>(); }

std::vector<ScreenInfo> PlainWindows::screens() {
    const std::vector<DisplayID> online = displays_.onlineDisplays();
    double mainHeight = 0;
    for (DisplayID id : online)
        if (displays_.isMain(id)) mainHeight = displays_.bounds(id).height;
    std::vector<ScreenInfo> list;
    for (DisplayID id : online) {
        ScreenInfo s;
        s.number = id;
        s.localizedName = names_ ? names_(id) : std::string();
        s.frame = s.visibleFrame = screenFrameOf(displays_.bounds(id), mainHeight);
        list.push_back(s);
    }
    return list;
}

std::optional<ScreenInfo> PlainWindows::mainScreen() {
    for (const ScreenInfo& s : screens())
        if (s.number && displays_.isMain(*s.number)) return s;
    return std::nullopt;
}

std::unique_ptr<Window> PlainWindows::createWindow(const WindowConfig& config) {
    return std::make_unique<PlainWindow>(config.contentRect, main_);
}

}  // namespace vp
