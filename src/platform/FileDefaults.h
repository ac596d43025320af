#pragma once
// User defaults kept in memory, optionally backed by a JSON file that is
// rewritten atomically (temporary file, flush, rename) on every change.

#include "platform/System.h"

#include <nlohmann/json.hpp>

#include <mutex>

namespace vp {

class MemoryDefaults : public Defaults {
public:
    bool hasObject(const std::string& key) const override;
    std::optional<std::string> data(const std::string& key) const override;
    std::optional<bool> boolean(const std::string& key) const override;
    void setData(const std::string& key, const std::string& bytes) override;
    void setBool(const std::string& key, bool value) override;
    void remove(const std::string& key) override;
    // Stores a raw JSON value (tests use it for values of the wrong type).
    void setRaw(const std::string& key, nlohmann::json value);
    nlohmann::json snapshot() const;

protected:
    virtual void persist() {}
    mutable std::mutex mutex_;
    // Each entry is {"data": text} or {"bool": b} or {"raw": value}.
    nlohmann::json store_ = nlohmann::json::object();
};

class FileDefaults : public MemoryDefaults {
public:
    // Loads the file when it exists; a file that does not parse is kept
    // aside (renamed with ".unreadable") and the defaults start empty.
    explicit FileDefaults(std::string path);
    const std::string& path() const { return path_; }

protected:
    void persist() override;

private:
    std::string path_;
    // Held from taking the snapshot to the rename, so that the last change
    // is also the last file written, whichever thread made it.
    std::mutex writeMutex_;
};

// Writes bytes to path through a temporary file in the same folder and an
// atomic rename. Returns false on any failure, leaving the target untouched.
bool writeFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace vp
