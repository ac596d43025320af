#pragma once
// The desktop portal's restore tokens, one per display, kept in the state
// folder: with the token of the last cast of a display, the portal casts it
// again without asking the user. A token is good for one start only and the
// portal hands out a new one each time, so the newest is what is kept.

#include <filesystem>
#include <mutex>
#include <string>

namespace vp::gnome {

class RestoreTokens {
public:
    explicit RestoreTokens(std::filesystem::path file);

    // Empty when none is kept.
    std::string token(const std::string& key) const;
    // Replaces the key's token; an empty one forgets it.
    void keep(const std::string& key, const std::string& token);

private:
    std::filesystem::path file_;
    mutable std::mutex mutex_;
};

}  // namespace vp::gnome
