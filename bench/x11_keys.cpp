// The brightness keys on the Xorg dummy bed, timed from outside the program
// as a user meets them: a key pressed through XTest until the server holds
// the new gamma of the main output, and (in the interface) until the HUD's
// window is mapped. The program runs in an environment of its own (empty
// device trees, no bus, temporary home), first headless, then with its
// interface. Prints the median and the slowest of each.

#include "BuildPaths.h"
#include "support/TempDir.h"
#include "x11/XServerBed.h"

#include <xcb/randr.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vp;
using namespace std::chrono_literals;
using Steady = std::chrono::steady_clock;

namespace {

// The keycodes the bed's keyboard is given its brightness keys on.
constexpr std::uint8_t kBrightnessUp = 233, kBrightnessDown = 232;

double ms(Steady::time_point from) { return std::chrono::duration<double, std::milli>(Steady::now() - from).count(); }

// The program, started with `args` against `display` in a private environment.
class Child {
public:
    Child(const std::string& display, std::vector<std::string> args, bool interface) {
        for (const char* folder : {"sys", "dev", "home", "runtime"})
            std::filesystem::create_directories(root_.path() / folder);
        std::filesystem::permissions(root_.path() / "runtime", std::filesystem::perms::owner_all);
        const std::string root = root_.path().string(), nowhere = "unix:path=" + root + "/none";
        std::vector<std::string> env = {"DISPLAY=" + display,
                                        "PATH=/usr/bin:/bin",
                                        "HOME=" + root + "/home",
                                        "XDG_CONFIG_HOME=" + root + "/home/.config",
                                        "XDG_STATE_HOME=" + root + "/home/.state",
                                        "XDG_DATA_HOME=" + root + "/home/.data",
                                        "XDG_RUNTIME_DIR=" + root + "/runtime",
                                        "VELVETPANE_SYSFS_ROOT=" + root + "/sys",
                                        "VELVETPANE_DEV_ROOT=" + root + "/dev",
                                        "DBUS_SESSION_BUS_ADDRESS=" + nowhere,
                                        "DBUS_SYSTEM_BUS_ADDRESS=" + nowhere};
        // Qt reads --platform as its own option: the interface is told by the environment.
        if (interface) env.insert(env.end(), {"QT_QPA_PLATFORM=xcb", "VELVETPANE_PLATFORM=linux"});
        args.insert(args.begin(), VELVETPANE_BINARY);
        pid_ = ::fork();
        if (pid_ == 0) {
            std::vector<char*> argv, envp;
            for (auto& a : args) argv.push_back(a.data());
            for (auto& e : env) envp.push_back(e.data());
            argv.push_back(nullptr);
            envp.push_back(nullptr);
            const int quiet = ::open("/dev/null", O_WRONLY);
            ::dup2(quiet, 1);
            ::dup2(quiet, 2);
            ::execve(argv[0], argv.data(), envp.data());
            ::_exit(127);
        }
    }
    ~Child() {
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }

private:
    test::TempDir root_;
    pid_t pid_ = -1;
};

class Server {
public:
    explicit Server(const std::string& display) : c_(xcb_connect(display.c_str(), nullptr)) {
        root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(c_, root_, XCB_CW_EVENT_MASK, &mask);
        crtc_ = crtcOf("DUMMY0");
    }
    ~Server() { xcb_disconnect(c_); }

