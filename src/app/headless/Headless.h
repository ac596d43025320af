#pragma once
// The program without a user interface: it starts the manager on the
// simulated platform in virtual time, applies the actions given on the
// command line in order (running the main queue until idle after each) and
// prints the state as one JSON object.

#include "app/AppContext.h"
#include "app/AppDelegate.h"
#include "platform/sim/SimPlatform.h"

#include <nlohmann/json.hpp>

#include <functional>
#include <iosfwd>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace vp {

// A bad command line: printed on standard error, exit status 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct HeadlessAction {
    std::string flag;   // "--do", "--url", "--key", "--terminate"
    std::string value;  // empty for flags without a value
};

struct HeadlessOptions {
    std::string scenario;
    std::string home;
    std::string lang;
    std::vector<HeadlessAction> actions;
    bool untilSignal = false;  // after the actions, wait for SIGINT/SIGTERM
    bool json = false;         // the full JSON state even on a terminal
};

// Throws UsageError.
HeadlessOptions parseHeadlessOptions(const std::vector<std::string>& args);

class HeadlessSession {
public:
    explicit HeadlessSession(const HeadlessOptions& options);
    SimPlatform& platform() { return platform_; }
    AppContext& context() { return context_; }
    AppDelegate& delegate() { return delegate_; }
    void start();
    void settle();
    // Throws UsageError for an unknown flag or operation or a bad argument.
    void apply(const HeadlessAction& action);
    nlohmann::json state();

private:
    SimPlatform platform_;
    AppContext context_;
    AppDelegate delegate_{context_};
};

// Operations of --do, by name; each takes the words after the name.
using DoHandler = std::function<void(HeadlessSession&, const std::vector<std::string>&)>;
using DoRegistry = std::map<std::string, DoHandler>;
// Flags that act on the session (--url, --key, --terminate, …).
using FlagHandler = std::function<void(HeadlessSession&, const std::string&)>;
using FlagRegistry = std::map<std::string, FlagHandler>;

// Each subsystem adds its operations, flags and state here.
void registerDisplayCommands(DoRegistry& registry);
void addDisplayState(HeadlessSession& session, nlohmann::json& state);
void registerBrightnessCommands(DoRegistry& registry);
void addHardwareState(HeadlessSession& session, nlohmann::json& state);
void registerConfigCommands(DoRegistry& registry);
void addConfigState(HeadlessSession& session, nlohmann::json& state);
void registerInputCommands(DoRegistry& registry);
void registerInputFlags(FlagRegistry& registry);
void addInputState(HeadlessSession& session, nlohmann::json& state);
// "<name>[+option][+shift][:up]" as the simulated tap receives it.
KeyEvent parseKeyArgument(const std::string& argument);
void registerLifecycleFlags(FlagRegistry& registry);
void registerLifecycleCommands(DoRegistry& registry);
void addLifecycleState(HeadlessSession& session, nlohmann::json& state);
// --until-signal: SIGINT and SIGTERM are watched from before the start; at
// the first one the termination sequence runs on the main queue, the state
// is printed and the process ends by that signal.
bool watchTerminationSignals(std::ostream& err);
[[noreturn]] void endAtTerminationSignal(HeadlessSession& session, std::ostream& out, std::ostream& err);

// Argument helpers for handlers; they throw UsageError with a clear message.
double parseNumber(const std::string& text, const std::string& what);
std::uint32_t parseDisplayID(const std::string& text);
bool parseSwitch(const std::string& text, const std::string& what);
void requireArgs(const std::vector<std::string>& args, std::size_t count, const std::string& usage);

// The state as printed: numbers rounded to what they mean, members unchanged.
nlohmann::json roundedState(const nlohmann::json& state);
std::string formatState(const nlohmann::json& state);
// For a person at a terminal: the screens, what the actions changed between
// the two states, and the last error.
std::string headlessSummary(const nlohmann::json& before, const nlohmann::json& after, const std::string& scenario);

// With humanOutput (standard output is a terminal) and without --json, a
// short summary is printed instead of the JSON state.
int runHeadless(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool humanOutput = false);

}  // namespace vp
