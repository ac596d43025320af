#include "platform/sim/SimPlatform.h"

#include "BuildPaths.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace vp {

namespace {

std::unique_ptr<SerialQueue> makeDDCQueue(const SimOptions& options) {
    if (options.threadedDDC) return std::make_unique<ThreadSerialQueue>();
    return std::make_unique<ManualSerialQueue>();
}

}  // namespace

SimPlatform::SimPlatform(SimOptions options)
    : ddcQueue_(makeDDCQueue(options)),
      manualDDC_(dynamic_cast<ManualSerialQueue*>(ddcQueue_.get())),
      threadDDC_(dynamic_cast<ThreadSerialQueue*>(ddcQueue_.get())),
      simSystem(simDisplays, options.home) {
    connectSimulations();
}

SimPlatform::SimPlatform(SimOptions options, Runtime runtime)
    : external_(runtime), simSystem(simDisplays, options.home) {
    simCapture.threaded = true;  // nobody drains frame queues by hand in real time
    connectSimulations();
}

void SimPlatform::connectSimulations() {
    simWindows.colorSpaceName = [this](const SimDisplay& d) { return simSystem.colorSpaceName(d.uuid); };
}

SimPlatform::~SimPlatform() {
    simDisplays.settle();
    if (threadDDC_) threadDDC_->waitIdle();
}

void SimPlatform::loadScenario(const nlohmann::json& s) {
    if (!s.is_object()) throw std::runtime_error("the scenario must be a JSON object");
    if (!s.contains("displays")) throw std::runtime_error("the scenario has no \"displays\"");
    simDisplays.load(s["displays"]);
    if (s.contains("refusals")) simDisplays.loadRefusals(s["refusals"]);
    if (s.contains("capabilities")) loadDisplayCapabilities(s["capabilities"], simCapabilities);
    if (s.contains("hardware")) simHardware.load(s["hardware"]);
    if (s.contains("virtualDisplays")) simVirtualDisplays.load(s["virtualDisplays"]);
    if (s.contains("windowSystem")) simWindows.load(s["windowSystem"]);
    if (s.contains("input")) simInput.load(s["input"]);
    if (s.contains("capture")) simCapture.load(s["capture"]);
    if (s.contains("system")) simSystem.load(s["system"]);
}

void SimPlatform::loadScenarioFile(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) throw std::runtime_error(path + ": is a folder, not a scenario file");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error(path + ": cannot be read");
    std::stringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) throw std::runtime_error(path + ": cannot be read");
    nlohmann::json scenario;
    try {
        scenario = nlohmann::json::parse(buffer.str());
    } catch (const nlohmann::json::parse_error& e) {
        throw std::runtime_error(path + ": not valid JSON (" + e.what() + ")");
    }
    try {
        loadScenario(scenario);
    } catch (const nlohmann::json::exception& e) {
        throw std::runtime_error(path + ": " + e.what());
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(path + ": " + e.what());
    }
}

std::string SimPlatform::defaultScenarioPath() {
    // An installed or unpacked program uses the scenarios installed beside
    // it; a program in the build tree uses the source tree's.
    std::error_code error;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        auto installed = program.parent_path().parent_path() / "share/velvetpane/scenarios/default.json";
        if (std::filesystem::is_regular_file(installed, error)) return installed.string();
    }
    return std::string(VELVETPANE_SCENARIO_DIR) + "/default.json";
}

std::size_t SimPlatform::drainDDC() {
    if (manualDDC_) return manualDDC_->drain();
    if (threadDDC_) threadDDC_->waitIdle();
    return 0;
}

bool SimPlatform::runUntilIdle(Seconds limit) {
    Seconds deadline = clock.now() + limit;
    for (;;) {
        simDisplays.settle();
        drainDDC();
        simCapture.drainQueues();
        bool finished = mainQueue.runUntilIdle(deadline - clock.now());
        simDisplays.settle();
        drainDDC();
        simCapture.drainQueues();
        if (!mainQueue.hasPendingWork() && (!manualDDC_ || manualDDC_->pending() == 0) && simCapture.pendingFrames() == 0)
            return true;
        if (!finished || clock.now() >= deadline) return false;
    }
}

void SimPlatform::advance(Seconds delta) {
    // Counted in whole nanoseconds, as the clock counts: a target kept in
    // floating point can lie a fraction of a nanosecond beyond any time the
    // clock can reach, and the loop would never end.
    using std::chrono::nanoseconds;
    auto now = [this] { return std::chrono::round<nanoseconds>(clock.now()); };
    nanoseconds target = now() + std::chrono::round<nanoseconds>(delta);
    simDisplays.settle();
    drainDDC();
    mainQueue.runReady();
    while (now() < target) {
        mainQueue.advance(std::min(target - now(), nanoseconds(1'000'000)));
        simDisplays.settle();
        drainDDC();
        simCapture.drainQueues();
    }
    mainQueue.runReady();
}

}  // namespace vp
