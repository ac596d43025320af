// The Linux tests run with the emulated monitor preloaded: the transport's
// real open/ioctl calls reach it. Started without it, the binary starts
// itself again with it (the library sits next to the binary).

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>

#include <unistd.h>

namespace {

std::string emulatorPath() {
    char self[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return {};
    std::string path(self, std::size_t(n));
    return path.substr(0, path.rfind('/') + 1) + "velvetpane_emulated_monitor.so";
}

}  // namespace

int main(int argc, char** argv) {
    std::string emulator = emulatorPath();
    const char* preload = std::getenv("LD_PRELOAD");
    if (!emulator.empty() && (!preload || std::string(preload).find(emulator) == std::string::npos) &&
        ::access(emulator.c_str(), R_OK) == 0) {
        std::string value = preload && *preload ? emulator + ":" + preload : emulator;
        ::setenv("LD_PRELOAD", value.c_str(), 1);
        // Sanitizer runtimes insist on coming first; the emulator is ours.
        ::setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 0);
        ::execv("/proc/self/exe", argv);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
