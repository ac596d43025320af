#pragma once
// User defaults kept in memory, optionally backed by a JSON file that is
// rewritten atomically (temporary file, flush, rename) on every change.

#include "platform/System.h"

#include <nlohmann/json.hpp>

#include <functional>
#include <mutex>
#include <vector>

namespace vp {

class MemoryDefaults : public Defaults {
public:
    bool hasObject(const std::string& key) const override;
    std::optional<std::string> data(const std::string& key) const override;
    std::optional<bool> boolean(const std::string& key) const override;
    void setData(const std::string& key, const std::string& bytes) override;
    void setBool(const std::string& key, bool value) override;
    void remove(const std::string& key) override;
    void setProblemHandler(std::function<void(const std::string&)> handler) override;
    void keepAside(const std::string& what) override;
    // Stores a raw JSON value (tests use it for values of the wrong type).
    void setRaw(const std::string& key, nlohmann::json value);
    nlohmann::json snapshot() const;

protected:
    virtual void persist() {}
    void report(const std::string& problem);
    mutable std::mutex mutex_;
    // Each entry is {"data": text} or {"bool": b} or {"raw": value}.
    nlohmann::json store_ = nlohmann::json::object();

private:
    std::mutex problemMutex_;
    std::function<void(const std::string&)> problemHandler_;
    std::vector<std::string> unreported_;
};

class FileDefaults : public MemoryDefaults {
public:
    // Loads the file when it exists. A file that does not hold a JSON object
    // is moved aside (to "<path>.bad-<UTC time>") and the defaults start
    // empty. A file that exists but cannot be read, or cannot be moved
    // aside, is never written: changes are then kept in memory only.
    explicit FileDefaults(std::string path);
    const std::string& path() const { return path_; }
    void keepAside(const std::string& what) override;

protected:
    void persist() override;

private:
    void load();
    // The unused "<path>.bad-<UTC time>[-n]" name for a copy of the file.
    std::string asideName() const;
    std::string path_;
    bool writable_ = true;
    bool writeFailureReported_ = false;
    // Held from taking the snapshot to the rename, so that the last change
    // is also the last file written, whichever thread made it.
    std::mutex writeMutex_;
};

// Writes bytes to path through a temporary file in the same folder and an
// atomic rename. Returns false on any failure, leaving the target untouched.
bool writeFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace vp
