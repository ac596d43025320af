#pragma once
// A private X server for one test suite: Xorg with the dummy driver (many
// RandR outputs, real gamma) or Xvfb (one output, little RandR). Started on
// a free display number, stopped with the suite. Never the developer's own
// display.

#include "x11/Eventually.h"

#include <xcb/xcb.h>

#include <memory>
#include <string>
#include <vector>

#include <sys/types.h>

namespace vp::test {

class XServerBed {
public:
    enum class Kind { xorgDummy, xvfb };
    // Starts a server; on failure nullptr and `whyNot` says why (for
    // GTEST_SKIP when the server is not installed).
    // `xvfbScreen` is Xvfb's screen geometry (WIDTHxHEIGHTxDEPTH).
    static std::unique_ptr<XServerBed> start(Kind kind, std::string& whyNot,
                                             const std::string& xvfbScreen = "1280x1024x24");
    ~XServerBed();

    const std::string& display() const { return display_; }
    // Runs a shell command with DISPLAY set to this server; its output.
    std::string run(const std::string& command, int* status = nullptr) const;
    // Ends the server at once (the "server went away" case).
    void kill();
    // The keycode the server's keymap gives the keysym ("XF86AudioMute").
    int keycode(const std::string& keysym) const;

private:
    XServerBed() = default;
    bool launch(Kind kind, int number, std::string& whyNot, const std::string& xvfbScreen);

    std::string display_;
    std::string dir_;
    pid_t pid_ = -1;
};

// A client of the bed's server other than the program under test, as the
// desktop's own programs are: it holds keys, makes windows, sets properties.
class XClient {
public:
    explicit XClient(const std::string& display);
    ~XClient();
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;

    xcb_connection_t* connection() const { return c_; }
    xcb_window_t root() const { return root_; }
    // A round trip: what was sent is in place on the server.
    void sync() const;
    // Grabs the key on the root window with `modifiers`; false when the
    // server refuses it (another client holds it).
    bool grabKey(int keycode, std::uint16_t modifiers = XCB_MOD_MASK_ANY) const;
    // Sets a root window property of bytes, as a calibration loader does.
    void setRootProperty(const std::string& name, const std::vector<std::uint8_t>& bytes) const;

private:
    xcb_connection_t* c_;
    xcb_window_t root_;
};

// The server's whole RandR state as `xrandr --verbose` prints it, but for
// the times of the last change: equal when nothing else differs.
std::string randrState(const XServerBed& bed);

// The test bed's three monitors on the dummy server: DUMMY0 a distinct
// model, DUMMY1 and DUMMY2 two identical units that both report serial 0.
struct BedMonitor {
    std::string connector, name;
    int width, height, x;
};
std::vector<BedMonitor> bedMonitors();
// Gives the dummy server's outputs their EDIDs and modes and puts the
// three monitors side by side, DUMMY0 primary, gamma neutral. Returns an
// error text, empty on success.
std::string arrangeDummyBed(const XServerBed& bed);

}  // namespace vp::test
