#include "platform/linux/x11/CompositorWatch.h"

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <cstdlib>

namespace vp::x11 {

CompositorWatch::CompositorWatch(const std::string& display, Changed changed) : changed_(std::move(changed)) {
    int screenNumber = 0;
    c_ = xcb_connect(display.empty() ? nullptr : display.c_str(), &screenNumber);
    if (xcb_connection_has_error(c_)) {
        problem_ = std::string("no X server at ") + (display.empty() ? std::string("$DISPLAY") : display);
        return;
    }
    const std::string name = std::string("_NET_WM_CM_S") + std::to_string(screenNumber);
    auto* atom = xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, std::uint16_t(name.size()), name.c_str()), nullptr);
    if (atom) selection_ = atom->atom;
    std::free(atom);
    present_ = ownerPresent();

    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(c_, &xcb_xfixes_id);
    auto* version = xfixes && xfixes->present
                        ? xcb_xfixes_query_version_reply(c_, xcb_xfixes_query_version(c_, 1, 0), nullptr)
                        : nullptr;
    if (!version) {
        problem_ = "the X server has no XFixes: a compositor starting or stopping is not noticed";
        return;
    }
    std::free(version);
    auto it = xcb_setup_roots_iterator(xcb_get_setup(c_));
    for (int i = 0; i < screenNumber && it.rem; ++i) xcb_screen_next(&it);
    xcb_xfixes_select_selection_input(c_, it.data->root, selection_,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    xcb_flush(c_);
    const std::uint8_t base = xfixes->first_event;
    loop_ = std::make_unique<XcbEventLoop>(c_, [this, base](const xcb_generic_event_t& e) {
        if ((e.response_type & 0x7F) == base + XCB_XFIXES_SELECTION_NOTIFY) update();
    });
    // A compositor that started between the first read and the selection
    // request sent no event.
    update();
}

CompositorWatch::~CompositorWatch() {
    loop_.reset();
    xcb_disconnect(c_);
}

bool CompositorWatch::ownerPresent() {
    if (!selection_) return false;
    auto* reply = xcb_get_selection_owner_reply(c_, xcb_get_selection_owner(c_, selection_), nullptr);
    bool owned = reply && reply->owner != XCB_NONE;
    std::free(reply);
    return owned;
}

void CompositorWatch::update() {
    bool now = ownerPresent();
    if (present_.exchange(now) != now && changed_) changed_(now);
}

}  // namespace vp::x11
