#include "platform/linux/gnome/RestoreTokens.h"

#include <nlohmann/json.hpp>

#include <fstream>

namespace vp::gnome {

namespace {

nlohmann::json readTokens(const std::filesystem::path& file) {
    std::ifstream in(file);
    nlohmann::json tokens = nlohmann::json::parse(in, nullptr, false);
    return tokens.is_object() ? tokens : nlohmann::json::object();
}

}  // namespace

RestoreTokens::RestoreTokens(std::filesystem::path file) : file_(std::move(file)) {}

std::string RestoreTokens::token(const std::string& key) const {
    std::lock_guard lock(mutex_);
    nlohmann::json tokens = readTokens(file_);
    auto it = tokens.find(key);
    return it != tokens.end() && it->is_string() ? it->get<std::string>() : std::string();
}

void RestoreTokens::keep(const std::string& key, const std::string& token) {
    std::lock_guard lock(mutex_);
    nlohmann::json tokens = readTokens(file_);
    if (token.empty())
        tokens.erase(key);
    else
        tokens[key] = token;
    // A half-written file would lose every display's token: write beside
    // it and rename over it.
    std::error_code ec;
    std::filesystem::create_directories(file_.parent_path(), ec);
    std::filesystem::path temp = file_;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::trunc);
        out << tokens.dump(2) << '\n';
        if (!out) return;
    }
    std::filesystem::rename(temp, file_, ec);
}

}  // namespace vp::gnome
