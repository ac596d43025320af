// The program from a shell on real Linux hardware: `--headless --platform
// linux` on a fake DRM + backlight tree whose i2c devices are emulated
// monitors. What a command sets is checked in the emulated devices and the
// sysfs files themselves, not only in the program's own state.

#include "linux/FakeLinux.h"

#include "BuildPaths.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <array>
#include <cstdio>
#include <fstream>
#include <sys/wait.h>

namespace vp::test {
namespace {

class LinuxHeadlessTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake_.addConnector("card0-eDP-1", makeEdid("BOE", 0x0771, 0, "Built-in"), 0, FakeLinux::Bus::none);
        fake_.addBacklight("intel_backlight", "raw", "1000", 500);
        fake_.addConnector("card0-DP-1", makeEdid("VPS", 0x0A01, 700123, "Velvet Studio"), 3);
        fake_.addMonitor(3, makeEdid("VPS", 0x0A01, 700123, "Velvet Studio"), "strict");
        fake_.addConnector("card0-HDMI-A-1", makeEdid("VPT", 0x0B02, 42, "Sound View"), 4);
        fake_.addMonitor(4, makeEdid("VPT", 0x0B02, 42, "Sound View"), "",
                         "vcp 10 70 100\nvcp 62 20 100\nvcp 8d 2 2\nvcp 60 15 15\n");
    }
    // Runs the program; its standard output, and the exit status.
    nlohmann::json run(const std::string& arguments, int* status = nullptr) {
        const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY VELVETPANE_SYSFS_ROOT=" + fake_.sysfs() +
                                    " VELVETPANE_DEV_ROOT=" + fake_.dev() + " " VELVETPANE_BINARY +
                                    " --headless --platform linux --json --home " + fake_.root() + " " + arguments +
                                    " 2>" + fake_.root() + "/stderr";
        std::string out;
        FILE* pipe = ::popen(command.c_str(), "r");
        std::array<char, 4096> buffer;
        while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) out.append(buffer.data(), n);
        const int rc = ::pclose(pipe);
        if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
        auto json = nlohmann::json::parse(out, nullptr, false);
        EXPECT_FALSE(json.is_discarded()) << out << stderrText();
        return json;
    }
    std::string stderrText() {
        std::ifstream in(fake_.root() + "/stderr");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::string idOf(const nlohmann::json& state, const std::string& name) {
        for (const auto& s : state["screens"])
            if (s["name"] == name) return std::to_string(s["id"].get<std::uint32_t>());
        ADD_FAILURE() << "no screen named " << name << " in " << state.dump();
        return "0";
    }

    FakeLinux fake_;
};

TEST_F(LinuxHeadlessTest, ListsTheMonitorsAndThePanelAndSaysWhichPlatformRuns) {
    auto state = run("");
    ASSERT_EQ(state["screens"].size(), 3u) << state.dump();
    idOf(state, "Velvet Studio");
    idOf(state, "Sound View");
    idOf(state, "Built-in");
    EXPECT_NE(stderrText().find("Linux platform"), std::string::npos) << stderrText();
}

TEST_F(LinuxHeadlessTest, SetsBrightnessOnAStrictMonitorAndVolumeWhereThereIsOne) {
    auto listed = run("");
    const std::string studio = idOf(listed, "Velvet Studio"), sound = idOf(listed, "Sound View");
    int status = -1;
    auto state = run("--do \"setBrightness " + studio + " 0.4\" --do \"setVolume " + sound + " 0.5\"", &status);
    EXPECT_EQ(status, 0) << stderrText();
    // 0.4 on the slider is a quarter of the monitor's range: the lowest fifth
    // of the slider is software dimming below the monitor's minimum.
    EXPECT_EQ(fake_.values(3)[0x10], 25) << "the strict monitor took the checksummed request";
    EXPECT_EQ(fake_.values(4)[0x62], 50);
    EXPECT_FALSE(state.contains("lastError") && state["lastError"].is_string()) << state["lastError"];
}

TEST_F(LinuxHeadlessTest, ABadPlatformNameIsAUsageError) {
    int status = -1;
    const std::string command = std::string(VELVETPANE_BINARY) + " --headless --platform amiga 2>/dev/null";
    status = ::system(command.c_str());
    EXPECT_EQ(WEXITSTATUS(status), 2);
}

}  // namespace
}  // namespace vp::test
