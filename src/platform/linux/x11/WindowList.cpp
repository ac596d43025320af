#include "platform/linux/x11/WindowList.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace vp::x11 {

namespace {

std::uint32_t atom(xcb_connection_t* c, const char* name) {
    auto* reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name), nullptr);
    std::uint32_t a = reply ? reply->atom : 0;
    std::free(reply);
    return a;
}

// A property's raw bytes; none when the window does not have it.
std::optional<std::string> property(xcb_connection_t* c, std::uint32_t window, std::uint32_t name, std::uint32_t type) {
    if (!name) return std::nullopt;
    auto* reply = xcb_get_property_reply(c, xcb_get_property(c, 0, window, name, type, 0, 1 << 16), nullptr);
    std::optional<std::string> bytes;
    if (reply && reply->type != XCB_NONE) {
        const char* data = static_cast<const char*>(xcb_get_property_value(reply));
        bytes = std::string(data, std::size_t(xcb_get_property_value_length(reply)) * (reply->format / 8));
    }
    std::free(reply);
    return bytes;
}

std::vector<std::uint32_t> clients(xcb_connection_t* c, std::uint32_t root) {
    std::vector<std::uint32_t> ids;
    if (auto list = property(c, root, atom(c, "_NET_CLIENT_LIST"), XCB_ATOM_WINDOW)) {
        ids.resize(list->size() / 4);
        std::memcpy(ids.data(), list->data(), ids.size() * 4);
        return ids;
    }
    auto* tree = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr);
    if (!tree) return ids;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
        auto* attributes = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, children[i]), nullptr);
        if (attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE &&
            attributes->_class == XCB_WINDOW_CLASS_INPUT_OUTPUT)
            ids.push_back(children[i]);
        std::free(attributes);
    }
    std::free(tree);
    return ids;
}

std::optional<Rect> frameOf(xcb_connection_t* c, std::uint32_t window, std::uint32_t root) {
    auto* geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
    if (!geometry) return std::nullopt;
    auto* at = xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, window, root, 0, 0), nullptr);
    std::optional<Rect> frame;
    if (at) frame = Rect{double(at->dst_x), double(at->dst_y), double(geometry->width), double(geometry->height)};
    std::free(at);
    std::free(geometry);
    return frame;
}

}  // namespace

std::vector<ShareableWindow> listWindows(xcb_connection_t* c, std::uint32_t root) {
    const std::uint32_t netName = atom(c, "_NET_WM_NAME"), utf8 = atom(c, "UTF8_STRING");
    const std::uint32_t netPid = atom(c, "_NET_WM_PID");
    std::vector<ShareableWindow> windows;
    for (std::uint32_t id : clients(c, root)) {
        auto frame = frameOf(c, id, root);
        if (!frame) continue;  // closed while we listed
        ShareableWindow w;
        w.windowID = id;
        w.frame = *frame;
        w.title = property(c, id, netName, utf8);
        if (!w.title) w.title = property(c, id, XCB_ATOM_WM_NAME, XCB_ATOM_STRING);
        if (auto pid = property(c, id, netPid, XCB_ATOM_CARDINAL); pid && pid->size() >= 4) {
            std::uint32_t value = 0;
            std::memcpy(&value, pid->data(), 4);
            w.ownerPID = value;
        }
        // WM_CLASS holds instance and class, each ending in a zero byte.
        if (auto cls = property(c, id, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING)) {
            auto split = cls->find('\0');
            if (split != std::string::npos) w.applicationName = cls->substr(split + 1, cls->find('\0', split + 1) - split - 1);
        }
        windows.push_back(std::move(w));
    }
    return windows;
}

}  // namespace vp::x11
