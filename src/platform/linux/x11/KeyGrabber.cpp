#include "platform/linux/x11/KeyGrabber.h"

#include <xcb/xcb.h>

#include <cstdlib>

namespace vp::x11 {

namespace {

constexpr std::uint16_t kLocks[] = {0, modifier::lock, modifier::mod2, modifier::lock | modifier::mod2};

}  // namespace

KeyGrabber::KeyGrabber(const std::string& display, std::uint16_t combination, Handler handler)
    : combination_(combination), handler_(std::move(handler)) {
    int screenNumber = 0;
    c_ = xcb_connect(display.empty() ? nullptr : display.c_str(), &screenNumber);
    if (xcb_connection_has_error(c_)) {
        problem_ = std::string("no X server at ") + (display.empty() ? std::string("$DISPLAY") : display);
        return;
    }
    auto it = xcb_setup_roots_iterator(xcb_get_setup(c_));
    for (int i = 0; i < screenNumber && it.rem; ++i) xcb_screen_next(&it);
    root_ = it.data->root;
    loop_ = std::make_unique<XcbEventLoop>(c_, [this](const xcb_generic_event_t& e) { dispatch(e); });
}

KeyGrabber::~KeyGrabber() {
    if (!problem_.empty()) {
        xcb_disconnect(c_);
        return;
    }
    hold({});
    loop_.reset();
    xcb_disconnect(c_);
}

std::vector<std::uint16_t> KeyGrabber::modifierSets() const {
    std::vector<std::uint16_t> sets;
    for (std::uint16_t base : {std::uint16_t(0), combination_}) {
        for (std::uint16_t lock : kLocks) sets.push_back(base | lock);
        if (combination_ == 0) break;
    }
    return sets;
}

std::vector<std::uint8_t> KeyGrabber::keycodes(KeySym key) const {
    const xcb_setup_t* setup = xcb_get_setup(c_);
    const std::uint8_t first = setup->min_keycode;
    const int count = setup->max_keycode - first + 1;
    auto* reply = xcb_get_keyboard_mapping_reply(c_, xcb_get_keyboard_mapping(c_, first, std::uint8_t(count)), nullptr);
    std::vector<std::uint8_t> codes;
    if (!reply) return codes;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply);
    const int perCode = reply->keysyms_per_keycode;
    for (int code = 0; code < count; ++code)
        for (int column = 0; column < perCode; ++column)
            if (syms[code * perCode + column] == key) {
                codes.push_back(std::uint8_t(first + code));
                break;
            }
    std::free(reply);
    return codes;
}

std::string KeyGrabber::grab(KeySym key) {
    auto codes = keycodes(key);
    if (codes.empty()) return kMissing;
    std::vector<xcb_void_cookie_t> cookies;
    for (std::uint8_t code : codes)
        for (std::uint16_t mods : modifierSets())
            cookies.push_back(xcb_grab_key_checked(c_, 1, root_, mods, code, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    bool refused = false;
    for (auto cookie : cookies)
        if (xcb_generic_error_t* error = xcb_request_check(c_, cookie)) {
            refused = true;
            std::free(error);
        }
    if (refused) {
        // Half a grab would swallow the key under some locks only.
        for (std::uint8_t code : codes)
            for (std::uint16_t mods : modifierSets()) xcb_ungrab_key(c_, code, root_, mods);
        xcb_flush(c_);
        return kHeld;
    }
    std::lock_guard lock(mutex_);
    for (std::uint8_t code : codes) byKeycode_[code] = key;
    return {};
}

void KeyGrabber::release(KeySym key) {
    std::lock_guard lock(mutex_);
    for (auto it = byKeycode_.begin(); it != byKeycode_.end();) {
        if (it->second != key) {
            ++it;
            continue;
        }
        for (std::uint16_t mods : modifierSets()) xcb_ungrab_key(c_, it->first, root_, mods);
        it = byKeycode_.erase(it);
    }
}

std::map<KeySym, std::string> KeyGrabber::hold(const std::set<KeySym>& keys) {
    std::map<KeySym, std::string> result;
    if (!problem_.empty()) {
        for (KeySym key : keys) result[key] = problem_;
        return result;
    }
    for (KeySym key : held())
        if (!keys.count(key)) release(key);
    std::set<KeySym> now;
    for (KeySym key : keys) {
        bool already = held().count(key) > 0;
        std::string why = already ? std::string() : grab(key);
        if (why.empty()) now.insert(key);
        result[key] = why;
    }
    xcb_flush(c_);
    std::lock_guard lock(mutex_);
    held_ = now;
    return result;
}

std::set<KeySym> KeyGrabber::held() const {
    std::lock_guard lock(mutex_);
    return held_;
}

void KeyGrabber::dispatch(const xcb_generic_event_t& event) {
    const std::uint8_t type = event.response_type & 0x7F;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE) return;
    const auto& key = reinterpret_cast<const xcb_key_press_event_t&>(event);
    KeySym sym = 0;
    {
        std::lock_guard lock(mutex_);
        auto it = byKeycode_.find(key.detail);
        if (it == byKeycode_.end()) return;
        sym = it->second;
    }
    const std::uint16_t locks = modifier::lock | modifier::mod2;
    handler_(KeyPress{sym, type == XCB_KEY_PRESS, std::uint16_t(key.state & ~locks & 0xFF)});
}

}  // namespace vp::x11
