#include "app/I18n.h"

#include <mutex>

namespace vp {

namespace I18n {

namespace {
const std::vector<std::string> kSupported = {"pt", "en", "es", "it", "fr", "de"};

std::once_flag langOnce;
std::string chosenLang = "en";

void chooseOnce(const std::vector<std::string>& preferred) {
    std::call_once(langOnce, [&] { chosenLang = chooseLanguage(preferred); });
}
}  // namespace

std::string chooseLanguage(const std::vector<std::string>& preferred) {
    std::string first = preferred.empty() ? "en" : preferred.front();
    std::string code = first.substr(0, 2);
    for (const auto& supported : kSupported)
        if (supported == code) return code;
    return "en";
}

void initialize(const std::vector<std::string>& preferred) {
    chooseOnce(preferred);
}

const std::string& lang() {
    chooseOnce({});
    return chosenLang;
}

const std::map<std::string, int>& index() {
    static const std::map<std::string, int> columns = {{"en", 0}, {"es", 1}, {"it", 2}, {"fr", 3}, {"de", 4}};
    return columns;
}

std::string translate(const std::string& language, const std::string& key) {
    if (language == "pt") return key;
    auto row = table().find(key);
    if (row == table().end()) return key;
    auto column = index().find(language);
    if (column == index().end() || column->second >= int(row->second.size())) return key;
    return row->second[std::size_t(column->second)];
}

std::string format(const std::string& pattern, const std::vector<FormatArg>& args) {
    std::string out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%' || i + 1 >= pattern.size()) {
            out += pattern[i];
            continue;
        }
        if (pattern[i + 1] == '%') {
            out += '%';
            ++i;
        } else if (pattern.compare(i + 1, 2, "ld") == 0 || pattern[i + 1] == '@' || pattern[i + 1] == 'd') {
            std::size_t width = pattern[i + 1] == 'l' ? 3 : 2;
            if (next < args.size()) {
                const FormatArg& arg = args[next++];
                out += std::holds_alternative<long>(arg) ? std::to_string(std::get<long>(arg)) : std::get<std::string>(arg);
            }
            i += width - 1;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

}  // namespace I18n

std::string L(const std::string& key) {
    return I18n::translate(I18n::lang(), key);
}

std::string LF(const std::string& key, const std::vector<I18n::FormatArg>& args) {
    return I18n::format(L(key), args);
}

}  // namespace vp