    void press(std::uint8_t code) {
        xcb_test_fake_input(c_, XCB_KEY_PRESS, code, XCB_CURRENT_TIME, root_, 0, 0, 0);
        xcb_test_fake_input(c_, XCB_KEY_RELEASE, code, XCB_CURRENT_TIME, root_, 0, 0, 0);
        xcb_flush(c_);
    }
    std::vector<std::uint16_t> gamma() {
        auto* reply = xcb_randr_get_crtc_gamma_reply(c_, xcb_randr_get_crtc_gamma(c_, crtc_), nullptr);
        std::vector<std::uint16_t> red;
        if (reply) {
            const std::uint16_t* r = xcb_randr_get_crtc_gamma_red(reply);
            red.assign(r, r + xcb_randr_get_crtc_gamma_red_length(reply));
        }
        std::free(reply);
        return red;
    }
    // Waits for a window of the root to be mapped (true) or unmapped.
    bool waitFor(std::uint8_t type, std::chrono::milliseconds limit) {
        const auto until = Steady::now() + limit;
        while (Steady::now() < until) {
            while (xcb_generic_event_t* e = xcb_poll_for_event(c_)) {
                const bool match = (e->response_type & 0x7F) == type;
                std::free(e);
                if (match) return true;
            }
            std::this_thread::sleep_for(200us);
        }
        return false;
    }
    void drain() {
        while (xcb_generic_event_t* e = xcb_poll_for_event(c_)) std::free(e);
    }

private:
    xcb_randr_crtc_t crtcOf(const std::string& name) {
        auto* res = xcb_randr_get_screen_resources_current_reply(
            c_, xcb_randr_get_screen_resources_current(c_, root_), nullptr);
        xcb_randr_crtc_t crtc = 0;
        const xcb_randr_output_t* outputs = xcb_randr_get_screen_resources_current_outputs(res);
        for (int i = 0; i < xcb_randr_get_screen_resources_current_outputs_length(res); ++i) {
            auto* info = xcb_randr_get_output_info_reply(c_, xcb_randr_get_output_info(c_, outputs[i], 0), nullptr);
            std::string n(reinterpret_cast<const char*>(xcb_randr_get_output_info_name(info)),
                          std::size_t(xcb_randr_get_output_info_name_length(info)));
            if (n == name) crtc = info->crtc;
            std::free(info);
        }
        std::free(res);
        return crtc;
    }

    xcb_connection_t* c_;
    xcb_window_t root_ = 0;
    xcb_randr_crtc_t crtc_ = 0;
};

struct Figures {
    std::vector<double> samples;
    void print(const char* what) {
        if (samples.empty()) return (void)std::printf("%-52s no sample\n", what);
        std::sort(samples.begin(), samples.end());
        std::printf("%-52s median %7.2f ms, slowest %7.2f ms (%zu presses)\n", what, samples[samples.size() / 2],
                    samples.back(), samples.size());
    }
};

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto until = Steady::now() + limit;
    while (Steady::now() < until) {
        if (condition()) return true;
        std::this_thread::sleep_for(200us);
    }
    return false;
}

// Presses down and up in turn, timing each until the main output's gamma changed.
Figures keyToGamma(Server& x, int presses) {
    Figures f;
    const std::uint8_t codes[] = {kBrightnessDown, kBrightnessUp};
    for (int i = 0; i < presses; ++i) {
        const auto before = x.gamma();
        const auto t0 = Steady::now();
        x.press(codes[i % 2]);
        if (waitUntil([&] { return x.gamma() != before; }, 2000ms)) f.samples.push_back(ms(t0));
        std::this_thread::sleep_for(100ms);
    }
    return f;
}

// Presses while the HUD is hidden, timing each until a window is mapped.
Figures keyToHud(Server& x, int presses) {
    Figures f;
    const std::uint8_t codes[] = {kBrightnessDown, kBrightnessUp};
    for (int i = 0; i < presses; ++i) {
        x.drain();
        const auto t0 = Steady::now();
        x.press(codes[i % 2]);
        if (x.waitFor(XCB_MAP_NOTIFY, 2000ms)) f.samples.push_back(ms(t0));
        x.waitFor(XCB_UNMAP_NOTIFY, 3000ms);
        std::this_thread::sleep_for(100ms);
    }
    return f;
}

}  // namespace

int main() {
    std::string why;
    auto bed = test::XServerBed::start(test::XServerBed::Kind::xorgDummy, why);
    if (!bed) return std::printf("skipped: %s\n", why.c_str()), 0;
    if (std::string error = test::arrangeDummyBed(*bed); !error.empty())
        return std::printf("the bed: %s\n", error.c_str()), 1;
    // The dummy server's keyboard has no media keys: the keycodes a laptop sends.
    bed->run("xmodmap -e 'keycode 232 = XF86MonBrightnessDown' -e 'keycode 233 = XF86MonBrightnessUp'");
    Server x(bed->display());

    {
        Child program(bed->display(), {"--headless", "--platform", "linux", "--json", "--until-signal"}, false);
        std::this_thread::sleep_for(3s);  // started and holding its keys
        keyToGamma(x, 20).print("headless: key -> gamma on the server");
    }
    {
        Child program(bed->display(), {}, true);
        std::this_thread::sleep_for(5s);  // started, holding its keys, the windows of the start up
        keyToGamma(x, 20).print("interface: key -> gamma on the server");
        keyToHud(x, 8).print("interface: key -> HUD window mapped (no compositor)");
    }
    return 0;
}
