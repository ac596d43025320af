#pragma once
// The platform's own texts in the user's language. The platform speaks
// English (see platform/UserText.h); its texts are keys of a table of their
// own, beside the interface's Portuguese-keyed one.

#include <map>
#include <string>
#include <vector>

namespace vp {

namespace I18n {
// English text → Portuguese, Spanish, Italian, French, German.
const std::map<std::string, std::vector<std::string>>& platformTable();
// The text in `language` when it is a key; a text that is a key followed by
// a detail in parentheses (a system's own error words) keeps the detail.
std::string translatePlatformText(const std::string& language, const std::string& text);
}  // namespace I18n

// A text the platform gave, in this process's language.
std::string LR(const std::string& text);

}  // namespace vp
