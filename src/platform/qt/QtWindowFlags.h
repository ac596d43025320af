#pragma once
// How the core's window settings (style mask, level, mouse events, opacity,
// shadow) become Qt window flags, and how its coordinates (global points,
// origin at the bottom left of the main screen, y up) become Qt's (origin top
// left, y down).
//
// What Qt cannot express, and so is not had on this platform:
// - collection behaviours (join all spaces, stationary, ignore window
//   cycling, full-screen auxiliary): Qt has no flag for desktops or for the
//   window switcher. A window that bypasses the window manager (the levels at
//   and above the overlay level) is unmanaged and so shows on every desktop
//   and above full-screen windows; other windows follow the window manager.
// - sharing type "never captured": X11 has no way to keep a window out of
//   another program's screenshots; the setting is ignored.
// - numeric levels: only "normal", "stays on top" and "unmanaged, above
//   everything" exist; the core's levels map to the nearest of the three.

#include "platform/Types.h"
#include "platform/WindowSystem.h"

#include <QRect>

namespace vp {

struct QtWindowTraits {
    Qt::WindowFlags flags;
    bool translucent = false;            // not opaque: per-pixel alpha
    bool showWithoutActivating = false;  // showing never takes focus
    bool resizable = false;
};

QtWindowTraits qtWindowTraits(const WindowConfig& config);

// A rectangle in global points to Qt's top-left based one, given the height
// of the main screen; and back.
QRect toQtRect(const Rect& rect, double mainHeight);
Rect fromQtRect(const QRect& rect, double mainHeight);

}  // namespace vp
