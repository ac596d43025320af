#include "platform/FileDefaults.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace vp {

bool MemoryDefaults::hasObject(const std::string& key) const {
    std::lock_guard lock(mutex_);
    return store_.contains(key);
}

std::optional<std::string> MemoryDefaults::data(const std::string& key) const {
    std::lock_guard lock(mutex_);
    if (!store_.contains(key)) return std::nullopt;
    const auto& entry = store_[key];
    if (entry.contains("data") && entry["data"].is_string()) return entry["data"].get<std::string>();
    return std::nullopt;
}

std::optional<bool> MemoryDefaults::boolean(const std::string& key) const {
    std::lock_guard lock(mutex_);
    if (!store_.contains(key)) return std::nullopt;
    const auto& entry = store_[key];
    if (entry.contains("bool") && entry["bool"].is_boolean()) return entry["bool"].get<bool>();
    return std::nullopt;
}

void MemoryDefaults::setData(const std::string& key, const std::string& bytes) {
    {
        std::lock_guard lock(mutex_);
        store_[key] = {{"data", bytes}};
    }
    persist();
}

void MemoryDefaults::setBool(const std::string& key, bool value) {
    {
        std::lock_guard lock(mutex_);
        store_[key] = {{"bool", value}};
    }
    persist();
}

void MemoryDefaults::setRaw(const std::string& key, nlohmann::json value) {
    {
        std::lock_guard lock(mutex_);
        store_[key] = {{"raw", std::move(value)}};
    }
    persist();
}

void MemoryDefaults::remove(const std::string& key) {
    {
        std::lock_guard lock(mutex_);
        store_.erase(key);
    }
    persist();
}

nlohmann::json MemoryDefaults::snapshot() const {
    std::lock_guard lock(mutex_);
    return store_;
}

bool writeFileAtomically(const std::string& path, const std::string& bytes) {
    static std::atomic<unsigned> serial{0};
    std::string temp = path + ".tmp." + std::to_string(::getpid()) + "." + std::to_string(serial++);
    FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fflush(f) == 0 && ok;
    ok = ::fsync(fileno(f)) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

namespace {

enum class Read { ok, missing, failed };

struct FileText {
    Read result = Read::ok;
    std::string text;
    int error = 0;
};

FileText readWhole(const std::string& path) {
    // Non-blocking, so that a FIFO in place of the file cannot hang the start.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return {errno == ENOENT || errno == ENOTDIR ? Read::missing : Read::failed, {}, errno};
    FileText file;
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) file = {Read::failed, {}, errno};
        if (n <= 0) break;
        file.text.append(buffer, std::size_t(n));
    }
    ::close(fd);
    return file;
}

std::string utcStamp() {
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    ::gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &utc);
    return text;
}

std::string whyNotSettings(const std::string& text) {
    if (text.find_first_not_of(" \t\r\n") == std::string::npos) return "it is empty";
    auto parsed = nlohmann::json::parse(text, nullptr, false);
    return parsed.is_discarded() ? "it is not valid JSON" : "it does not hold a JSON object";
}

}  // namespace

void MemoryDefaults::setProblemHandler(std::function<void(const std::string&)> handler) {
    std::lock_guard lock(problemMutex_);
    problemHandler_ = std::move(handler);
    if (!problemHandler_) return;
    for (const std::string& problem : unreported_) problemHandler_(problem);
    unreported_.clear();
}

void MemoryDefaults::report(const std::string& problem) {
    std::lock_guard lock(problemMutex_);
    if (problemHandler_) problemHandler_(problem);
    else unreported_.push_back(problem);
}

void MemoryDefaults::keepAside(const std::string& what) {
    report(what);
}

FileDefaults::FileDefaults(std::string path) : path_(std::move(path)) {
    load();
}

void FileDefaults::load() {
    FileText file = readWhole(path_);
    if (file.result == Read::missing) return;
    if (file.result == Read::failed) {
        writable_ = false;
        report("the settings file " + path_ + " cannot be read (" + std::strerror(file.error) +
               "): it is left as it is, and settings changed now will not be kept");
        return;
    }
    auto parsed = nlohmann::json::parse(file.text, nullptr, false);
    if (parsed.is_object()) {
        store_ = std::move(parsed);
        return;
    }
    const std::string why = whyNotSettings(file.text);
    const std::string aside = asideName();
    std::error_code ec;
    std::filesystem::rename(path_, aside, ec);
    if (ec) {
        writable_ = false;
        report("the settings file " + path_ + " cannot be used (" + why + ") nor moved aside (" + ec.message() +
               "): it is left as it is, and settings changed now will not be kept");
        return;
    }
    report("the settings file " + path_ + " cannot be used (" + why + "): it was moved to " + aside +
           " and the settings start from their defaults");
}

std::string FileDefaults::asideName() const {
    const std::string base = path_ + ".bad-" + utcStamp();
    std::string name = base;
    std::error_code ec;
    for (int n = 2; std::filesystem::exists(std::filesystem::symlink_status(name, ec)); ++n)
        name = base + "-" + std::to_string(n);
    return name;
}

void FileDefaults::keepAside(const std::string& what) {
    std::lock_guard writing(writeMutex_);
    FileText file = readWhole(path_);
    if (file.result == Read::missing || !writable_) {
        report(what);
        return;
    }
    const std::string aside = asideName();
    if (file.result == Read::ok && writeFileAtomically(aside, file.text)) {
        report(what + "; the settings file as it was is kept as " + aside);
        return;
    }
    writable_ = false;
    report(what + "; the settings file could not be copied aside, so settings changed now will not be kept");
}

void FileDefaults::persist() {
    std::lock_guard writing(writeMutex_);
    if (!writable_) return;
    std::string text;
    {
        std::lock_guard lock(mutex_);
        text = store_.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
    }
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), ec);
    if (writeFileAtomically(path_, text + "\n") || writeFailureReported_) return;
    writeFailureReported_ = true;
    report("settings cannot be saved to " + path_ + ": changes will not be kept");
}

}  // namespace vp
