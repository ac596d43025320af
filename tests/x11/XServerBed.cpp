#include "x11/XServerBed.h"

#include "BuildPaths.h"
#include "platform/linux/x11/RandrClient.h"
#include "x11/EdidBuilder.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vp::test {

namespace {

constexpr int kFirstDisplay = 120, kLastDisplay = 220;
constexpr int kStartTimeoutMs = 20000;

bool displayFree(int n) {
    namespace fs = std::filesystem;
    return !fs::exists("/tmp/.X" + std::to_string(n) + "-lock") &&
           !fs::exists("/tmp/.X11-unix/X" + std::to_string(n));
}

bool onPath(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace

std::unique_ptr<XServerBed> XServerBed::start(Kind kind, std::string& whyNot, const std::string& xvfbScreen) {
    const std::string program = kind == Kind::xorgDummy ? "Xorg" : "Xvfb";
    if (!onPath(program)) {
        whyNot = program + " is not installed";
        return nullptr;
    }
    if (kind == Kind::xorgDummy && !std::filesystem::exists("/usr/lib/xorg/modules/drivers/dummy_drv.so")) {
        whyNot = "the Xorg dummy video driver is not installed";
        return nullptr;
    }
    std::unique_ptr<XServerBed> bed(new XServerBed);
    char pattern[] = "/tmp/velvetpane-xbed-XXXXXX";
    bed->dir_ = ::mkdtemp(pattern);
    // Another test binary may be starting its own server at the same time:
    // a number taken meanwhile makes the server fail, and the next is tried.
    for (int n = kFirstDisplay + int(::getpid() % 50); n <= kLastDisplay; ++n) {
        if (!displayFree(n)) continue;
        if (bed->launch(kind, n, whyNot, xvfbScreen)) return bed;
    }
    return nullptr;
}

bool XServerBed::launch(Kind kind, int number, std::string& whyNot, const std::string& xvfbScreen) {
    int ready[2];
    if (::pipe2(ready, O_CLOEXEC) != 0) return false;
    const std::string display = ":" + std::to_string(number);
    std::vector<std::string> args;
    if (kind == Kind::xorgDummy) {
        std::filesystem::create_directories(dir_ + "/conf.d");
        args = {"Xorg", display, "-config", VELVETPANE_TEST_DATA "/x11/xorg-dummy.conf", "-configdir",
                dir_ + "/conf.d", "-logfile", dir_ + "/xorg.log", "-noreset", "-nolisten", "tcp",
                "-novtswitch", "-sharevts"};
    } else {
        args = {"Xvfb", display, "-screen", "0", xvfbScreen, "-noreset", "-nolisten", "tcp"};
    }
    args.push_back("-displayfd");
    pid_t pid = ::fork();
    if (pid == 0) {
        ::setsid();
        // A test binary that crashes or is killed takes its server along.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        int log = ::open((dir_ + "/server.out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(log, 1);
        ::dup2(log, 2);
        int fd = ::dup(ready[1]);  // without close-on-exec
        args.push_back(std::to_string(fd));
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(ready[1]);
    pollfd p{ready[0], POLLIN, 0};
    std::string got;
    char buffer[16];
    while (::poll(&p, 1, kStartTimeoutMs) > 0) {
        ssize_t n = ::read(ready[0], buffer, sizeof buffer);
        if (n <= 0) break;
        got.append(buffer, std::size_t(n));
        if (got.find('\n') != std::string::npos) break;
    }
    ::close(ready[0]);
    if (got.empty()) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        whyNot = std::string(kind == Kind::xorgDummy ? "Xorg" : "Xvfb") + " did not start (see " + dir_ +
                 "/server.out)";
        return false;
    }
    pid_ = pid;
    display_ = display;
    return true;
}

XServerBed::~XServerBed() {
    kill();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

void XServerBed::kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

std::string XServerBed::run(const std::string& command, int* status) const {
    std::string full = "DISPLAY=" + display_ + " " + command + " 2>&1";
    std::string out;
    FILE* pipe = ::popen(full.c_str(), "r");
    if (!pipe) return out;
    std::array<char, 4096> buffer;
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) out.append(buffer.data(), n);
    int rc = ::pclose(pipe);
    if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return out;
}

int XServerBed::keycode(const std::string& keysym) const {
    const std::string code = run("xmodmap -pke | awk '/= " + keysym + "( |$)/ {print $2; exit}'");
    return code.empty() ? 0 : std::atoi(code.c_str());
}

XClient::XClient(const std::string& display)
    : c_(xcb_connect(display.c_str(), nullptr)), root_(xcb_connection_has_error(c_) ? 0 : xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root) {}

XClient::~XClient() { xcb_disconnect(c_); }

void XClient::sync() const { std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr)); }

