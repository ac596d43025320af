#include "platform/linux/restore/OriginalsJournal.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vp {

namespace {

constexpr int kFormat = 1;

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) return false;
        done += std::size_t(n);
    }
    return true;
}

void syncDirectory(const std::filesystem::path& dir) {
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// Writes beside the file and renames over it: a reader (the next start,
// after a crash mid-write) sees the old record or the new one, never half.
bool replaceAtomically(const std::filesystem::path& file, const std::string& bytes) {
    std::filesystem::path temp = file;
    temp += ".tmp";
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    bool ok = writeAll(fd, bytes) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok) ok = ::rename(temp.c_str(), file.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    syncDirectory(file.parent_path());
    return true;
}

}  // namespace

OriginalsJournal::OriginalsJournal(std::filesystem::path file, JournalIdentity identity)
    : file_(std::move(file)), identity_(std::move(identity)) {}

OriginalsJournal::~OriginalsJournal() {
    if (lockFd_ >= 0) ::close(lockFd_);
}

std::filesystem::path OriginalsJournal::stateDirectory() {
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state == '/')
        return std::filesystem::path(state) / "velvetpane";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : "/tmp") / ".local/state/velvetpane";
}

std::string OriginalsJournal::machineId() {
    std::ifstream in("/etc/machine-id");
    std::string id;
    if (in >> id && !id.empty()) return id;
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    return host;
}

bool OriginalsJournal::open() {
    if (lockFd_ >= 0) return true;
    std::error_code ec;
    std::filesystem::create_directories(file_.parent_path(), ec);
    std::filesystem::path lock = file_;
    lock += ".lock";
    int fd = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    lockFd_ = fd;
    readLeftovers();
    return true;
}

void OriginalsJournal::readLeftovers() {
    std::ifstream in(file_, std::ios::binary);
    if (!in) return;
    std::stringstream text;
    text << in.rdbuf();
    auto j = nlohmann::json::parse(text.str(), nullptr, false);
    if (j.is_discarded() || !j.is_object() || j.value("format", 0) != kFormat || !j.contains("displays") ||
        !j["displays"].is_object()) {
        discarded_ = "the record of originals is unreadable";
        return;
    }
    JournalIdentity from{j.value("machine", ""), j.value("server", "")};
    if (from.machine != identity_.machine) {
        discarded_ = "the record of originals belongs to another machine";
        return;
    }
    if (from.server != identity_.server) {
        discarded_ = "the record of originals belongs to display server " + from.server;
        return;
    }
    leftovers_ = j["displays"];
}

bool OriginalsJournal::write() {
    if (entries_.empty()) {
        std::error_code ec;
        std::filesystem::remove(file_, ec);
        return !ec;
    }
    nlohmann::json j = {{"format", kFormat},
                        {"machine", identity_.machine},
                        {"server", identity_.server},
                        {"displays", entries_}};
    return replaceAtomically(file_, j.dump());
}

bool OriginalsJournal::record(const std::string& display, const std::string& section, nlohmann::json original) {
    if (!owned()) return false;
    if (has(display, section)) return true;
    entries_[display][section] = std::move(original);
    if (write()) return true;
    entries_[display].erase(section);
    if (entries_[display].empty()) entries_.erase(display);
    return false;
}

bool OriginalsJournal::has(const std::string& display, const std::string& section) const {
    return entries_.contains(display) && entries_[display].contains(section);
}

std::optional<nlohmann::json> OriginalsJournal::original(const std::string& display,
                                                         const std::string& section) const {
    if (!has(display, section)) return std::nullopt;
    return entries_[display][section];
}

void OriginalsJournal::forget(const std::string& display, const std::string& section) {
    if (!owned() || !has(display, section)) return;
    entries_[display].erase(section);
    if (entries_[display].empty()) entries_.erase(display);
    write();
}

void OriginalsJournal::clear() {
    if (!owned()) return;
    entries_ = nlohmann::json::object();
    leftovers_ = nlohmann::json::object();
    discarded_.clear();
    write();
}

}  // namespace vp
