#include "platform/linux/x11/RandrEvents.h"

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <algorithm>

namespace vp::x11 {

RandrEvents::RandrEvents(const std::string& display, Callback changed, Callback lost)
    : changed_(std::move(changed)) {
    int screenNumber = 0;
    c_ = xcb_connect(display.empty() ? nullptr : display.c_str(), &screenNumber);
    if (xcb_connection_has_error(c_)) return;
    const xcb_query_extension_reply_t* randr = xcb_get_extension_data(c_, &xcb_randr_id);
    if (!randr || !randr->present) return;
    base_ = randr->first_event;
    auto it = xcb_setup_roots_iterator(xcb_get_setup(c_));
    for (int i = 0; i < screenNumber && it.rem; ++i) xcb_screen_next(&it);
    xcb_randr_select_input(c_, it.data->root,
                           XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE | XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE |
                               XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE | XCB_RANDR_NOTIFY_MASK_OUTPUT_PROPERTY);
    xcb_flush(c_);
    loop_ = std::make_unique<XcbEventLoop>(
        c_, [this](const xcb_generic_event_t& e) { take(e); }, std::move(lost), [this] { return due(); });
}

RandrEvents::~RandrEvents() {
    loop_.reset();
    if (c_) xcb_disconnect(c_);
}

void RandrEvents::take(const xcb_generic_event_t& event) {
    const std::uint8_t type = event.response_type & 0x7F;
    if (type != base_ + XCB_RANDR_SCREEN_CHANGE_NOTIFY && type != base_ + XCB_RANDR_NOTIFY) return;
    lastEvent_ = Clock::now();
    if (!inBurst_) burstStart_ = lastEvent_;
    inBurst_ = true;
}

std::optional<RandrEvents::Clock::time_point> RandrEvents::due() {
    if (!inBurst_) return std::nullopt;
    const auto end = std::min(lastEvent_ + kQuiet, burstStart_ + kLongest);
    if (Clock::now() < end) return end;
    inBurst_ = false;
    ++bursts_;
    if (changed_) changed_();
    return std::nullopt;
}

}  // namespace vp::x11
