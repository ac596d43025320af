#include "platform/sim/SimCapture.h"

#include <stdexcept>

namespace vp {

namespace {

// A queue drained by the simulation; the controller owns the proxy, the
// simulation holds the queue weakly.
class SimFrameQueue : public SerialQueue {
public:
    explicit SimFrameQueue(std::shared_ptr<ManualSerialQueue> queue) : queue_(std::move(queue)) {}
    void async(Task task) override { queue_->async(std::move(task)); }

private:
    std::shared_ptr<ManualSerialQueue> queue_;
};

class SimStream : public CaptureStream {
public:
    SimStream(std::shared_ptr<SimStreamRecord> record, SimCapture& capture, std::function<void(Task)> deliver)
        : r_(std::move(record)), capture_(capture), deliver_(std::move(deliver)) {}
    ~SimStream() override {
        r_->running = false;
        r_->released = true;
    }

    std::optional<CaptureError> addOutput(SerialQueue& queue, std::function<void(CapturedFrameRef)> onFrame) override {
        if (capture_.addOutputError) return capture_.addOutputError;
        r_->queue = &queue;
        r_->onFrame = std::move(onFrame);
        r_->outputAdded = true;
        return std::nullopt;
    }

    void start(std::function<void(std::optional<CaptureError>)> completion) override {
        std::optional<CaptureError> error = capture_.startError;
        if (!error) {
            r_->running = true;
            capture_.emitFrame(*r_);
        }
        deliver_([completion = std::move(completion), error] { completion(error); });
    }

    void stop() override {
        r_->running = false;
        r_->stopped = true;
    }

