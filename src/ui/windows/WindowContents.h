#pragma once
// What the core's windows show, as the interface draws it: the level
// display in the HUD panel and the captured picture in the PiP panel. Given
// to the window system at start.

#include "platform/qt/QtWindows.h"

namespace vp::ui {

WindowContent* makeWindowContent(WindowRole role, QWidget* window);

}  // namespace vp::ui
