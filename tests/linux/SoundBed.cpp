#include "linux/SoundBed.h"

#include "support/ChildRun.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vp::test {

namespace {

std::string sinkObject(const std::string& name, const std::string& description, const std::string& profile) {
    return "  { factory = adapter args = { factory.name = support.null-audio-sink node.name = \"" + name +
           "\" node.description = \"" + description + "\" media.class = Audio/Sink device.api = alsa "
           "device.profile.name = " + profile + " audio.position = [ FL FR ] } }\n";
}

std::string configuration() {
    return "context.properties = { core.daemon = true core.name = pipewire-0 support.dbus = false }\n"
           "context.spa-libs = { audio.convert.* = audioconvert/libspa-audioconvert support.* = "
           "support/libspa-support }\n"
           "context.modules = [\n"
           "  { name = libpipewire-module-protocol-native }\n"
           "  { name = libpipewire-module-access }\n"
           "  { name = libpipewire-module-metadata }\n"
           "  { name = libpipewire-module-adapter }\n"
           "]\n"
           "context.objects = [\n" +
           sinkObject(SoundBed::hdmiSink, "Built-in Audio Digital Stereo (HDMI)", "hdmi-stereo") +
           sinkObject(SoundBed::analogSink, "Built-in Audio Analog Stereo", "analog-stereo") +
           "  { factory = metadata args = { metadata.name = default } }\n"
           "]\n";
}

bool answers(const std::string& remote) {
    ChildRun run = runChild({"pw-metadata", "-r", remote, "-n", "default", "0"}, ChildOptions{{}, {}, std::chrono::seconds(5)});
    return WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0 && run.out.find("Found") != std::string::npos;
}

}  // namespace

std::unique_ptr<SoundBed> SoundBed::start(std::string& whyNot) {
    std::unique_ptr<SoundBed> bed(new SoundBed);
    if (!bed->launch(whyNot)) return nullptr;
    return bed;
}

bool SoundBed::launch(std::string& whyNot) {
    if (std::system("command -v pipewire >/dev/null 2>&1 && command -v pw-metadata >/dev/null 2>&1") != 0) {
        whyNot = "pipewire or pw-metadata is not installed";
        return false;
    }
    writeFile(dir_.file("bed.conf"), configuration());
    pid_t pid = ::fork();
    if (pid == 0) {
        ::setsid();
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        int log = ::open(dir_.file("pipewire.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(log, 1);
        ::dup2(log, 2);
        ::setenv("XDG_RUNTIME_DIR", dir_.path().c_str(), 1);
        ::unsetenv("PIPEWIRE_REMOTE");
        ::execlp("pipewire", "pipewire", "-c", dir_.file("bed.conf").c_str(), nullptr);
        ::_exit(127);
    }
    pid_ = pid;
    for (int i = 0; i < 100; ++i) {
        if (std::filesystem::exists(remote()) && answers(remote())) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    whyNot = "pipewire did not start: " + readFile(dir_.file("pipewire.log"));
    kill();
    return false;
}

SoundBed::~SoundBed() {
    kill();
}

bool SoundBed::setDefault(const std::string& sink) const {
    ChildRun run = runChild({"pw-metadata", "-r", remote(), "-n", "default", "0", "default.audio.sink",
                             "{\"name\":\"" + sink + "\"}", "Spa:String:JSON"},
                            ChildOptions{{}, {}, std::chrono::seconds(5)});
    return WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0;
}

void SoundBed::kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

}  // namespace vp::test
