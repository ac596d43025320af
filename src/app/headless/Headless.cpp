#include "app/headless/Headless.h"

#include "app/Log.h"
#include "app/TerminationSignals.h"
#include "app/headless/SimulatedBed.h"
#include "display/DisplayManager.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <sstream>

namespace vp {

namespace {

const std::vector<std::string> kValueFlags = {"--do", "--url", "--key"};
const std::vector<std::string> kBareFlags = {"--terminate"};

bool contains(const std::vector<std::string>& list, const std::string& s) {
    return std::find(list.begin(), list.end(), s) != list.end();
}

std::vector<std::string> words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> out;
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

const DoRegistry& doRegistry() {
    static const DoRegistry registry = [] {
        DoRegistry r;
        registerDisplayCommands(r);
        registerBrightnessCommands(r);
        registerConfigCommands(r);
        registerInputCommands(r);
        registerLifecycleCommands(r);
        return r;
    }();
    return registry;
}

FlagRegistry& flagRegistry() {
    static FlagRegistry registry = [] {
        FlagRegistry r;
        r["--do"] = [](HeadlessSession& session, const std::string& value) {
            auto args = words(value);
            if (args.empty()) throw UsageError("--do needs an operation");
            auto it = doRegistry().find(args.front());
            if (it == doRegistry().end()) throw UsageError("unknown operation \"" + args.front() + "\"");
            it->second(session, std::vector<std::string>(args.begin() + 1, args.end()));
        };
        registerInputFlags(r);
        registerLifecycleFlags(r);
        return r;
    }();
    return registry;
}

}  // namespace

double parseNumber(const std::string& text, const std::string& what) {
    double value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        throw UsageError(what + ": \"" + text + "\" is not a number");
    return value;
}

std::uint32_t parseDisplayID(const std::string& text) {
    std::uint32_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty())
        throw UsageError("\"" + text + "\" is not a display id");
    return value;
}

Screen listedScreen(HeadlessSession& session, const std::string& text) {
    auto screen = session.context().displayManager().screen(parseDisplayID(text));
    if (!screen) throw UsageError("display " + text + " is not listed");
    return *screen;
}

bool parseSwitch(const std::string& text, const std::string& what, const std::string& expected) {
    if (text == "on" || text == "true" || text == "1") return true;
    if (text == "off" || text == "false" || text == "0") return false;
    throw UsageError(what + ": \"" + text + "\" must be " + expected);
}

void requireArgs(const std::vector<std::string>& args, std::size_t count, const std::string& usage) {
    if (args.size() != count) throw UsageError("usage: --do \"" + usage + "\"");
}

HeadlessOptions parseHeadlessOptions(const std::vector<std::string>& args) {
    HeadlessOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= args.size()) throw UsageError(a + " needs a value");
            return args[++i];
        };
        if (a == "--headless") continue;
        if (a == "--scenario") options.scenario = value();
        else if (a == "--platform") options.platform = value();
        else if (a == "--home") options.home = value();
        else if (a == "--lang") options.lang = value();
        else if (a == "--until-signal") options.untilSignal = true;
        else if (a == "--json") options.json = true;
        else if (contains(kValueFlags, a)) options.actions.push_back({a, value()});
        else if (contains(kBareFlags, a)) options.actions.push_back({a, ""});
        else throw UsageError("unknown option \"" + a + "\"");
    }
    if (options.platform.empty()) {
        const char* env = std::getenv("VELVETPANE_PLATFORM");
        options.platform = env ? env : "";
    }
    if (!options.scenario.empty() && options.platform != "linux") options.platform = "sim";
    if (options.scenario.empty()) options.scenario = SimPlatform::defaultScenarioPath();
    return options;
}

HeadlessSession::HeadlessSession(Platform& platform, HeadlessHand& hand)
    : platform_(platform), hand_(hand), inspection_(dynamic_cast<Inspection*>(&platform)), context_(platform) {
    context_.install();
}

void HeadlessSession::start() {
    delegate_.applicationDidFinishLaunching();
    settle();
}

void HeadlessSession::settle() {
    hand_.settle();
}

void HeadlessSession::apply(const HeadlessAction& action) {
    auto it = flagRegistry().find(action.flag);
    if (it == flagRegistry().end()) throw UsageError(action.flag + " is not available in this build");
    it->second(*this, action.value);
    settle();
}

nlohmann::json HeadlessSession::state() {
    nlohmann::json state = nlohmann::json::object();
    addDisplayState(*this, state);
    addHardwareState(*this, state);
    addConfigState(*this, state);
    addInputState(*this, state);
    addLifecycleState(*this, state);
    return state;
}

int runHeadless(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool humanOutput,
                const RealBedMaker& makeRealBed) {
    HeadlessOptions options;
    try {
        options = parseHeadlessOptions(args);
    } catch (const UsageError& e) {
        err << "velvetpane: " << e.what() << "\n";
        return 2;
    }
    std::unique_ptr<HeadlessBed> bed;
    try {
        if (makeRealBed) bed = makeRealBed(options, err);
        else if (options.platform == "linux") throw UsageError("this build has no Linux platform");
        if (!bed) bed = std::make_unique<SimulatedBed>(options);
    } catch (const UsageError& e) {
        err << "velvetpane: " << e.what() << "\n";
        return 2;
    } catch (const std::runtime_error& e) {
        err << "velvetpane: scenario " << e.what() << "\n";
        return 2;
    }
    auto session = std::make_unique<HeadlessSession>(bed->platform(), *bed);
    session->context().log().setEcho(&err);
    if (options.untilSignal && !watchTerminationSignals(err)) return 1;
    session->start();
    const bool summary = humanOutput && !options.json && !options.untilSignal;
    nlohmann::json before = summary ? session->state() : nlohmann::json();
    for (const auto& action : options.actions) {
        try {
            session->apply(action);
        } catch (const UsageError& e) {
            err << "velvetpane: " << e.what() << "\n";
            return 2;
        }
    }
    if (options.untilSignal) {
        const int signal = terminateAtSignal(*session, out, err);
        // A platform puts back at its end what outlives the process (mutter's
        // configuration): it ends before the process does.
        session.reset();
        bed.reset();
        TerminationSignals::endBy(signal);
    }
    if (summary)
        out << headlessSummary(before, session->state(), std::filesystem::path(options.scenario).filename().string());
    else
        out << formatState(session->state());
    return 0;
}

}  // namespace vp
