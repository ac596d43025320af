#include "pip/PiPController.h"

#include "app/I18n.h"
#include "app/Log.h"
#include "display/DisplayManager.h"

#include <algorithm>

namespace vp {

namespace {

constexpr double kMaxCapturePoints = 1920;
constexpr const char* kQueueLabel = "velvetpane.pip";
const std::string kScreenRecordingHelp =
    "Permita o Velvetpane em Gravação de Tela e reabra o app. Se já aparecer ativado, remova-o com “–” e permita "
    "de novo.";

WindowConfig panelConfig(const std::string& name, double aspect) {
    WindowConfig config;
    config.role = WindowRole::pip;
    config.contentRect = {0, 0, PiPController::panelWidth, PiPController::panelWidth * aspect};
    config.styleMask = style::titled | style::closable | style::resizable | style::utility | style::nonactivatingPanel;
    config.level = level::floating;
    config.collectionBehavior = collection::canJoinAllSpaces | collection::fullScreenAuxiliary;
    config.sharingType = 0;  // the panel never shows up in any capture, its own included
    config.title = name + " \u2014 PiP";
    return config;
}

}  // namespace

std::string PiPController::Target::key() const {
    std::string key(1, kind == Kind::display ? 'd' : 'w');
    key += std::to_string(id);
    return key;
}

PiPController::CaptureSize PiPController::captureSize(double width, double height) {
    double scale = std::min(kMaxCapturePoints / std::max(width, 1.0), 1.0);
    return {static_cast<int>(width * scale * 2), static_cast<int>(height * scale * 2)};
}

PiPController::PiPController(PiPRegistry& registry, Target target)
    : registry_(registry),
      platform_(registry.platform()),
      target_(target),
      queue_(platform_.capture().makeQueue(kQueueLabel)) {}

PiPController::~PiPController() {
    if (stream_) stream_->stop();
}

void PiPController::start(const std::string& name) {
    double aspect = defaultAspect;
    if (target_.kind == Target::Kind::display) {
        Rect bounds = platform_.displays().bounds(target_.id);
        if (bounds.width > 0) aspect = bounds.height / bounds.width;
    }
    openPanel(name, aspect);

    std::weak_ptr<PiPController> weak = weak_from_this();
    WeakLife alive = registry_.life();
    Log& log = registry_.log();
    MainQueue& main = platform_.runtime().main;
    platform_.capture().shareableContent(
        false, false,
        [weak, alive, &log, &main](std::optional<ShareableContent> content, std::optional<CaptureError> error) {
            main.post([weak, alive, &log, content = std::move(content), error = std::move(error)] {
                if (!alive.lock()) return;
                if (error) log.write("PiP: " + error->description);
                if (auto self = weak.lock()) self->begin(content, error);
            });
        });
}

void PiPController::openPanel(const std::string& name, double aspect) {
    WindowSystem& windows = platform_.windows();
    window_ = windows.createWindow(panelConfig(name, aspect));
    window_->setContentAspectRatio({1, aspect});
    window_->setBackgroundColor({0, 0, 0, 1});
    std::weak_ptr<PiPController> weak = weak_from_this();
    window_->setOnUserClose([weak] {
        if (auto self = weak.lock()) self->teardown();
    });
    if (auto screen = windows.mainScreen()) {
        const Rect& visible = screen->visibleFrame;
        window_->setFrameOrigin({visible.maxX() - window_->frame().width - panelMargin, visible.minY() + panelMargin});
    }
    window_->orderFrontRegardless();
}

void PiPController::begin(const std::optional<ShareableContent>& content, const std::optional<CaptureError>& error) {
    auto it = registry_.active.find(target_.key());
    if (it == registry_.active.end() || it->second.get() != this) return;  // closed meanwhile
    if (!content) {
        registry_.reportFailure(error);
        close();
        return;
    }
    auto capture = target_.kind == Target::Kind::display ? displayCapture(*content) : windowCapture(*content);
    if (!capture) {
        close();
        return;
    }
    startStream(capture->first, capture->second);
}

std::optional<std::pair<CaptureFilter, PiPController::CaptureSize>> PiPController::displayCapture(
    const ShareableContent& content) const {
    auto display = std::find_if(content.displays.begin(), content.displays.end(),
                                [&](const ShareableDisplay& d) { return d.displayID == target_.id; });
    if (display == content.displays.end()) return std::nullopt;
    CaptureFilter filter;
    filter.display = display->displayID;
    std::int64_t ownPID = platform_.system().processID();
    for (const ShareableWindow& w : content.windows)
        if (w.ownerPID == ownPID) filter.excludedWindows.push_back(w.windowID);
    return std::pair(filter, captureSize(display->width, display->height));
}

std::optional<std::pair<CaptureFilter, PiPController::CaptureSize>> PiPController::windowCapture(
    const ShareableContent& content) {
    auto window = std::find_if(content.windows.begin(), content.windows.end(),
                               [&](const ShareableWindow& w) { return w.windowID == target_.id; });
    if (window == content.windows.end()) {
        registry_.manager().setLastError(L("Essa janela não está mais aberta."));
        return std::nullopt;
    }
    CaptureFilter filter;
    filter.window = window->windowID;
    const Rect& frame = window->frame;
    if (frame.width <= 0) return std::pair(filter, unknownWindowSize);
    double aspect = frame.height / frame.width;
    window_->setContentAspectRatio({1, aspect});
    window_->setContentSize({panelWidth, panelWidth * aspect});
    return std::pair(filter, captureSize(frame.width, frame.height));
}

void PiPController::startStream(const CaptureFilter& filter, CaptureSize size) {
    StreamConfiguration config;
    config.width = std::max(size.width, 2);
    config.height = std::max(size.height, 2);
    config.minimumFrameInterval = 1.0 / 30;
    config.showsCursor = true;
    config.queueDepth = 4;
    configuration_ = config;

    std::unique_ptr<CaptureStream> stream = platform_.capture().makeStream(filter, config);
    if (!stream || !queue_) {
        registry_.log().write("PiP: screen capture is not available");
        close();
        return;
    }
    std::weak_ptr<PiPController> weak = weak_from_this();
    MainQueue& main = platform_.runtime().main;
    stream->setOnStopWithError([weak, &main](const CaptureError&) {
        main.post([weak] {
            if (auto self = weak.lock()) self->close();
        });
    });
    // Runs on queue_: it only hands the frame over; the controller is
    // locked on the main queue alone, so it is never destroyed here.
    auto onFrame = [weak, &main](CapturedFrameRef frame) {
        if (!frame || frame->bgra.empty()) return;
        main.post([weak, frame = std::move(frame)] {
            if (auto self = weak.lock(); self && self->window_) self->window_->setFrameContent(frame);
        });
    };
    if (auto error = stream->addOutput(*queue_, onFrame)) {
        registry_.log().write("PiP: " + error->description);
        close();
        return;
    }
    stream_ = std::move(stream);
    WeakLife alive = registry_.life();
    Log& log = registry_.log();
    stream_->start([alive, &log, &main](std::optional<CaptureError> error) {
        if (!error) return;
        main.post([alive, &log, message = "PiP: " + error->description] {
            if (alive.lock()) log.write(message);
        });
    });
}

void PiPController::close() {
    if (window_) {
        window_->setOnUserClose(nullptr);
        window_->close();
    }
    teardown();
}

void PiPController::teardown() {
    auto self = shared_from_this();  // the registry entry may hold the last reference
    if (stream_) {
        stream_->stop();
        stream_.reset();
    }
    auto it = registry_.active.find(target_.key());
    if (it == registry_.active.end() || it->second != self) return;
    registry_.active.erase(it);
    if (target_.kind == Target::Kind::display) {
        registry_.manager().setPiPOpen(target_.id, false);
    }
}

PiPRegistry::PiPRegistry(Platform& platform, Log& log, DisplayManager& manager)
    : platform_(platform), log_(log), manager_(manager) {}

PiPRegistry::~PiPRegistry() = default;

void PiPRegistry::toggle(const PiPController::Target& target, const std::string& name) {
    if (auto it = active.find(target.key()); it != active.end()) {
        auto controller = it->second;
        controller->close();
        return;
    }
    auto controller = std::make_shared<PiPController>(*this, target);
    active[target.key()] = controller;
    if (target.kind == PiPController::Target::Kind::display) {
        manager_.setPiPOpen(target.id, true);
    }
    controller->start(name);
}

void PiPRegistry::listWindows(std::function<void(std::vector<PiPWindowItem>)> completion) {
    WeakLife alive = life_;
    MainQueue& main = platform_.runtime().main;
    std::int64_t ownPID = platform_.system().processID();
    platform_.capture().shareableContent(
        true, true,
        [this, alive, &main, ownPID, completion = std::move(completion)](std::optional<ShareableContent> content,
                                                                       std::optional<CaptureError> error) {
            if (error) {
                main.post([this, alive, error, completion] {
                    if (!alive.lock()) return;
                    log_.write("PiP lista: " + error->description);
                    reportFailure(error);
                    completion({});
                });
                return;
            }
            auto items = content ? listableWindows(content->windows, ownPID) : std::vector<PiPWindowItem>{};
            main.post([alive, completion, items = std::move(items)] {
                if (alive.lock()) completion(items);
            });
        });
}

void PiPRegistry::reportFailure(const std::optional<CaptureError>& error) {
    ScreenCapture& capture = platform_.capture();
    if (!capture.preflightAccess()) capture.requestAccess();
    std::string suffix;
    if (error) suffix = " (" + error->domain + " " + std::to_string(error->code) + ")";
    manager_.setLastError(L(kScreenRecordingHelp) + suffix);
}

}  // namespace vp
