#include "app/headless/Headless.h"

#include "app/TerminationSignals.h"

#include "display/DisplayManager.h"
#include "overlay/ColorProfiles.h"
#include "overlay/XDR.h"

#include <csignal>
#include <ostream>

namespace vp {

namespace {

Screen screenByID(HeadlessSession& session, const std::string& text) {
    auto screen = session.context().displayManager().screen(parseDisplayID(text));
    if (!screen) throw UsageError("no screen with display id " + text);
    return *screen;
}

nlohmann::json orNull(const std::optional<double>& value) {
    return value ? nlohmann::json(*value) : nlohmann::json(nullptr);
}

}  // namespace

void registerLifecycleFlags(FlagRegistry& r) {
    r["--url"] = [](HeadlessSession& session, const std::string& url) { session.delegate().applicationOpenURLs({url}); };
    r["--terminate"] = [](HeadlessSession& session, const std::string&) {
        session.delegate().applicationWillTerminate();
    };
}

void registerLifecycleCommands(DoRegistry& r) {
    r["setXDR"] = [](HeadlessSession& session, const std::vector<std::string>& args) {
        requireArgs(args, 2, "setXDR <id> <level>");
        session.context().displayManager().setXDR(screenByID(session, args[0]), parseNumber(args[1], "level"));
    };
    r["setColorProfile"] = [](HeadlessSession& session, const std::vector<std::string>& args) {
        requireArgs(args, 2, "setColorProfile <id> <path|none>");
        std::optional<std::string> path;
        if (args[1] != "none") path = args[1];
        session.context().displayManager().setColorProfile(screenByID(session, args[0]), path);
    };
}

void addLifecycleState(HeadlessSession& session, nlohmann::json& state) {
    SimPlatform& platform = session.platform();
    XDR& xdr = session.context().xdr();
    nlohmann::json& hardware = state["hardware"];
    for (const SimDisplay& d : platform.simDisplays.all()) {
        nlohmann::json& entry = hardware[std::to_string(d.id)];
        entry["xdr"] = orNull(xdr.factor(d.id));
        auto assigned = d.uuid ? platform.simSystem.profileAssignments.find(*d.uuid)
                               : platform.simSystem.profileAssignments.end();
        entry["profile"] = assigned == platform.simSystem.profileAssignments.end() ? nlohmann::json(nullptr)
                                                                                   : nlohmann::json(assigned->second);
        entry["colorSpace"] = platform.simSystem.colorSpaceName(d.uuid);
    }
    nlohmann::json profiles = nlohmann::json::array();
    for (const ICCProfile& p : session.context().displayManager().iccProfiles())
        profiles.push_back({{"name", p.name}, {"path", p.path}});
    state["iccProfiles"] = profiles;
    state["terminated"] = session.delegate().hasTerminated();
}

bool watchTerminationSignals(std::ostream& err) {
    if (TerminationSignals::install()) return true;
    err << "velvetpane: SIGINT and SIGTERM cannot be watched\n";
    return false;
}

void endAtTerminationSignal(HeadlessSession& session, std::ostream& out, std::ostream& err) {
    err << "velvetpane: running until SIGINT or SIGTERM\n" << std::flush;
    int signal = TerminationSignals::wait();
    // Said before restoring, so that whoever sent it knows which signal the
    // program took: the one it will end by.
    err << "velvetpane: " << (signal == SIGTERM ? "SIGTERM" : "SIGINT") << " taken, restoring the screens\n"
        << std::flush;
    session.platform().mainQueue.post([&session] { session.delegate().applicationWillTerminate(); });
    session.settle();
    out << formatState(session.state()) << std::flush;
    TerminationSignals::endBy(signal);
}

}  // namespace vp
