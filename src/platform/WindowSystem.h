#pragma once
// The window system: its list of screens and the few windows the core makes
// itself (shade, extra-brightness overlay, HUD panel, picture-in-picture
// panel). Coordinates are global points with the origin at the bottom left of
// the main screen, y growing upwards.

#include "platform/Types.h"

#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace vp {

struct ScreenInfo {
    std::optional<DisplayID> number;  // the screen's display id, when it has one
    std::string localizedName;
    Rect frame;
    Rect visibleFrame;                // without menu bar and dock
    double maxPotentialEDR = 1.0;     // extended-range headroom
    std::optional<std::string> colorSpaceName;
};

// A display's bounds (origin top-left of the main display, y down) as a
// screen frame (origin bottom-left of the main screen, y up).
inline Rect screenFrameOf(const Rect& bounds, double mainHeight) {
    return {bounds.x, mainHeight - bounds.maxY(), bounds.width, bounds.height};
}

// Collection-behaviour bits.
namespace collection {
constexpr std::uint32_t canJoinAllSpaces = 1;
constexpr std::uint32_t stationary = 16;
constexpr std::uint32_t ignoresCycle = 64;
constexpr std::uint32_t fullScreenAuxiliary = 256;
}  // namespace collection

// Style-mask bits.
namespace style {
constexpr std::uint32_t borderless = 0;
constexpr std::uint32_t titled = 1;
constexpr std::uint32_t closable = 2;
constexpr std::uint32_t resizable = 8;
constexpr std::uint32_t utility = 16;
constexpr std::uint32_t nonactivatingPanel = 128;
}  // namespace style

// Window levels the core uses.
namespace level {
constexpr int floating = 3;
constexpr int status = 25;
constexpr int overlay = 1000;
}  // namespace level

enum class WindowRole { shade, extraBrightness, hud, pip };

struct WindowConfig {
    WindowRole role = WindowRole::shade;
    Rect contentRect;
    std::uint32_t styleMask = style::borderless;
    std::optional<DisplayID> screen;  // created on this screen
    int level = 0;
    std::uint32_t collectionBehavior = 0;
    int sharingType = 1;              // 0: never captured by screen recording
    bool ignoresMouseEvents = false;
    bool opaque = true;
    bool hasShadow = true;
    std::string title;
};

struct RGBA {
    double r = 0, g = 0, b = 0, a = 0;
    bool operator==(const RGBA&) const = default;
};

// A captured frame handed to a picture-in-picture panel without copying. Its
// bytes may be borrowed (a shared-memory segment the capture reuses once
// the frame's last reference has gone): `storage` keeps them alive.
struct CapturedFrame {
    int width = 0, height = 0;
    std::span<const std::uint8_t> bgra;  // width*height*4 bytes
    std::shared_ptr<const void> storage;
};
using CapturedFrameRef = std::shared_ptr<const CapturedFrame>;

class Window {
public:
    virtual ~Window() = default;
    virtual Rect frame() const = 0;
    virtual void setFrame(const Rect& frame) = 0;
    virtual void setFrameOrigin(const Point& origin) = 0;
    virtual void setBackgroundColor(const RGBA& color) = 0;
    virtual double alpha() const = 0;
    virtual void setAlpha(double alpha) = 0;
    virtual bool isVisible() const = 0;
    virtual void orderFrontRegardless() = 0;
    virtual void orderOut() = 0;
    virtual void close() = 0;
    // Content aspect kept while resizing (width 1, height aspect).
    virtual void setContentAspectRatio(const Size& ratio) = 0;
    virtual void setContentSize(const Size& size) = 0;
    // Role-specific content.
    virtual void setMultiplyFactor(double factor) = 0;                    // extra brightness
    virtual void setLevelContent(double value, const std::string& icon) = 0;  // HUD
    virtual void setFrameContent(CapturedFrameRef frame) = 0;             // PiP
    // Fades the alpha to 0 over the duration, then calls done (main queue).
    virtual void fadeOut(double seconds, std::function<void()> done) = 0;
    // Called when the user closes the window (its close button).
    virtual void setOnUserClose(std::function<void()> handler) = 0;
};

class WindowSystem {
public:
    virtual ~WindowSystem() = default;
    virtual std::vector<ScreenInfo> screens() = 0;
    virtual std::optional<ScreenInfo> mainScreen() = 0;
    virtual std::unique_ptr<Window> createWindow(const WindowConfig& config) = 0;
    // The level just below the display-shielding window.
    virtual int shieldingWindowLevel() = 0;
    // An extended-range compositor that can multiply what is below a window.
    virtual bool hasExtendedRangeCompositor() = 0;
    virtual void setActivationPolicyAccessory() = 0;
};

}  // namespace vp
