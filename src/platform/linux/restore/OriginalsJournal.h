#pragma once
// A record on disk of how each display was before this program first changed
// it, so that the change can be undone even when the program never gets to
// undo it itself (killed, crashed, power lost). Back-end neutral: a back-end
// files each original under a display key and a section ("layout", "gamma")
// in a form it reads back itself.
//
// The rule that makes it safe: an original is recorded once, before the
// first change, and written to disk before the change is made; later changes
// never overwrite it. A start that finds a record puts the originals back
// before capturing anything, so a tint left by a crashed run is never taken
// for the original.
//
// One file per display server, guarded by a lock held for the life of the
// journal: a second instance does not own the record and neither restores
// nor records.

#include <nlohmann/json.hpp>

#include <filesystem>
#include <optional>
#include <string>

namespace vp {

struct JournalIdentity {
    std::string machine;  // the machine's id: a home folder may be shared
    std::string server;   // the display server the originals belong to
    bool operator==(const JournalIdentity&) const = default;
};

class OriginalsJournal {
public:
    OriginalsJournal(std::filesystem::path file, JournalIdentity identity);
    ~OriginalsJournal();
    OriginalsJournal(const OriginalsJournal&) = delete;
    OriginalsJournal& operator=(const OriginalsJournal&) = delete;

    // $XDG_STATE_HOME/velvetpane, or ~/.local/state/velvetpane.
    static std::filesystem::path stateDirectory();
    // This machine's id (/etc/machine-id), or its host name.
    static std::string machineId();

    // Takes the lock and reads what a previous run left. False when another
    // instance holds the lock.
    bool open();
    bool owned() const { return lockFd_ >= 0; }

    // Originals a previous run of this machine and server left behind, by
    // display key then section. A record from another machine or server is
    // not returned (and `discarded()` says why); it is dropped by clear().
    const nlohmann::json& leftovers() const { return leftovers_; }
    const std::string& discarded() const { return discarded_; }

    // Records an original unless one is already there. Returns false when
    // it could not be written: the caller must not make the change then.
    bool record(const std::string& display, const std::string& section, nlohmann::json original);
    bool has(const std::string& display, const std::string& section) const;
    std::optional<nlohmann::json> original(const std::string& display, const std::string& section) const;
    // Drops an original (restored, or the change made permanent). The file
    // goes when the last one does.
    void forget(const std::string& display, const std::string& section);
    const nlohmann::json& current() const { return entries_; }
    // Removes every original, leftovers included.
    void clear();

    const std::filesystem::path& file() const { return file_; }

private:
    bool write();
    void readLeftovers();

    std::filesystem::path file_;
    JournalIdentity identity_;
    int lockFd_ = -1;
    nlohmann::json entries_ = nlohmann::json::object();
    nlohmann::json leftovers_ = nlohmann::json::object();
    std::string discarded_;
};

}  // namespace vp
