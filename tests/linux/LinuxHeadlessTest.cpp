// The program from a shell on real Linux hardware: `--headless --platform
// linux` on a fake DRM + backlight tree whose i2c devices are emulated
// monitors. What a command sets is checked in the emulated devices and the
// sysfs files themselves, not only in the program's own state.

#include "linux/FakeLinux.h"
#include "linux/LogindStandIn.h"
#include "linux/TestFiles.h"

#include "BuildPaths.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

namespace vp::test {
namespace {

const std::string kStandIn = besideTestBinary("logind-standin.py");

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

// One run sets brightness, volume, input and mute: each is checked in the
// emulated monitor's own registers.
TEST_F(LinuxHeadlessTest, ListsTheMonitorsAndPanelAndSetsTheMonitorsOwnControls) {
    auto listed = run("");
    ASSERT_EQ(listed["screens"].size(), 3u) << listed.dump();
    idOf(listed, "Built-in");
    EXPECT_NE(stderrText().find("Linux platform"), std::string::npos) << stderrText();
    const std::string studio = idOf(listed, "Velvet Studio"), sound = idOf(listed, "Sound View");
    int status = -1;
    auto state = run("--do \"setBrightness " + studio + " 0.4\" --do \"setVolume " + sound + " 0.5\" --do \"setInput " +
                         sound + " 15\" --do toggleDDCMute",
                     &status);
    EXPECT_EQ(status, 0) << stderrText();
    // 0.4 on the slider is a quarter of the monitor's range: the lowest fifth
    // of the slider is software dimming below the monitor's minimum.
    EXPECT_EQ(fake_.values(3)[0x10], 25) << "the strict monitor took the checksummed request";
    EXPECT_EQ(fake_.values(4)[0x62], 50);
    EXPECT_EQ(state["inputSource"][sound], 15) << state.dump();
    EXPECT_EQ(fake_.values(4)[0x60], 15);
    EXPECT_EQ(fake_.values(4)[0x8D], 1) << "muted";
    EXPECT_FALSE(state.contains("lastError") && state["lastError"].is_string()) << state["lastError"];
}

// 0.4 on the slider is a quarter of the panel's range: the lowest fifth is
// software dimming below the panel's minimum.
TEST_F(LinuxHeadlessTest, ThePanelsBacklightGoesThroughLogindAndToSysfsWhenLogindRefusesOrIsMissing) {
    const std::string panel = idOf(run(""), "Built-in");
    const std::string calls = fake_.sysfs() + "/logind-calls";
    {
        LogindStandIn logind(kStandIn, fake_.sysfs());
        if (logind.address().empty()) GTEST_SKIP() << "no dbus-daemon or python3-dbusmock for the stand-in logind";
        auto state = run("--do \"setBrightness " + panel + " 0.4\"");
        EXPECT_EQ(state["method"][panel], "builtin") << state.dump();
        EXPECT_DOUBLE_EQ(state["brightness"][panel].get<double>(), 0.4);
        EXPECT_EQ(readFile(calls), "backlight intel_backlight 250\n");
        EXPECT_EQ(readFile(fake_.backlightFile("intel_backlight", "actual_brightness")), "250\n");
    }
    {
        LogindStandIn refusing(kStandIn, fake_.sysfs(), true);
        ASSERT_FALSE(refusing.address().empty());
        auto state = run("--do \"setBrightness " + panel + " 1\"");
        EXPECT_EQ(state["method"][panel], "builtin") << state.dump();
        EXPECT_EQ(readFile(fake_.backlightFile("intel_backlight", "brightness")), "1000\n");
    }
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + fake_.root() + "/no-bus").c_str(), 1);
    run("--do \"setBrightness " + panel + " 0.4\"");
    ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    EXPECT_EQ(readFile(fake_.backlightFile("intel_backlight", "brightness")), "250\n");
    EXPECT_EQ(readFile(calls), "backlight intel_backlight 250\n") << "only the first run reached logind";
}

// Without logind and without write access to sysfs the panel cannot be
// changed: it is dimmed in software, and the card says why. (A link to
// nowhere stands for the file nobody may write, root included.)
TEST_F(LinuxHeadlessTest, APanelNobodyMayChangeIsDimmedInSoftwareWithTheReason) {
    const std::string panel = idOf(run(""), "Built-in");
    const std::string file = fake_.backlightFile("intel_backlight", "brightness");
    std::filesystem::remove(file);
    std::filesystem::create_symlink(fake_.root() + "/nowhere/brightness", file);
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + fake_.root() + "/no-bus").c_str(), 1);
    auto state = run("--do \"setBrightness " + panel + " 0.4\"");
    ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    EXPECT_EQ(state["method"][panel], "software") << state.dump();
    const std::string reason = state["softwareReason"].value(panel, "");
    EXPECT_NE(reason.find("logind"), std::string::npos) << reason;
    EXPECT_NE(reason.find(file), std::string::npos) << reason;
    EXPECT_EQ(readFile(fake_.backlightFile("intel_backlight", "actual_brightness")), "500\n");
}

TEST_F(LinuxHeadlessTest, AMonitorThisUserMayNotOpenSaysWhyOnceAndOnItsCard) {
    fake_.addMonitor(3, makeEdid("VPS", 0x0A01, 700123, "Velvet Studio"), "deny");
    auto state = run("");
    const std::string studio = idOf(state, "Velvet Studio"), sound = idOf(state, "Sound View");
    EXPECT_EQ(state["method"][studio], "software") << state.dump();
    const std::string reason = state["softwareReason"].value(studio, "");
    EXPECT_NE(reason.find("i2c group"), std::string::npos) << reason;
    EXPECT_NE(reason.find("udev rule"), std::string::npos) << reason;
    EXPECT_EQ(state["method"][sound], "ddc") << "the other monitor is reached as before";
    const std::string err = stderrText();
    const auto first = err.find("i2c group");
    EXPECT_NE(first, std::string::npos) << err;
    EXPECT_EQ(err.find("i2c group", first + 1), std::string::npos) << "said once: " << err;
}

TEST_F(LinuxHeadlessTest, ABadPlatformNameIsAUsageError) {
    int status = -1;
    const std::string command = std::string(VELVETPANE_BINARY) + " --headless --platform amiga 2>/dev/null";
    status = ::system(command.c_str());
    EXPECT_EQ(WEXITSTATUS(status), 2);
}

}  // namespace
}  // namespace vp::test
