#include "platform/linux/x11/X11CaptureStream.h"

#include "platform/linux/ScaledFrame.h"
#include "platform/linux/x11/PixelGrabber.h"

#include <xcb/composite.h>
#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <cstdlib>

namespace vp::x11 {

namespace {

const char* const kDomain = "X11";

struct Target {
    std::uint32_t drawable = 0;
    int x = 0, y = 0, width = 0, height = 0;
};

std::uint32_t rootOf(xcb_connection_t* c) { return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root; }

bool present(xcb_connection_t* c, xcb_extension_t* extension) {
    const xcb_query_extension_reply_t* reply = xcb_get_extension_data(c, extension);
    return reply && reply->present;
}

// The window's current contents: its composited pixmap when Composite keeps
// one (covered parts included), else the window itself (covered parts come
// out as whatever covers them). None when the window is gone.
std::optional<Target> windowTarget(xcb_connection_t* c, std::uint32_t window, bool composite, std::uint32_t& pixmap) {
    auto* geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
    if (!geometry) return std::nullopt;
    Target t{window, 0, 0, geometry->width, geometry->height};
    std::free(geometry);
    if (composite) {
        if (pixmap) xcb_free_pixmap(c, pixmap);
        pixmap = xcb_generate_id(c);
        xcb_generic_error_t* error = xcb_request_check(c, xcb_composite_name_window_pixmap_checked(c, window, pixmap));
        if (error) {
            std::free(error);
            pixmap = 0;
        } else {
            t.drawable = pixmap;
        }
    }
    return t;
}

}  // namespace

X11CaptureStream::X11CaptureStream(std::string display, CaptureFilter filter, StreamConfiguration config,
                                   std::optional<Rect> area)
    : display_(std::move(display)), filter_(std::move(filter)), config_(config), area_(area) {}

X11CaptureStream::~X11CaptureStream() { stop(); }

std::optional<CaptureError> X11CaptureStream::addOutput(SerialQueue& queue,
                                                        std::function<void(CapturedFrameRef)> onFrame) {
    queue_ = &queue;
    onFrame_ = std::move(onFrame);
    return std::nullopt;
}

void X11CaptureStream::setOnStopWithError(std::function<void(CaptureError)> handler) { onStop_ = std::move(handler); }

void X11CaptureStream::start(std::function<void(std::optional<CaptureError>)> completion) {
    if (!queue_ || thread_.joinable()) return completion(CaptureError{kDomain, 1, "the stream has no output"});
    if (!filter_.window && !area_) return completion(CaptureError{kDomain, 2, "the screen is not there"});
    xcb_connection_t* c = xcb_connect(display_.empty() ? nullptr : display_.c_str(), nullptr);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return completion(CaptureError{kDomain, 3, std::string("no X server at ") + display_});
    }
    if (filter_.window) {
        auto* geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, *filter_.window), nullptr);
        if (!geometry) {
            xcb_disconnect(c);
            return completion(CaptureError{kDomain, 4, "the window is gone"});
        }
        std::free(geometry);
    }
    stopping_ = false;
    thread_ = std::thread([this, c] {
        run(c);
        xcb_disconnect(c);
    });
    completion(std::nullopt);
}

void X11CaptureStream::stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

void X11CaptureStream::fail(const std::string& why) {
    if (onStop_) onStop_(CaptureError{kDomain, 5, why});
}

void X11CaptureStream::run(xcb_connection_t* c) {
    const bool composite = filter_.window && present(c, &xcb_composite_id);
    const bool damage = present(c, &xcb_damage_id);
    const std::uint32_t watched = filter_.window ? *filter_.window : rootOf(c);
    if (composite) xcb_composite_redirect_window(c, watched, XCB_COMPOSITE_REDIRECT_AUTOMATIC);
    std::uint32_t damageId = 0;
    std::uint8_t damageEvent = 0;
    if (damage) {
        xcb_damage_query_version_reply_t* v =
            xcb_damage_query_version_reply(c, xcb_damage_query_version(c, 1, 1), nullptr);
        std::free(v);
        damageId = xcb_generate_id(c);
        xcb_damage_create(c, damageId, watched, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
        damageEvent = xcb_get_extension_data(c, &xcb_damage_id)->first_event + XCB_DAMAGE_NOTIFY;
    }
    if (filter_.window) {
        // Damage says nothing when a window goes away or only moves.
        const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(c, watched, XCB_CW_EVENT_MASK, &mask);
    }
    xcb_flush(c);
    PixelGrabber grabber(c);
    std::uint32_t pixmap = 0;
    bool dirty = true;  // the first frame always goes out
    const auto interval = std::chrono::duration<double>(config_.minimumFrameInterval);
    for (;;) {
        bool destroyed = false;
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            const std::uint8_t type = event->response_type & 0x7F;
            if ((damage && type == damageEvent) || type == XCB_CONFIGURE_NOTIFY) dirty = true;
            destroyed = destroyed || type == XCB_DESTROY_NOTIFY;
            std::free(event);
        }
        if (destroyed) return fail("the window closed");
        if (xcb_connection_has_error(c)) return fail("the X server went away");
        if (dirty || !damage) {
            if (damage) xcb_damage_subtract(c, damageId, XCB_NONE, XCB_NONE);
            std::optional<Target> target =
                filter_.window ? windowTarget(c, *filter_.window, composite, pixmap)
                               : Target{rootOf(c), int(area_->x), int(area_->y), int(area_->width), int(area_->height)};
            if (!target) return fail("the window closed");
            auto pixels = grabber.grab(target->drawable, target->x, target->y, target->width, target->height);
            if (!pixels && filter_.window) return fail("the window closed");
            if (pixels) {
                const PixelView view{pixels->bgra.data(), pixels->width, pixels->height, std::size_t(pixels->width) * 4};
                auto frame = scaledFrame(view, std::move(pixels->storage), config_.width, config_.height);
                queue_->async([onFrame = onFrame_, frame] { onFrame(frame); });
            }
            dirty = false;
        }
        std::unique_lock lock(mutex_);
        if (wake_.wait_for(lock, interval, [this] { return stopping_; })) break;
    }
    if (pixmap) xcb_free_pixmap(c, pixmap);
    if (damageId) xcb_damage_destroy(c, damageId);
    if (composite) xcb_composite_unredirect_window(c, watched, XCB_COMPOSITE_REDIRECT_AUTOMATIC);
    xcb_flush(c);
}

}  // namespace vp::x11
