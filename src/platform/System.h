#pragma once
// User defaults, locations, languages, login item and the system's own
// settings panes.

#include "platform/Types.h"

#include <functional>

namespace vp {

// The user's defaults: a flat store of values by key. Data values hold raw
// bytes (JSON text); booleans are their own type.
class Defaults {
public:
    virtual ~Defaults() = default;
    virtual bool hasObject(const std::string& key) const = 0;
    virtual std::optional<std::string> data(const std::string& key) const = 0;
    // none when the key is missing or does not hold a boolean
    virtual std::optional<bool> boolean(const std::string& key) const = 0;
    virtual void setData(const std::string& key, const std::string& bytes) = 0;
    virtual void setBool(const std::string& key, bool value) = 0;
    virtual void remove(const std::string& key) = 0;
    // Problems with the stored settings (a file that could not be read,
    // settings that cannot be kept), each handed to the handler once; those
    // found before a handler is set reach it when it is set.
    virtual void setProblemHandler(std::function<void(const std::string&)> handler) = 0;
    // Called before a stored value that could not be read in full is
    // overwritten: keeps a copy of the stored settings as they are now and
    // reports `what`, with where the copy is, as a problem.
    virtual void keepAside(const std::string& what) = 0;
};

// The panes of the system's own settings the program sends the user to.
enum class SettingsPane {
    accessibility,  // where the program is allowed to receive brightness and volume keys
    screenCapture,  // where the program is allowed to capture the screen
    displays,       // the system's display settings
};

class SystemServices {
public:
    virtual ~SystemServices() = default;
    virtual Defaults& defaults() = 0;
    virtual std::vector<std::string> preferredLanguages() = 0;
    // Where the log file lives, and how to show that location to the user.
    virtual std::string logFilePath() = 0;
    virtual std::string logFileDisplayPath() = 0;
    virtual std::int64_t processID() = 0;

    virtual bool loginItemEnabled() = 0;
    virtual bool setLoginItemEnabled(bool on) = 0;
    // A system may lack a pane; the interface then offers no way to it.
    virtual bool hasSettingsPane(SettingsPane pane) = 0;
    // Opens the pane; false when the system lacks it or cannot open it.
    virtual bool openSettingsPane(SettingsPane pane) = 0;
};

}  // namespace vp