    void setOnStopWithError(std::function<void(CaptureError)> handler) override { r_->onStop = std::move(handler); }

private:
    std::shared_ptr<SimStreamRecord> r_;
    SimCapture& capture_;
    std::function<void(Task)> deliver_;
};

CaptureError errorFromJson(const nlohmann::json& j) {
    return {j.value("domain", std::string("SimCaptureErrorDomain")), j.value("code", std::int64_t(-1)),
            j.value("description", std::string("The capture failed"))};
}

std::optional<CaptureError> optionalError(const nlohmann::json& j, const char* key) {
    if (!j.contains(key) || j[key].is_null()) return std::nullopt;
    if (!j[key].is_object()) throw std::runtime_error(std::string("\"capture.") + key + "\" must be an object");
    return errorFromJson(j[key]);
}

SimCaptureWindow windowFromJson(const nlohmann::json& j) {
    if (!j.is_object() || !j.contains("id")) throw std::runtime_error("each \"capture.windows\" entry needs an \"id\"");
    SimCaptureWindow w;
    w.window.windowID = j["id"].get<WindowID>();
    w.window.applicationName = j.value("app", std::string());
    if (j.contains("title") && !j["title"].is_null()) w.window.title = j["title"].get<std::string>();
    w.window.windowLayer = j.value("layer", 0);
    if (j.contains("frame")) {
        const auto& f = j["frame"];
        if (!f.is_array() || f.size() != 4) throw std::runtime_error("\"capture.windows[].frame\" must be [x, y, w, h]");
        w.window.frame = {f[0].get<double>(), f[1].get<double>(), f[2].get<double>(), f[3].get<double>()};
    }
    w.own = j.value("own", false);
    if (j.contains("pid") && !j["pid"].is_null()) w.window.ownerPID = j["pid"].get<std::int64_t>();
    return w;
}

// A frame that shows which stream it came from: bands of grey tinted by the
// captured display or window id, one band per 16 rows.
std::shared_ptr<const std::vector<std::uint8_t>> syntheticPixels(const SimStreamRecord& r) {
    std::size_t width = std::size_t(r.config.width), height = std::size_t(r.config.height);
    std::uint32_t seed = r.filter.display ? *r.filter.display : r.filter.window.value_or(0);
    auto pixels = std::make_shared<std::vector<std::uint8_t>>(width * height * 4);
    std::size_t rowBytes = width * 4;
    for (std::size_t y = 0; y < height; ++y) {
        std::uint8_t* row = pixels->data() + y * rowBytes;
        if (y % 16 != 0) {
            std::copy(row - rowBytes, row, row);
            continue;
        }
        auto shade = static_cast<std::uint8_t>(255 * y / std::max<std::size_t>(height - 1, 1));
        const std::uint8_t bgra[4] = {static_cast<std::uint8_t>(shade ^ (seed * 53)), shade,
                                      static_cast<std::uint8_t>(seed * 97), 255};
        for (std::size_t x = 0; x < width; ++x) std::copy(bgra, bgra + 4, row + x * 4);
    }
    return pixels;
}

}  // namespace

SimCapture::SimCapture(SimDisplays& displays, SystemServices& system) : displays_(displays), system_(system) {}

SimCapture::~SimCapture() {
    service_.reset();  // lets answers still in flight finish
}

void SimCapture::load(const nlohmann::json& j) {
    if (!j.is_object()) throw std::runtime_error("\"capture\" must be an object");
    screenRecordingAllowed = j.value("screenRecording", true);
    grantOnRequest = j.value("grantOnRequest", false);
    contentError = optionalError(j, "contentError");
    addOutputError = optionalError(j, "addOutputError");
    startError = optionalError(j, "startError");
    windows.clear();
    if (j.contains("windows")) {
        if (!j["windows"].is_array()) throw std::runtime_error("\"capture.windows\" must be an array");
        for (const auto& w : j["windows"]) windows.push_back(windowFromJson(w));
    }
}

CaptureError SimCapture::permissionError() {
    return {"SimCaptureErrorDomain", -3801, "The user declined screen recording"};
}

void SimCapture::deliver(Task task) {
    if (!threaded) {
        task();
        return;
    }
    if (!service_) service_ = std::make_unique<ThreadSerialQueue>();
    service_->async(std::move(task));
}

ShareableContent SimCapture::content() const {
    ShareableContent content;
    for (const SimDisplay& d : displays_.all())
        if (d.online && d.active)
            content.displays.push_back({d.id, static_cast<int>(d.bounds.width), static_cast<int>(d.bounds.height)});
    std::int64_t ownPID = system_.processID();
    for (const SimCaptureWindow& w : windows) {
        ShareableWindow window = w.window;
        if (w.own) window.ownerPID = ownPID;
        content.windows.push_back(window);
    }
    return content;
}

void SimCapture::answer(Completion completion) {
    if (!screenRecordingAllowed) {
        deliver([completion = std::move(completion)] { completion(std::nullopt, permissionError()); });
        return;
    }
    if (contentError) {
        deliver([completion = std::move(completion), error = *contentError] { completion(std::nullopt, error); });
        return;
    }
    deliver([completion = std::move(completion), content = content()] { completion(content, std::nullopt); });
}

void SimCapture::shareableContent(bool, bool, Completion completion) {
    if (holdContent) {
        held_.push_back(std::move(completion));
        return;
    }
    answer(std::move(completion));
}

void SimCapture::releaseContent() {
    holdContent = false;
    auto held = std::move(held_);
    held_.clear();
    for (auto& completion : held) answer(std::move(completion));
}

std::unique_ptr<CaptureStream> SimCapture::makeStream(const CaptureFilter& filter, const StreamConfiguration& config) {
    auto record = std::make_shared<SimStreamRecord>();
    record->filter = filter;
    record->config = config;
    streams_.push_back(record);
    return std::make_unique<SimStream>(record, *this, [this](Task task) { deliver(std::move(task)); });
}

std::unique_ptr<SerialQueue> SimCapture::makeQueue(const std::string&) {
    if (threaded) return std::make_unique<ThreadSerialQueue>();
    auto queue = std::make_shared<ManualSerialQueue>();
    manualQueues_.push_back(queue);
    return std::make_unique<SimFrameQueue>(queue);
}

void SimCapture::requestAccess() {
    ++accessRequests;
    if (grantOnRequest) screenRecordingAllowed = true;
}

void SimCapture::closeWindow(WindowID id) {
    std::erase_if(windows, [id](const SimCaptureWindow& w) { return w.window.windowID == id; });
}

std::vector<std::shared_ptr<SimStreamRecord>> SimCapture::runningStreams() const {
    std::vector<std::shared_ptr<SimStreamRecord>> out;
    for (const auto& s : streams_)
        if (s->running && !s->released) out.push_back(s);
    return out;
}

void SimCapture::emitFrame(SimStreamRecord& stream) {
    if (!stream.queue || !stream.onFrame) return;
    if (!stream.pixels) stream.pixels = syntheticPixels(stream);
    auto frame = std::make_shared<CapturedFrame>(CapturedFrame{stream.config.width, stream.config.height, *stream.pixels, stream.pixels});
    ++stream.framesSent;
    stream.queue->async([onFrame = stream.onFrame, frame = CapturedFrameRef(frame)] { onFrame(frame); });
}

void SimCapture::emitFrames() {
    for (const auto& s : runningStreams()) emitFrame(*s);
}

void SimCapture::failStreams(const CaptureError& error) {
    for (const auto& s : runningStreams()) {
        s->running = false;
        if (s->onStop) deliver([onStop = s->onStop, error] { onStop(error); });
    }
}

std::size_t SimCapture::drainQueues() {
    std::size_t ran = 0;
    for (const auto& weak : manualQueues_)
        if (auto queue = weak.lock()) ran += queue->drain();
    std::erase_if(manualQueues_, [](const auto& weak) { return weak.expired(); });
    return ran;
}

std::size_t SimCapture::pendingFrames() const {
    std::size_t n = 0;
    for (const auto& weak : manualQueues_)
        if (auto queue = weak.lock()) n += queue->pending();
    return n;
}

}  // namespace vp
