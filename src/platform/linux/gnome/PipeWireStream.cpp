#include "platform/linux/gnome/PipeWireStream.h"

#include "platform/linux/PipeWireInit.h"

#include <pipewire/pipewire.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>

#include <unistd.h>

namespace vp::gnome {

struct PipeWireStream::Impl {
    pw_thread_loop* loop = nullptr;
    pw_context* context = nullptr;
    pw_core* core = nullptr;
    pw_stream* stream = nullptr;
    spa_hook streamListener{};
    spa_hook coreListener{};
    spa_video_info_raw format{};
    FrameHandler frameHandler;
    EndHandler endHandler;
    std::atomic<std::uint64_t> frames{0};
    std::mutex mutex;
    std::condition_variable streamingChanged;
    bool streaming = false, ended = false;

    static void onStateChanged(void* self, pw_stream_state, pw_stream_state state, const char* error);
    static void onParamChanged(void* self, std::uint32_t id, const spa_pod* param);
    static void onProcess(void* self);
    static void onCoreError(void* self, std::uint32_t id, int seq, int res, const char* message);

    void end(const std::string& why) {
        {
            std::lock_guard lock(mutex);
            if (ended) return;
            ended = true;
            streaming = false;
        }
        streamingChanged.notify_all();
        if (endHandler) endHandler(why);
    }
};

namespace {

const pw_stream_events kStreamEvents = [] {
    pw_stream_events e{};
    e.version = PW_VERSION_STREAM_EVENTS;
    e.state_changed = &PipeWireStream::Impl::onStateChanged;
    e.param_changed = &PipeWireStream::Impl::onParamChanged;
    e.process = &PipeWireStream::Impl::onProcess;
    return e;
}();

const pw_core_events kCoreEvents = [] {
    pw_core_events e{};
    e.version = PW_VERSION_CORE_EVENTS;
    e.error = &PipeWireStream::Impl::onCoreError;
    return e;
}();

// The formats we take: 32-bit BGR (a frame is BGRA with its alpha made
// opaque), at the asked size or any size.
const spa_pod* formatParam(spa_pod_builder* b, const PipeWireOptions& o) {
    spa_rectangle size = SPA_RECTANGLE(o.width, o.height);
    spa_rectangle anySize = SPA_RECTANGLE(1920, 1080), smallest = SPA_RECTANGLE(1, 1),
                  largest = SPA_RECTANGLE(16384, 16384);
    spa_fraction rate = SPA_FRACTION(o.framesPerSecond, 1), none = SPA_FRACTION(0, 1);
    spa_pod_frame frame;
    spa_pod_builder_push_object(b, &frame, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat);
    spa_pod_builder_add(b, SPA_FORMAT_mediaType, SPA_POD_Id(SPA_MEDIA_TYPE_video), SPA_FORMAT_mediaSubtype,
                        SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), SPA_FORMAT_VIDEO_format,
                        SPA_POD_CHOICE_ENUM_Id(3, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRA),
                        0);
    if (o.width && o.height)
        spa_pod_builder_add(b, SPA_FORMAT_VIDEO_size, SPA_POD_Rectangle(&size), SPA_FORMAT_VIDEO_framerate,
                            SPA_POD_Fraction(&none), SPA_FORMAT_VIDEO_maxFramerate, SPA_POD_Fraction(&rate), 0);
    else
        spa_pod_builder_add(b, SPA_FORMAT_VIDEO_size, SPA_POD_CHOICE_RANGE_Rectangle(&anySize, &smallest, &largest),
                            SPA_FORMAT_VIDEO_framerate, SPA_POD_Fraction(&none), SPA_FORMAT_VIDEO_maxFramerate,
                            SPA_POD_CHOICE_RANGE_Fraction(&rate, &none, &rate), 0);
    return static_cast<const spa_pod*>(spa_pod_builder_pop(b, &frame));
}

}  // namespace

void PipeWireStream::Impl::onStateChanged(void* self, pw_stream_state, pw_stream_state state, const char* error) {
    auto* impl = static_cast<Impl*>(self);
    if (state == PW_STREAM_STATE_STREAMING) {
        {
            std::lock_guard lock(impl->mutex);
            impl->streaming = true;
        }
        impl->streamingChanged.notify_all();
    } else if (state == PW_STREAM_STATE_ERROR) {
        impl->end(error ? error : "the stream failed");
    } else if (state == PW_STREAM_STATE_UNCONNECTED) {
        impl->end("the stream was disconnected");
    }
}

void PipeWireStream::Impl::onParamChanged(void* self, std::uint32_t id, const spa_pod* param) {
    auto* impl = static_cast<Impl*>(self);
    if (id != SPA_PARAM_Format || !param) return;
    if (spa_format_video_raw_parse(param, &impl->format) < 0) return;
    std::uint8_t storage[256];
    spa_pod_builder b = SPA_POD_BUILDER_INIT(storage, sizeof storage);
    const spa_pod* buffers = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &b, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers, SPA_PARAM_BUFFERS_dataType,
        SPA_POD_CHOICE_FLAGS_Int((1 << SPA_DATA_MemPtr) | (1 << SPA_DATA_MemFd))));
    pw_stream_update_params(impl->stream, &buffers, 1);
}

