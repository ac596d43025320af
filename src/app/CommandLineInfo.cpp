#include "app/CommandLineInfo.h"

#include <algorithm>
#include <ostream>

namespace vp {

std::string usageText() {
    return R"(Usage: velvetpane [OPTIONS] [velvetpane://URL…]
       velvetpane --headless [OPTIONS] [ACTIONS…]
       velvetpane --snapshots DIR

Brightness, colour and arrangement of every connected screen, from a tray icon.

Options:
  --scenario FILE   the simulated system to run (default: the shipped default.json)
  --home DIR        the user's home for settings and the log (default: settings in memory)
  --lang CODE       the interface language (pt, en, es, it, fr, de; default: the desktop's)
  --headless        run without an interface: apply the actions, print the state
  --json            headless: print the full state as JSON even on a terminal
  --snapshots DIR   draw pictures of the interface into DIR and exit
  --help            show this text and exit
  --version         show the version and exit

Headless actions, applied in command-line order:
  --do "OPERATION ARGS…"   call a manager operation, e.g. --do "setBrightness 2 0.5"
  --key NAME[+option][+shift][:up]   a brightness or sound key event
  --url URL                hand a velvetpane:// URL to the program
  --terminate              run the quit sequence before printing the state
  --until-signal           wait for SIGINT or SIGTERM, then quit and print

URLs: velvetpane://brightness?value=40 and the other commands of the URL scheme
reach the running instance; a second start hands them over and exits.

See velvetpane(1) for the operations, the URL scheme and the files used.
)";
}

std::string versionText() {
    return std::string("velvetpane ") + VELVETPANE_VERSION + "\n";
}

std::optional<int> answerInfoOption(const std::vector<std::string>& args, std::ostream& out) {
    static const std::vector<std::string> valueOptions = {"--scenario", "--home", "--lang", "--snapshots",
                                                          "--do",       "--key",  "--url"};
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        // The word after a value option is its value, never a request for help.
        if (std::find(valueOptions.begin(), valueOptions.end(), a) != valueOptions.end()) {
            ++i;
            continue;
        }
        if (a == "--help" || a == "-h") {
            out << usageText();
            return 0;
        }
        if (a == "--version") {
            out << versionText();
            return 0;
        }
    }
    return std::nullopt;
}

}  // namespace vp
