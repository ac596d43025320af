#pragma once
// The program without a user interface: it starts the manager on a
// platform (the simulated one, in virtual time, unless told otherwise),
// applies the actions given on the command line in order (running what is
// due until idle after each) and prints the state as one JSON object.

#include "app/AppContext.h"
#include "app/AppDelegate.h"
#include "display/Screen.h"
#include "platform/Inspection.h"
#include "platform/Platform.h"

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
    // "auto", "sim" or "linux" (--platform, else VELVETPANE_PLATFORM); a
    // scenario given on the command line is a simulated system, so it
    // implies "sim".
    std::string platform;
    std::string scenario;
    std::string home;
    std::string lang;
    std::vector<HeadlessAction> actions;
    bool untilSignal = false;  // after the actions, wait for SIGINT/SIGTERM/SIGHUP
    bool json = false;         // the full JSON state even on a terminal
};

// Throws UsageError.
HeadlessOptions parseHeadlessOptions(const std::vector<std::string>& args);

// What headless mode needs beyond the seam: a way to run what is due until
// nothing is left, and a hand that plays the user.
class HeadlessHand {
public:
    virtual ~HeadlessHand() = default;
    virtual void settle() = 0;
    // Waits for SIGINT, SIGTERM or SIGHUP and gives its number. A system
    // that runs in real time keeps running what comes due meanwhile (key
    // presses, the HUD's fading, the desktop's changes); by default nothing
    // runs until the signal.
    virtual int waitForSignal();
    // The user's gestures; each throws UsageError where the system cannot
    // be played.
    virtual void pressKey(const KeyEvent& event) = 0;
    virtual void grantKeysPermission() = 0;
};

// The system a headless run drives: its platform and the hand on it.
class HeadlessBed : public HeadlessHand {
public:
    virtual Platform& platform() = 0;
};

class HeadlessSession {
public:
    HeadlessSession(Platform& platform, HeadlessHand& hand);
    Platform& platform() { return platform_; }
    // What the test bed shows of the hardware; null on a platform that
    // cannot be inspected.
    Inspection* inspection() { return inspection_; }
    HeadlessHand& hand() { return hand_; }
    AppContext& context() { return context_; }
    AppDelegate& delegate() { return delegate_; }
    void start();
    void settle();
    // Throws UsageError for an unknown flag or operation or a bad argument.
    void apply(const HeadlessAction& action);
    nlohmann::json state();

private:
    Platform& platform_;
    HeadlessHand& hand_;
    Inspection* inspection_;
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
// Per display: what the test bed shows of it, when the platform can be
// inspected, and the extra brightness the core gives it; without an
// inspection, per screen the manager lists.
void addHardwareState(HeadlessSession& session, nlohmann::json& state);
void registerConfigCommands(DoRegistry& registry);
void addConfigState(HeadlessSession& session, nlohmann::json& state);
void registerInputCommands(DoRegistry& registry);
void registerInputFlags(FlagRegistry& registry);
void addInputState(HeadlessSession& session, nlohmann::json& state);
// "<name>[+option][+shift][:up]" as the platform reports it.
KeyEvent parseKeyArgument(const std::string& argument);
void registerLifecycleFlags(FlagRegistry& registry);
void registerLifecycleCommands(DoRegistry& registry);
void addLifecycleState(HeadlessSession& session, nlohmann::json& state);
// --until-signal: SIGINT, SIGTERM and SIGHUP are watched from before the start; at
// the first one the termination sequence runs on the main queue and the
// state is printed; the signal taken is returned, for the process to end by
// once the platform has ended too.
bool watchTerminationSignals(std::ostream& err);
int terminateAtSignal(HeadlessSession& session, std::ostream& out, std::ostream& err);

// Argument helpers for handlers; they throw UsageError with a clear message.
double parseNumber(const std::string& text, const std::string& what);
std::uint32_t parseDisplayID(const std::string& text);
// A display id the manager lists (switched-off screens included).
Screen listedScreen(HeadlessSession& session, const std::string& text);
// Takes on/off, true/false and 1/0 alike; `expected` names the pair the
// operation's usage shows, for the message.
bool parseSwitch(const std::string& text, const std::string& what, const std::string& expected = "on or off");
void requireArgs(const std::vector<std::string>& args, std::size_t count, const std::string& usage);

// The state as printed: numbers rounded to what they mean, members unchanged.
nlohmann::json roundedState(const nlohmann::json& state);
std::string formatState(const nlohmann::json& state);
// For a person at a terminal: the screens, what the actions changed between
// the two states, and the last error.
std::string headlessSummary(const nlohmann::json& before, const nlohmann::json& after, const std::string& scenario);

// Makes the bed of a real platform for the options, or null for the
// simulated one; says on `err` which platform it chose. Throws UsageError
// for a platform that cannot be had.
using RealBedMaker = std::function<std::unique_ptr<HeadlessBed>(const HeadlessOptions&, std::ostream& err)>;

// With humanOutput (standard output is a terminal) and without --json, a
// short summary is printed instead of the JSON state. Without a maker only
// the simulated platform is there.
int runHeadless(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool humanOutput = false,
                const RealBedMaker& makeRealBed = {});

}  // namespace vp
