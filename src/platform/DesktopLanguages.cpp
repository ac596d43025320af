#include "platform/DesktopLanguages.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace vp {

namespace {

std::string variable(const EnvironmentReader& read, const char* name) {
    const char* value = read(name);
    return value ? std::string(value) : std::string();
}

bool isCLocale(const std::string& locale) {
    std::string base = locale.substr(0, locale.find_first_of(".@"));
    return base.empty() || base == "C" || base == "POSIX";
}

}  // namespace

std::string languageTagOfLocale(const std::string& locale) {
    if (isCLocale(locale)) return "";
    std::string tag = locale.substr(0, locale.find_first_of(".@"));
    std::replace(tag.begin(), tag.end(), '_', '-');
    return tag;
}

std::vector<std::string> languagesFromEnvironment(const EnvironmentReader& read) {
    std::string messages;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        messages = variable(read, name);
        if (!messages.empty()) break;
    }
    if (isCLocale(messages)) return {};
    std::vector<std::string> out;
    auto add = [&out](const std::string& tag) {
        if (!tag.empty() && std::find(out.begin(), out.end(), tag) == out.end()) out.push_back(tag);
    };
    std::istringstream list(variable(read, "LANGUAGE"));
    for (std::string entry; std::getline(list, entry, ':');) add(languageTagOfLocale(entry));
    add(languageTagOfLocale(messages));
    return out;
}

std::vector<std::string> desktopLanguages() {
    return languagesFromEnvironment([](const char* name) { return std::getenv(name); });
}

}  // namespace vp