void PipeWireStream::Impl::onProcess(void* self) {
    auto* impl = static_cast<Impl*>(self);
    pw_buffer* buffer = pw_stream_dequeue_buffer(impl->stream);
    if (!buffer) return;
    spa_buffer* b = buffer->buffer;
    if (b->n_datas > 0 && b->datas[0].data && b->datas[0].chunk && b->datas[0].chunk->size > 0) {
        impl->frames.fetch_add(1);
        if (impl->frameHandler) {
            const spa_data& d = b->datas[0];
            VideoFrame frame{impl->format.size.width, impl->format.size.height, std::uint32_t(d.chunk->stride),
                             static_cast<const std::uint8_t*>(d.data) + d.chunk->offset, d.chunk->size};
            impl->frameHandler(frame);
        }
    }
    pw_stream_queue_buffer(impl->stream, buffer);
}

void PipeWireStream::Impl::onCoreError(void* self, std::uint32_t id, int, int res, const char* message) {
    if (id == PW_ID_CORE && res == -EPIPE)
        static_cast<Impl*>(self)->end(std::string("PipeWire went away: ") + (message ? message : ""));
}

PipeWireStream::PipeWireStream() : impl_(std::make_unique<Impl>()) {}

PipeWireStream::~PipeWireStream() {
    stop();
}

void PipeWireStream::onFrame(FrameHandler handler) {
    impl_->frameHandler = std::move(handler);
}

void PipeWireStream::onEnd(EndHandler handler) {
    impl_->endHandler = std::move(handler);
}

std::uint64_t PipeWireStream::framesSeen() const {
    return impl_->frames.load();
}

bool PipeWireStream::start(const PipeWireOptions& options, std::string& why) {
    initialisePipeWire();
    Impl& s = *impl_;
    s.loop = pw_thread_loop_new("velvetpane-pipewire", nullptr);
    if (!s.loop) {
        why = "cannot make a PipeWire loop";
        if (options.remoteFd >= 0) ::close(options.remoteFd);
        return false;
    }
    s.context = pw_context_new(pw_thread_loop_get_loop(s.loop), nullptr, 0);
    if (pw_thread_loop_start(s.loop) < 0 || !s.context) {
        why = "cannot start PipeWire";
        if (options.remoteFd >= 0) ::close(options.remoteFd);
        return false;
    }
    pw_thread_loop_lock(s.loop);
    if (options.remoteFd >= 0) {
        s.core = pw_context_connect_fd(s.context, options.remoteFd, nullptr, 0);
    } else {
        pw_properties* props = nullptr;
        if (!options.runtimeDir.empty())
            props = pw_properties_new(PW_KEY_REMOTE_NAME, (options.runtimeDir + "/pipewire-0").c_str(), nullptr);
        s.core = pw_context_connect(s.context, props, 0);
    }
    bool ok = s.core != nullptr;
    if (!ok) why = "PipeWire is not running";
    if (ok) {
        pw_core_add_listener(s.core, &s.coreListener, &kCoreEvents, &s);
        s.stream = pw_stream_new(s.core, "velvetpane",
                                 pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY, "Capture",
                                                   PW_KEY_MEDIA_ROLE, "Screen", nullptr));
        ok = s.stream != nullptr;
        if (!ok) why = "cannot make a PipeWire stream";
    }
    if (ok) {
        pw_stream_add_listener(s.stream, &s.streamListener, &kStreamEvents, &s);
        std::uint8_t storage[1024];
        spa_pod_builder b = SPA_POD_BUILDER_INIT(storage, sizeof storage);
        const spa_pod* params[] = {formatParam(&b, options)};
        int r = pw_stream_connect(s.stream, PW_DIRECTION_INPUT, options.node,
                                  pw_stream_flags(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS), params, 1);
        ok = r >= 0;
        if (!ok) why = std::string("cannot connect to the PipeWire stream: ") + std::strerror(-r);
    }
    pw_thread_loop_unlock(s.loop);
    if (!ok) stop();
    return ok;
}

bool PipeWireStream::waitStreaming(std::chrono::milliseconds limit) {
    std::unique_lock lock(impl_->mutex);
    return impl_->streamingChanged.wait_for(lock, limit, [&] { return impl_->streaming || impl_->ended; }) &&
           impl_->streaming;
}

void PipeWireStream::stop() {
    Impl& s = *impl_;
    if (!s.loop) return;
    pw_thread_loop_lock(s.loop);
    if (s.stream) {
        spa_hook_remove(&s.streamListener);
        pw_stream_destroy(s.stream);
        s.stream = nullptr;
    }
    if (s.core) {
        spa_hook_remove(&s.coreListener);
        pw_core_disconnect(s.core);
        s.core = nullptr;
    }
    pw_thread_loop_unlock(s.loop);
    pw_thread_loop_stop(s.loop);
    if (s.context) pw_context_destroy(s.context);
    pw_thread_loop_destroy(s.loop);
    s.context = nullptr;
    s.loop = nullptr;
}

}  // namespace vp::gnome