bool XClient::grabKey(int keycode, std::uint16_t modifiers) const {
    xcb_generic_error_t* error = xcb_request_check(
        c_, xcb_grab_key_checked(c_, 1, root_, modifiers, std::uint8_t(keycode), XCB_GRAB_MODE_ASYNC,
                                 XCB_GRAB_MODE_ASYNC));
    std::free(error);
    return error == nullptr;
}

void XClient::setRootProperty(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    auto* atom = xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, std::uint16_t(name.size()), name.c_str()), nullptr);
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, root_, atom->atom, XCB_ATOM_CARDINAL, 8,
                        std::uint32_t(bytes.size()), bytes.data());
    std::free(atom);
    sync();
}

std::string randrState(const XServerBed& bed) {
    std::istringstream in(bed.run("xrandr --verbose"));
    std::string kept;
    for (std::string line; std::getline(in, line);)
        if (line.find("Timestamp:") == std::string::npos) kept += line + "\n";
    return kept;
}

std::vector<BedMonitor> bedMonitors() {
    return {{"DUMMY0", "Velvet Studio", 1920, 1080, 0},
            {"DUMMY1", "Twin View 24", 1920, 1080, 1920},
            {"DUMMY2", "Twin View 24", 1600, 900, 3840}};
}

std::string arrangeDummyBed(const XServerBed& bed) {
    x11::RandrClient client(bed.display());
    if (!client.ok()) return client.error();
    auto screen = client.read();
    if (!screen) return "cannot read the bed's RandR state";
    const EdidSpec studio{"VPS", 0x0A01, 700123, "Velvet Studio", "", 60, 34, 1920, 1080};
    const EdidSpec twin{"VPT", 0x0B02, 0, "Twin View 24", "", 53, 30, 1920, 1080};
    for (const auto& o : screen->outputs) {
        if (o.name == "DUMMY0" && !client.setOutputBytes(o.id, "EDID", makeEdid(studio))) return "EDID of DUMMY0";
        if ((o.name == "DUMMY1" || o.name == "DUMMY2") && !client.setOutputBytes(o.id, "EDID", makeEdid(twin)))
            return "EDID of " + o.name;
    }
    // Two xrandr calls: an output finds a mode added in the same call too late.
    std::string command = "xrandr";
    for (const char* output : {"DUMMY1", "DUMMY2"})
        for (const char* mode : {"1920x1080", "1600x900", "1280x1024"})
            command += std::string(" --addmode ") + output + " " + mode;
    bed.run(command);
    command = "xrandr";
    for (int i = 3; i < 16; ++i) command += " --output DUMMY" + std::to_string(i) + " --off";
    for (const auto& m : bedMonitors())
        command += " --output " + m.connector + " --mode " + std::to_string(m.width) + "x" + std::to_string(m.height) +
                   " --pos " + std::to_string(m.x) + "x0 --rotate normal --gamma 1:1:1 --brightness 1";
    command += " --output DUMMY0 --primary --fb 5440x1080";
    int status = 0;
    std::string out = bed.run(command, &status);
    return status == 0 ? "" : "xrandr failed: " + out;
}

}  // namespace vp::test
