#pragma once
// Localised text. The Portuguese source text is the key; the other five
// languages are columns of one built-in table.

#include <map>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vp {

namespace I18n {
// The language of this process, chosen once from the preferred languages
// passed to the first call of initialize() ("en" when never initialized).
void initialize(const std::vector<std::string>& preferredLanguages);
const std::string& lang();
const std::map<std::string, int>& index();
const std::map<std::string, std::vector<std::string>>& table();

// Pure helpers, usable for any language without restarting.
std::string chooseLanguage(const std::vector<std::string>& preferredLanguages);
std::string translate(const std::string& language, const std::string& key);
using FormatArg = std::variant<long, std::string>;
// printf-style: %ld takes a number, %@ a text, %% a percent sign.
std::string format(const std::string& pattern, const std::vector<FormatArg>& args);
}  // namespace I18n

std::string L(const std::string& key);
std::string LF(const std::string& key, const std::vector<I18n::FormatArg>& args);

}  // namespace vp
