#pragma once
// One test server per test suite; the Xorg dummy one arranged afresh before
// each test.

#include "platform/linux/x11/X11Displays.h"
#include "support/TempDir.h"
#include "x11/XServerBed.h"

#include <gtest/gtest.h>

#include <regex>

namespace vp::test {

template <XServerBed::Kind kind>
class ServerBedTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!bed_ && why_.empty()) bed_ = XServerBed::start(kind, why_).release();
    }
    static void TearDownTestSuite() {
        delete bed_;
        bed_ = nullptr;
        why_.clear();
    }
    void SetUp() override {
        if (!bed_) GTEST_SKIP() << why_;
    }
    static XServerBed& bed() { return *bed_; }

    static inline XServerBed* bed_ = nullptr;
    static inline std::string why_;
};

using XvfbBedTest = ServerBedTest<XServerBed::Kind::xvfb>;

class DummyBedTest : public ServerBedTest<XServerBed::Kind::xorgDummy> {
protected:
    void SetUp() override {
        ServerBedTest::SetUp();
        if (IsSkipped()) return;
        std::string error = arrangeDummyBed(*bed_);
        ASSERT_EQ(error, "");
    }
    std::unique_ptr<x11::X11Displays> open() {
        return std::make_unique<x11::X11Displays>(bed_->display(), state.path());
    }
    // The line of `xrandr --verbose` (or plain xrandr) that starts with the output.
    std::string xrandrLine(const std::string& output) {
        std::string all = bed_->run("xrandr");
        std::smatch m;
        std::regex line("(^|\n)(" + output + " [^\n]*)");
        return std::regex_search(all, m, line) ? m[2].str() : std::string();
    }
    // One field of an output's `xrandr --verbose` block ("Gamma", "Brightness").
    std::string verboseField(const std::string& output, const std::string& field) {
        std::string all = bed_->run("xrandr --verbose");
        auto start = all.find("\n" + output + " ");
        if (start == std::string::npos) return {};
        auto end = all.find("\nDUMMY", start + 1);
        std::string block = all.substr(start, end == std::string::npos ? std::string::npos : end - start);
        std::smatch m;
        std::regex f("\n\\s*" + field + ":\\s*([^\n]*)");
        return std::regex_search(block, m, f) ? m[1].str() : std::string();
    }
    double brightness(const std::string& output) {
        std::string field = verboseField(output, "Brightness");
        return field.empty() ? -1 : std::stod(field);
    }

    static DisplayID byConnector(x11::X11Displays& displays, const std::string& connector) {
        const auto* o = [&]() -> const x11::RandrOutput* {
            for (const auto& out : displays.screen().outputs)
                if (out.name == connector) return &out;
            return nullptr;
        }();
        return o ? o->display : 0;
    }
    // Runs one transaction of steps; the status of the first refused step
    // (cancelled then) or of completion.
    template <typename Steps>
    static Status transact(x11::X11Displays& displays, Steps steps,
                           ConfigureOption option = ConfigureOption::forAppOnly) {
        ConfigHandle handle = 0;
        if (Status s = displays.beginConfiguration(handle); s != 0) return s;
        if (Status s = steps(handle); s != 0) {
            displays.cancelConfiguration(handle);
            return s;
        }
        return displays.completeConfiguration(handle, option);
    }
    static std::optional<DisplayMode> modeOf(x11::X11Displays& displays, DisplayID id, int w, int h) {
        for (const auto& m : displays.allModes(id).value_or(std::vector<DisplayMode>{}))
            if (m.width == w && m.height == h) return m;
        return std::nullopt;
    }

    TempDir state;
};

}  // namespace vp::test
