#pragma once
// Runs tests/linux/logind-standin.py for the life of the object and points
// DBUS_SYSTEM_BUS_ADDRESS at its private bus. `address()` is empty when the
// bed could not start (no dbus-daemon or python3-dbusmock): skip then.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vp::test {

class LogindStandIn {
public:
    LogindStandIn(const std::string& script, const std::string& sysfs, bool refuse = false) {
        int in[2], out[2];
        if (::pipe(in) != 0 || ::pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, in[1]);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::string python = "/usr/bin/python3";
        std::string refuseFlag = "--refuse";
        char* argv[] = {python.data(), const_cast<char*>(script.c_str()), const_cast<char*>(sysfs.c_str()),
                        refuse ? refuseFlag.data() : nullptr, nullptr};
        // The stand-in's own python must not get the emulated monitor.
        std::string preload = std::getenv("LD_PRELOAD") ? std::getenv("LD_PRELOAD") : "";
        ::unsetenv("LD_PRELOAD");
        int spawned = posix_spawn(&pid_, python.c_str(), &actions, nullptr, argv, environ);
        if (!preload.empty()) ::setenv("LD_PRELOAD", preload.c_str(), 1);
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        stdin_ = in[1];
        if (spawned != 0) {
            pid_ = -1;
            ::close(out[0]);
            return;
        }
        FILE* reader = ::fdopen(out[0], "r");
        char line[512];
        if (reader && std::fgets(line, sizeof line, reader)) {
            address_ = line;
            while (!address_.empty() && (address_.back() == '\n' || address_.back() == '\r')) address_.pop_back();
        }
        if (reader) std::fclose(reader);
        if (!address_.empty()) ::setenv("DBUS_SYSTEM_BUS_ADDRESS", address_.c_str(), 1);
    }
    ~LogindStandIn() {
        if (stdin_ >= 0) ::close(stdin_);
        if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
        ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    }
    LogindStandIn(const LogindStandIn&) = delete;
    LogindStandIn& operator=(const LogindStandIn&) = delete;

    const std::string& address() const { return address_; }

private:
    pid_t pid_ = -1;
    int stdin_ = -1;
    std::string address_;
};

}  // namespace vp::test
