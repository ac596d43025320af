#pragma once
// The windows a user could pick for picture in picture: the window manager's
// client list (_NET_CLIENT_LIST) with each window's title, owner process and
// application, or the root window's mapped children when no window manager
// keeps such a list.

#include "platform/Capture.h"

struct xcb_connection_t;

namespace vp::x11 {

std::vector<ShareableWindow> listWindows(xcb_connection_t* c, std::uint32_t root);

}  // namespace vp::x11
