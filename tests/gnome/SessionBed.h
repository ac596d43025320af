#pragma once
// Private session buses for the GNOME tests: headless mutter with virtual
// monitors, or the DisplayConfig stand-in. Each bed runs under its own
// dbus-run-session in its own process group, with its own HOME and runtime
// folder, and is ended when the test ends. A bed that cannot start tells
// why, so the test can skip.

#include "platform/linux/gnome/DisplayConfigClient.h"
#include "support/TempDir.h"
#include "x11/Eventually.h"

#include <memory>
#include <string>
#include <vector>

#include <sys/types.h>

namespace vp::test {

class SessionBed {
public:
    SessionBed(const SessionBed&) = delete;
    SessionBed& operator=(const SessionBed&) = delete;
    ~SessionBed();

    // Headless mutter with one virtual monitor per size ("2560x1440"); with
    // PipeWire and its session manager for screen casts when asked.
    static SessionBed mutter(const std::vector<std::string>& monitors = {"2560x1440", "1920x1080"},
                             bool withPipeWire = false);
    // The python3-dbusmock stand-in of DisplayConfig.
    static SessionBed standin();

    SessionBed(SessionBed&& other) noexcept;

    bool ready() const { return !address_.empty(); }
    const std::string& whyNot() const { return whyNot_; }
    const std::string& address() const { return address_; }
    std::string runtimeDir() const { return dir_ ? dir_->file("run") : std::string(); }
    std::string log() const;

    // A call on the stand-in's Mock interface.
    std::string mock(const std::string& method, const std::string& arguments = {}) const;
    // Any call on the bed's bus, through a client that is not ours.
    std::string call(const std::string& destination, const std::string& path, const std::string& method,
                     const std::string& arguments = {}) const;
    // mutter's state as a client other than the one under test reads it;
    // throws with mutter's words when it cannot be read.
    gnome::MutterState displayState() const;
    // mutter's screen cast sessions still open, as mutter lists them.
    int screenCastSessions() const;
    // Runs a python3-dbusmock template on the bed's bus as part of the bed,
    // and waits until it owns `name`; why not, when it does not.
    std::string addService(const std::string& templatePath, const std::string& name,
                           const std::string& parametersJson);
    // Kills mutter alone (a crash), leaving the bus and PipeWire.
    bool killMutter();
    // Ends the bed's programs (mutter going away), bus and all.
    void stop();

private:
    SessionBed() = default;
    void start(const std::string& program, const std::string& readyName);

    std::unique_ptr<TempDir> dir_;
    pid_t group_ = 0;
    std::string address_, whyNot_;
};

}  // namespace vp::test
