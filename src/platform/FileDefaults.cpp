#include "platform/FileDefaults.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
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

FileDefaults::FileDefaults(std::string path) : path_(std::move(path)) {
    std::ifstream in(path_, std::ios::binary);
    if (!in) return;
    std::stringstream buffer;
    buffer << in.rdbuf();
    auto parsed = nlohmann::json::parse(buffer.str(), nullptr, false);
    if (parsed.is_object()) {
        store_ = std::move(parsed);
    } else {
        std::error_code ec;
        std::filesystem::rename(path_, path_ + ".unreadable", ec);
    }
}

void FileDefaults::persist() {
    std::lock_guard writing(writeMutex_);
    std::string text;
    {
        std::lock_guard lock(mutex_);
        text = store_.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
    }
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), ec);
    writeFileAtomically(path_, text + "\n");
}

}  // namespace vp
