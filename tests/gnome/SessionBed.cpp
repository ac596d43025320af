#include "gnome/SessionBed.h"

#include "GnomeTestPaths.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

namespace vp::test {

namespace {

bool onPath(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

std::string shellQuote(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string run(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
        ::pclose(pipe);
    }
    return out;
}

constexpr auto kStartLimit = std::chrono::seconds(30);

}  // namespace

SessionBed SessionBed::mutter(const std::vector<std::string>& monitors, bool withPipeWire) {
    SessionBed bed;
    if (!onPath("mutter") || !onPath("dbus-run-session")) {
        bed.whyNot_ = "mutter or dbus-run-session is not installed";
        return bed;
    }
    if (withPipeWire && (!onPath("pipewire") || !onPath("wireplumber") || !onPath("pw-cli"))) {
        bed.whyNot_ = "pipewire, pw-cli or wireplumber is not installed";
        return bed;
    }
    // WirePlumber gives up when PipeWire does not answer yet: it starts
    // once PipeWire does.
    std::string program = withPipeWire ? "pipewire & i=0; until pw-cli info 0 >/dev/null 2>&1 || [ $i -ge 200 ]; "
                                         "do sleep 0.05; i=$((i+1)); done; wireplumber & "
                                       : "";
    program += "exec mutter --headless --wayland --no-x11";
    for (const auto& size : monitors) program += " --virtual-monitor " + size;
    bed.start(program, "org.gnome.Mutter.DisplayConfig");
    return bed;
}

SessionBed SessionBed::standin() {
    SessionBed bed;
    if (!onPath("dbus-run-session") || std::system("/usr/bin/python3 -c 'import dbusmock' 2>/dev/null") != 0) {
        bed.whyNot_ = "python3-dbusmock or dbus-run-session is not installed";
        return bed;
    }
    std::string tmpl = VELVETPANE_GNOME_STANDIN;
    bed.start("exec /usr/bin/python3 -m dbusmock --template " + shellQuote(tmpl), "org.gnome.Mutter.DisplayConfig");
    return bed;
}

SessionBed::SessionBed(SessionBed&& other) noexcept
    : dir_(std::move(other.dir_)), group_(other.group_), address_(std::move(other.address_)),
      whyNot_(std::move(other.whyNot_)) {
    other.group_ = 0;
}

void SessionBed::start(const std::string& program, const std::string& readyName) {
    dir_ = std::make_unique<TempDir>();
    std::string home = dir_->file("home"), runtime = dir_->file("run"), addressFile = dir_->file("address");
    std::filesystem::create_directories(home);
    std::filesystem::create_directories(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    std::string script = "echo \"$DBUS_SESSION_BUS_ADDRESS\" > " + shellQuote(addressFile + ".tmp") + " && mv " +
                         shellQuote(addressFile + ".tmp") + " " + shellQuote(addressFile) + " || exit 1; " + program;

    pid_t pid = ::fork();
    if (pid == 0) {
        ::setpgid(0, 0);
        ::setenv("HOME", home.c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
        ::unsetenv("WAYLAND_DISPLAY");
        ::unsetenv("DISPLAY");
        std::string log = dir_->file("log");
        std::freopen(log.c_str(), "w", stdout);
        std::freopen(log.c_str(), "a", stderr);
        ::execlp("dbus-run-session", "dbus-run-session", "--", "sh", "-c", script.c_str(), nullptr);
        ::_exit(127);
    }
    if (pid < 0) {
        whyNot_ = "cannot fork";
        return;
    }
    ::setpgid(pid, pid);
    group_ = pid;

    auto deadline = std::chrono::steady_clock::now() + kStartLimit;
    std::string address;
    while (std::chrono::steady_clock::now() < deadline) {
        if (address.empty()) {
            address = readFile(addressFile);
            while (!address.empty() && (address.back() == '\n' || address.back() == ' ')) address.pop_back();
        }
        if (!address.empty()) {
            std::string owner = run("DBUS_SESSION_BUS_ADDRESS=" + shellQuote(address) +
                                    " gdbus call --session -d org.freedesktop.DBus -o /org/freedesktop/DBus"
                                    " -m org.freedesktop.DBus.NameHasOwner " + readyName + " 2>/dev/null");
            if (owner.find("true") != std::string::npos) {
                address_ = address;
                return;
            }
        }
        if (::waitpid(pid, nullptr, WNOHANG) == pid) {
            group_ = 0;
            whyNot_ = "the bed ended at start: " + log();
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    whyNot_ = "the bed did not come up in time: " + log();
    stop();
}

std::string SessionBed::log() const {
    return dir_ ? readFile(dir_->file("log")) : std::string();
}

std::string SessionBed::mock(const std::string& method, const std::string& arguments) const {
    return call("org.gnome.Mutter.DisplayConfig", "/org/gnome/Mutter/DisplayConfig", "org.freedesktop.DBus.Mock." + method,
                arguments);
}

std::string SessionBed::call(const std::string& destination, const std::string& path, const std::string& method,
                             const std::string& arguments) const {
    return run("DBUS_SESSION_BUS_ADDRESS=" + shellQuote(address_) + " gdbus call --session -d " + destination +
               " -o " + path + " -m " + method + " " + arguments + " 2>&1");
}

gnome::MutterState SessionBed::displayState() const {
    gnome::DisplayConfigClient client(address_);
    gnome::BusError error;
    auto state = client.currentState(error);
    // The bed also serves the benchmarks, which have no test framework: a
    // test that meets this sees it as a failure with mutter's words.
    if (!state) throw std::runtime_error("mutter's state could not be read: " + error.name + ": " + error.message);
    return *state;
}

int SessionBed::screenCastSessions() const {
    std::string xml = call("org.gnome.Mutter.ScreenCast", "/org/gnome/Mutter/ScreenCast/Session",
                           "org.freedesktop.DBus.Introspectable.Introspect");
    int count = 0;
    for (auto at = xml.find("<node name="); at != std::string::npos; at = xml.find("<node name=", at + 1)) ++count;
    return count;
}

std::string SessionBed::addService(const std::string& templatePath, const std::string& name,
                                   const std::string& parametersJson) {
    if (std::system("/usr/bin/python3 -c 'import dbusmock' 2>/dev/null") != 0) return "python3-dbusmock is not installed";
    pid_t pid = ::fork();
    if (pid == 0) {
        ::setpgid(0, group_);
        ::setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
        std::string log = dir_->file("log");
        std::freopen(log.c_str(), "a", stdout);
        std::freopen(log.c_str(), "a", stderr);
        ::execl("/usr/bin/python3", "python3", "-m", "dbusmock", "--template", templatePath.c_str(), "-p",
                parametersJson.c_str(), nullptr);
        ::_exit(127);
    }
    if (pid < 0) return "cannot fork";
    auto deadline = std::chrono::steady_clock::now() + kStartLimit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner", name)
                .find("true") != std::string::npos)
            return {};
        if (::waitpid(pid, nullptr, WNOHANG) == pid) return "the service ended at start: " + log();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return "the service did not come up in time: " + log();
}

bool SessionBed::killMutter() {
    std::string reply = call("org.freedesktop.DBus", "/org/freedesktop/DBus",
                             "org.freedesktop.DBus.GetConnectionUnixProcessID", "org.gnome.Mutter.DisplayConfig");
    // "(uint32 1234,)"
    const std::string prefix = "(uint32 ";
    if (reply.rfind(prefix, 0) != 0) return false;
    const pid_t pid = pid_t(std::atol(reply.c_str() + prefix.size()));
    // Only a process of this bed's own group.
    if (pid <= 0 || ::getpgid(pid) != group_) return false;
    return ::kill(pid, SIGKILL) == 0;
}

void SessionBed::stop() {
    if (group_ <= 0) return;
    ::kill(-group_, SIGTERM);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (::waitpid(group_, nullptr, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(-group_, SIGKILL);
            ::waitpid(group_, nullptr, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    // What is left of the group (mutter's helpers, the bus) goes too.
    ::kill(-group_, SIGKILL);
    group_ = 0;
}

SessionBed::~SessionBed() {
    stop();
}

}  // namespace vp::test
