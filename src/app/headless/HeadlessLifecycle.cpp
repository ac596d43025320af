#include "app/headless/Headless.h"

#include "app/TerminationSignals.h"

#include "display/DisplayManager.h"
#include "overlay/ColorProfiles.h"

#include <csignal>
#include <ostream>

namespace vp {

void registerLifecycleFlags(FlagRegistry& r) {
    r["--url"] = [](HeadlessSession& session, const std::string& url) { session.delegate().applicationOpenURLs({url}); };
    r["--terminate"] = [](HeadlessSession& session, const std::string&) {
        session.delegate().applicationWillTerminate();
    };
}

void registerLifecycleCommands(DoRegistry& r) {
    r["setXDR"] = [](HeadlessSession& session, const std::vector<std::string>& args) {
        requireArgs(args, 2, "setXDR <id> <level>");
        session.context().displayManager().setXDR(listedScreen(session, args[0]), parseNumber(args[1], "level"));
    };
    r["setColorProfile"] = [](HeadlessSession& session, const std::vector<std::string>& args) {
        requireArgs(args, 2, "setColorProfile <id> <path|none>");
        std::optional<std::string> path;
        if (args[1] != "none") path = args[1];
        session.context().displayManager().setColorProfile(listedScreen(session, args[0]), path);
    };
}

void addLifecycleState(HeadlessSession& session, nlohmann::json& state) {
    DisplayManager& manager = session.context().displayManager();
    nlohmann::json& profiles = state["iccProfiles"];
    profiles = nlohmann::json::object();
    for (const Screen& screen : manager.state().screens) {
        nlohmann::json& list = profiles[std::to_string(screen.id)];
        list = nlohmann::json::array();
        for (const ICCProfile& p : manager.iccProfiles(screen.id)) list.push_back({{"name", p.name}, {"path", p.path}});
    }
    state["terminated"] = session.delegate().hasTerminated();
}

int HeadlessHand::waitForSignal() {
    return TerminationSignals::wait();
}

bool watchTerminationSignals(std::ostream& err) {
    if (TerminationSignals::install()) return true;
    err << "velvetpane: SIGINT, SIGTERM and SIGHUP cannot be watched\n";
    return false;
}

int terminateAtSignal(HeadlessSession& session, std::ostream& out, std::ostream& err) {
    err << "velvetpane: running until SIGINT, SIGTERM or SIGHUP\n" << std::flush;
    int signal = session.hand().waitForSignal();
    // Said before restoring, so that whoever sent it knows which signal the
    // program took: the one it will end by.
    const char* name = signal == SIGTERM ? "SIGTERM" : signal == SIGHUP ? "SIGHUP" : "SIGINT";
    err << "velvetpane: " << name << " taken, restoring the screens\n" << std::flush;
    session.platform().runtime().main.post([&session] { session.delegate().applicationWillTerminate(); });
    session.settle();
    out << formatState(session.state()) << std::flush;
    return signal;
}

}  // namespace vp
