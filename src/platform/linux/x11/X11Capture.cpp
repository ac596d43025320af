#include "platform/linux/x11/X11Capture.h"

#include "platform/VirtualRuntime.h"
#include "platform/linux/x11/WindowList.h"
#include "platform/linux/x11/X11CaptureStream.h"

#include <xcb/composite.h>
#include <xcb/damage.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

namespace vp::x11 {

namespace {

bool present(xcb_connection_t* c, xcb_extension_t* extension) {
    const xcb_query_extension_reply_t* reply = xcb_get_extension_data(c, extension);
    return reply && reply->present;
}

// What the server lacks and what that costs the user.
std::string missingExtensions(xcb_connection_t* c) {
    std::string missing;
    auto add = [&](const std::string& what) { missing += (missing.empty() ? "" : "; ") + what; };
    if (!present(c, &xcb_shm_id)) add("no MIT-SHM: screens are copied through the X connection, more slowly");
    if (!present(c, &xcb_composite_id)) add("no Composite: a covered window shows what covers it");
    if (!present(c, &xcb_damage_id)) add("no Damage: every frame is copied even when nothing changed");
    return missing;
}

}  // namespace

X11Capture::X11Capture(std::string display, DisplayAreas areas) : display_(std::move(display)), areas_(std::move(areas)) {
    xcb_connection_t* c = xcb_connect(display_.empty() ? nullptr : display_.c_str(), nullptr);
    missing_ = xcb_connection_has_error(c) ? "no X server" : missingExtensions(c);
    xcb_disconnect(c);
}

void X11Capture::shareableContent(
    bool, bool, std::function<void(std::optional<ShareableContent>, std::optional<CaptureError>)> completion) {
    xcb_connection_t* c = xcb_connect(display_.empty() ? nullptr : display_.c_str(), nullptr);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return completion(std::nullopt, CaptureError{"X11", 3, std::string("no X server at ") + display_});
    }
    ShareableContent content;
    for (const auto& [id, area] : areas_()) content.displays.push_back({id, int(area.width), int(area.height)});
    content.windows = listWindows(c, xcb_setup_roots_iterator(xcb_get_setup(c)).data->root);
    xcb_disconnect(c);
    completion(std::move(content), std::nullopt);
}

std::unique_ptr<CaptureStream> X11Capture::makeStream(const CaptureFilter& filter, const StreamConfiguration& config) {
    std::optional<Rect> area;
    if (filter.display)
        for (const auto& [id, rect] : areas_())
            if (id == *filter.display) area = rect;
    return std::make_unique<X11CaptureStream>(display_, filter, config, area);
}

std::unique_ptr<SerialQueue> X11Capture::makeQueue(const std::string&) { return std::make_unique<ThreadSerialQueue>(); }

}  // namespace vp::x11
