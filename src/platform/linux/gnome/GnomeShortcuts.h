#pragma once
// GNOME owns the brightness keys (its settings daemon takes them) and has no
// way for a program to ask for global shortcuts. What we can do is what the
// user could do in GNOME Settings: add custom shortcuts that run a command.
// These are ours by their settings path, so they can be listed and removed
// again without touching the user's own shortcuts.

#include <map>
#include <string>
#include <vector>

namespace vp::gnome {

struct CustomShortcut {
    std::string name;     // as GNOME Settings lists it
    std::string command;  // run by GNOME when the keys are pressed
    std::string binding;  // e.g. "<Control><Super>Up"
    bool operator==(const CustomShortcut&) const = default;
};

class GnomeShortcuts {
public:
    // `environment`: extra variables for the settings tool (a test's own
    // settings store); none for the user's.
    explicit GnomeShortcuts(std::map<std::string, std::string> environment = {});

    // Whether GNOME's custom shortcuts exist here (its settings schema).
    bool available();
    // Ours, as GNOME keeps them.
    std::vector<CustomShortcut> ours();
    // Replaces ours with these; the user's own stay. False, with why, when
    // the settings could not be written.
    bool install(const std::vector<CustomShortcut>& shortcuts, std::string& why);
    bool remove(std::string& why);

private:
    bool run(const std::vector<std::string>& args, std::string& output);
    std::vector<std::string> paths();
    bool setPaths(const std::vector<std::string>& paths, std::string& why);

    std::map<std::string, std::string> environment_;
};

// GVariant text of a string list ("['a', 'b']", "@as []") and of one string.
std::vector<std::string> parseStringList(const std::string& text);
std::string quoteString(const std::string& text);
std::string formatStringList(const std::vector<std::string>& items);
std::string parseString(const std::string& text);

// The command that sends a URL to the running program.
std::string urlCommand(const std::string& program, const std::string& url);

}  // namespace vp::gnome
