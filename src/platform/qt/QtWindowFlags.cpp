#include "platform/qt/QtWindowFlags.h"

#include <cmath>

namespace vp {

QtWindowTraits qtWindowTraits(const WindowConfig& c) {
    QtWindowTraits t;
    Qt::WindowFlags f = Qt::Window;
    if (c.styleMask & style::titled) {
        f |= Qt::WindowTitleHint | Qt::CustomizeWindowHint;
        if (c.styleMask & style::closable) f |= Qt::WindowCloseButtonHint;
    } else {
        // The core's borderless windows (shade, overlay, HUD) are never
        // application windows: no frame and no task-bar entry.
        f |= Qt::FramelessWindowHint | Qt::Tool;
    }
    if (c.styleMask & style::utility) f |= Qt::Tool;
    if (c.styleMask & style::nonactivatingPanel) {
        f |= Qt::WindowDoesNotAcceptFocus;
        t.showWithoutActivating = true;
    }
    if (c.level >= level::overlay) {
        // Above panels and docks, on every desktop: only an unmanaged window
        // gets there. It can never take focus.
        f |= Qt::X11BypassWindowManagerHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus;
        t.showWithoutActivating = true;
    } else if (c.level > 0) {
        f |= Qt::WindowStaysOnTopHint;
    }
    if (c.ignoresMouseEvents) f |= Qt::WindowTransparentForInput;
    if (!c.hasShadow) f |= Qt::NoDropShadowWindowHint;
    t.flags = f;
    t.translucent = !c.opaque;
    t.resizable = (c.styleMask & style::resizable) != 0;
    return t;
}

QRect toQtRect(const Rect& r, double mainHeight) {
    return QRect(int(std::lround(r.x)), int(std::lround(mainHeight - r.maxY())), int(std::lround(r.width)),
                 int(std::lround(r.height)));
}

Rect fromQtRect(const QRect& r, double mainHeight) {
    return Rect{double(r.x()), mainHeight - double(r.y()) - double(r.height()), double(r.width()), double(r.height())};
}

}  // namespace vp
