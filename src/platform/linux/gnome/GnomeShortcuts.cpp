#include "platform/linux/gnome/GnomeShortcuts.h"

#include <algorithm>

#include <unistd.h>

extern char** environ;

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vp::gnome {

namespace {

constexpr const char* kSchema = "org.gnome.settings-daemon.plugins.media-keys";
constexpr const char* kListKey = "custom-keybindings";
constexpr const char* kEntrySchema = "org.gnome.settings-daemon.plugins.media-keys.custom-keybinding";
constexpr const char* kBase = "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/";
constexpr const char* kOurPrefix = "velvetpane-";

std::string ourPath(std::size_t index) {
    return std::string(kBase) + kOurPrefix + std::to_string(index) + "/";
}

bool isOurs(const std::string& path) {
    return path.rfind(std::string(kBase) + kOurPrefix, 0) == 0;
}

std::string entry(const std::string& path) {
    return std::string(kEntrySchema) + ":" + path;
}

}  // namespace

std::string quoteString(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'' || c == '\\') out += '\\';
        out += c;
    }
    return out + "'";
}

std::string formatStringList(const std::vector<std::string>& items) {
    if (items.empty()) return "@as []";
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i) out += (i ? ", " : "") + quoteString(items[i]);
    return out + "]";
}

// Reads the quoted strings of a GVariant text, in order; quotes may be
// single or double, with backslash escapes.
std::vector<std::string> parseStringList(const std::string& text) {
    std::vector<std::string> items;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char quote = text[i];
        if (quote != '\'' && quote != '"') continue;
        std::string item;
        for (++i; i < text.size() && text[i] != quote; ++i) {
            if (text[i] == '\\' && i + 1 < text.size()) ++i;
            item += text[i];
        }
        items.push_back(item);
    }
    return items;
}

std::string parseString(const std::string& text) {
    auto items = parseStringList(text);
    return items.empty() ? std::string() : items.front();
}

std::string urlCommand(const std::string& program, const std::string& url) {
    // GNOME splits the command as a shell would: quote both parts.
    auto shellQuote = [](const std::string& s) {
        std::string out = "'";
        for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return out + "'";
    };
    return shellQuote(program) + " " + shellQuote(url);
}

GnomeShortcuts::GnomeShortcuts(std::map<std::string, std::string> environment)
    : environment_(std::move(environment)) {}

bool GnomeShortcuts::run(const std::vector<std::string>& args, std::string& output) {
    // Everything the child needs is made before the fork: between fork and
    // exec a threaded program may only make async-signal-safe calls.
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        std::string item = *e;
        if (!environment_.contains(item.substr(0, item.find('=')))) env.push_back(item);
    }
    for (const auto& [name, value] : environment_) env.push_back(name + "=" + value);
    std::vector<char*> envp, argv;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string program = "gsettings";
    argv.push_back(program.data());
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return false;
    int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        if (null >= 0) ::dup2(null, STDERR_FILENO);
        ::execvpe("gsettings", argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    if (null >= 0) ::close(null);
    if (pid < 0) {
        ::close(pipeFds[0]);
        return false;
    }
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0) output.append(buffer, std::size_t(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool GnomeShortcuts::available() {
    std::string out;
    return run({"list-keys", kSchema}, out) && out.find(kListKey) != std::string::npos;
}

std::vector<std::string> GnomeShortcuts::paths() {
    std::string out;
    if (!run({"get", kSchema, kListKey}, out)) return {};
    return parseStringList(out);
}

bool GnomeShortcuts::setPaths(const std::vector<std::string>& paths, std::string& why) {
    std::string out;
    if (run({"set", kSchema, kListKey, formatStringList(paths)}, out)) return true;
    why = "GNOME's shortcut settings could not be written";
    return false;
}

std::vector<CustomShortcut> GnomeShortcuts::ours() {
    std::vector<CustomShortcut> list;
    for (const auto& path : paths()) {
        if (!isOurs(path)) continue;
        CustomShortcut s;
        std::string out;
        if (run({"get", entry(path), "name"}, out)) s.name = parseString(out);
        out.clear();
        if (run({"get", entry(path), "command"}, out)) s.command = parseString(out);
        out.clear();
        if (run({"get", entry(path), "binding"}, out)) s.binding = parseString(out);
        list.push_back(s);
    }
    return list;
}

bool GnomeShortcuts::install(const std::vector<CustomShortcut>& shortcuts, std::string& why) {
    if (!remove(why)) return false;
    std::vector<std::string> list = paths();
    for (std::size_t i = 0; i < shortcuts.size(); ++i) {
        std::string path = ourPath(i), out;
        const auto& s = shortcuts[i];
        bool ok = run({"set", entry(path), "name", quoteString(s.name)}, out) &&
                  run({"set", entry(path), "command", quoteString(s.command)}, out) &&
                  run({"set", entry(path), "binding", quoteString(s.binding)}, out);
        if (!ok) {
            why = "GNOME's shortcut settings could not be written";
            return false;
        }
        list.push_back(path);
    }
    return setPaths(list, why);
}

bool GnomeShortcuts::remove(std::string& why) {
    std::vector<std::string> list = paths(), kept;
    for (const auto& path : list) {
        if (!isOurs(path)) {
            kept.push_back(path);
            continue;
        }
        std::string out;
        for (const char* key : {"name", "command", "binding"}) run({"reset", entry(path), key}, out);
    }
    return kept.size() == list.size() || setPaths(kept, why);
}

}  // namespace vp::gnome
