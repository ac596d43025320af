#pragma once
// A private X server for one test suite: Xorg with the dummy driver (many
// RandR outputs, real gamma) or Xvfb (one output, little RandR). Started on
// a free display number, stopped with the suite. Never the developer's own
// display.

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

private:
    XServerBed() = default;
    bool launch(Kind kind, int number, std::string& whyNot, const std::string& xvfbScreen);

    std::string display_;
    std::string dir_;
    pid_t pid_ = -1;
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
