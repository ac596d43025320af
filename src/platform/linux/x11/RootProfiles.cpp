#include "platform/linux/x11/RootProfiles.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace vp::x11 {

namespace {

// Display profiles are a few kilobytes; a larger property is read up to this
// many bytes and then is not a whole profile, which the reader rejects.
constexpr std::uint32_t kMaxProfileBytes = 4 * 1024 * 1024;

template <typename T>
std::unique_ptr<T, decltype(&std::free)> own(T* reply) {
    return {reply, &std::free};
}

}  // namespace

RootProfiles::RootProfiles(const std::string& display) {
    int screenNumber = 0;
    c_ = xcb_connect(display.empty() ? nullptr : display.c_str(), &screenNumber);
    if (xcb_connection_has_error(c_)) return;
    auto it = xcb_setup_roots_iterator(xcb_get_setup(c_));
    for (int i = 0; i < screenNumber && it.rem; ++i) xcb_screen_next(&it);
    if (it.rem) root_ = it.data->root;
}

RootProfiles::~RootProfiles() {
    xcb_disconnect(c_);
}

std::string rootProfileName(int index) {
    return index == 0 ? std::string("_ICC_PROFILE") : "_ICC_PROFILE_" + std::to_string(index);
}

std::vector<std::uint8_t> RootProfiles::read(int index) {
    if (!root_ || xcb_connection_has_error(c_)) return {};
    const std::string name = rootProfileName(index);
    auto atom = own(xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 1, std::uint16_t(name.size()), name.c_str()), nullptr));
    if (!atom || atom->atom == XCB_ATOM_NONE) return {};
    auto reply = own(xcb_get_property_reply(
        c_, xcb_get_property(c_, 0, root_, atom->atom, XCB_GET_PROPERTY_TYPE_ANY, 0, kMaxProfileBytes / 4), nullptr));
    if (!reply || reply->format != 8) return {};
    const auto* data = static_cast<const std::uint8_t*>(xcb_get_property_value(reply.get()));
    return {data, data + xcb_get_property_value_length(reply.get())};
}

std::optional<int> xineramaIndex(const RandrScreen& screen, DisplayID display) {
    const RandrOutput* wanted = screen.outputForDisplay(display);
    if (!wanted || !wanted->crtc) return std::nullopt;
    const RandrOutput* primary = screen.output(screen.primary);
    const XId first = primary && primary->crtc && screen.crtc(primary->crtc) && screen.crtc(primary->crtc)->mode
                          ? primary->crtc
                          : 0;
    if (wanted->crtc == first) return 0;
    int index = first ? 1 : 0;
    for (const RandrCrtc& crtc : screen.crtcs) {
        if (!crtc.mode || crtc.id == first) continue;
        if (crtc.id == wanted->crtc) return index;
        ++index;
    }
    return std::nullopt;
}

}  // namespace vp::x11
